#include "forms/dialog_keys.h"

#include "forms/command_button.h"
#include "forms/form.h"

namespace plivora {

namespace {

// A button inside a hidden or disabled frame can be neither seen nor pressed.
bool isReachable(const Control& control) {
    for (const Control* part = &control; part != nullptr; part = part->container()) {
        if (!part->isVisible() || !part->isEnabled()) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool pressDialogKey(Form& form, DialogKey key) {
    for (Control* control : form.controls()) {
        if (control->kind() != ControlKind::CommandButton || !isReachable(*control)) {
            continue;
        }
        const auto& button = static_cast<const CommandButton&>(*control);
        const bool answers = key == DialogKey::Enter ? button.isDefault() : button.isCancel();
        if (answers) {
            control->raiseClick();
            return true;
        }
    }
    return false;
}

}  // namespace plivora
