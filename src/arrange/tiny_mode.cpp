#include "arrange/tiny_mode.h"

#include "app/form1.h"
#include "app/program.h"
#include "arrange/form3.h"
#include "arrange/mod_main.h"
#include "forms/window_calls.h"

namespace plivora {

namespace {

// A cursor on a window's outer border line counts as inside.
bool contains(const RECT& rect, const POINTAPI& point) {
    return point.x >= rect.left && point.x <= rect.right && point.y >= rect.top &&
           point.y <= rect.bottom;
}

}  // namespace

void cmdTiny_Click(Form1& form) {
    Program& p = form.program();
    if (p.blTinyMode == kFalse) {
        Form3& panel = p.form3();
        panel.setTop(0);
        panel.show();
        p.blPanelLeft = kFalse;
        p.blMainHidden = kTrue;
        p.blPinRefresh = kTrue;
        form.hide();
        p.blPanelShown = kTrue;
        p.blTinyMode = kTrue;
        p.blTinyOff = kFalse;
    } else {
        form.show();
        p.blMainHidden = kFalse;
        p.blPanelLeft = kTrue;
        p.form3().hide();
        p.blTinyMode = kFalse;
        p.blTinyOff = kTrue;
    }
}

void tinyModeWatch(Form1& form) {
    Program& p = form.program();
    if (p.blTinyMode == kFalse) {
        return;
    }
    RECT rect;
    GetWindowRect(&form, rect);
    POINTAPI point;
    GetCursorPos(form.host(), point);
    const bool minimised = form.windowState() == WindowState::Minimized;
    if (!contains(rect, point) && !minimised && p.blMouseWasOver != kFalse) {
        p.blMainHidden = kTrue;
        p.blPinRefresh = kTrue;
        form.hide();
        p.blPanelShown = kTrue;
        p.blMouseWasOver = kFalse;
        Form3& panel = p.form3();
        panel.show();
        SetWindowPos(&panel, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }
    if (form.windowState() == WindowState::Minimized) {
        p.blMouseWasOver = kFalse;
    }
}

void panelHoverRestore(Form3& panel) {
    Program& p = panel.program();
    RECT rect;
    GetWindowRect(&panel, rect);
    POINTAPI point;
    GetCursorPos(panel.host(), point);
    if (!contains(rect, point)) {
        return;
    }
    if (p.blTinyOff != kFalse || p.blPanelLeft != kFalse || p.blPanelShown == kFalse) {
        return;
    }
    p.blPinRefresh = kTrue;
    p.blMainHidden = kFalse;
    Form1& main = p.form1();
    if (p.blPinInstalled != kFalse) {
        cmdInTitlebar_Click(main);
    }
    if (main.windowState() == WindowState::Minimized) {
        main.setWindowState(WindowState::Normal);
    }
    main.show();
    // The second toggle restores the topmost state and places the pin again.
    if (p.blPinInstalled != kFalse) {
        cmdInTitlebar_Click(main);
    }
    p.blPanelLeft = kTrue;
    p.blMouseWasOver = kFalse;
    p.blPanelShown = kFalse;
}

}  // namespace plivora
