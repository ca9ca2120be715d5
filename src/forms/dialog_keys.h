#pragma once

namespace plivora {

class Form;

// The two keys a window answers for its buttons: Enter presses the window's default button,
// Escape its cancel button, wherever the keyboard focus is inside the window.
enum class DialogKey { Enter, Escape };

// Presses the form's visible, enabled button that answers the key. Returns whether one did.
bool pressDialogKey(Form& form, DialogKey key);

}  // namespace plivora
