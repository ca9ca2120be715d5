#include "arrange/mod_main.h"

#include "app/form1.h"
#include "app/program.h"
#include "forms/window_calls.h"
#include "forms/window_hooks.h"

namespace plivora {

namespace {

// The pin's place relative to the main window's outer rectangle, and its size, in pixels.
constexpr int kPinFromRight = 90;
constexpr int kPinFromTop = 6;
constexpr int kPinWidth = 17;
constexpr int kPinHeight = 16;

// intPinZOrder runs from HWND_TOPMOST down to here while the pin of a window that is not
// topmost is placed.
constexpr std::int16_t kPinZOrderEnd = -3;

void placePin(Form1& form) {
    Program& p = form.program();
    HWND pin = &form.picTitleStick;
    RECT rect;
    GetWindowRect(&form, rect);
    while (true) {
        if (p.blMainHidden != kFalse) {
            pin->setVisible(false);
        } else {
            SetWindowPos(pin, p.intPinZOrder, rect.right - kPinFromRight, rect.top + kPinFromTop,
                         kPinWidth, kPinHeight, SWP_FRAMECHANGED);
            pin->setVisible(true);
        }
        if (p.blOnTop != kFalse) {
            break;
        }
        // A window that is not topmost: the pin goes above every window and then just above the
        // normal ones. A value already past the end stops the loop as well.
        --p.intPinZOrder;
        if (p.intPinZOrder <= kPinZOrderEnd) {
            break;
        }
    }
    if (p.intPinZOrder == kPinZOrderEnd) {
        p.intPinZOrder = static_cast<std::int16_t>(HWND_TOPMOST);
    }
    p.blPinRefresh = kFalse;
}

}  // namespace

void InstallTitlePin(Form1& form) {
    Program& p = form.program();
    p.lngHookHandle = SetWindowsHookExA(
        form.host(), WH_CALLWNDPROC,
        [&form](int code, std::int32_t wParam, const CWPSTRUCT& record) {
            return TitlePinHookProc(form, code, wParam, record);
        },
        0, GetCurrentThreadId());
    SetWindowLongA(&form.picTitleStick, GWL_EXSTYLE, WS_EX_TOOLWINDOW);
    SetParent(&form.picTitleStick, GetParent(&form));
}

void RemoveTitlePin(Form1& form) {
    UnhookWindowsHookEx(form.host(), form.program().lngHookHandle);
    SetParent(&form.picTitleStick, &form);
}

std::int32_t TitlePinHookProc(Form1& form, int /*code*/, std::int32_t /*wParam*/,
                              const CWPSTRUCT& record) {
    Program& p = form.program();
    if (record.hwnd == GetParent(&form.picTitleStick)) {
        if (record.message == WM_PARENTNOTIFY) {
            cmdInTitlebar_Click(form);
            p.blPinRefresh = kTrue;
        }
    } else if ((record.hwnd == &form &&
                (record.message == WM_NCPAINT || record.message == WM_MOVE)) ||
               p.blPinRefresh != kFalse) {
        placePin(form);
    }
    return 0;
}

void cmdInTitlebar_Click(Form1& form) {
    Program& p = form.program();
    if (p.blOnTop != kFalse) {
        SetWindowPos(&form, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        p.blOnTop = kFalse;
        RemoveTitlePin(form);
        InstallTitlePin(form);
        form.picTitleStick.setPicture(form.imgNotStick.picture());
        p.intPinZOrder = static_cast<std::int16_t>(HWND_NOTOPMOST);
    } else {
        RemoveTitlePin(form);
        InstallTitlePin(form);
        form.picTitleStick.setPicture(form.imgStick.picture());
        p.intPinZOrder = static_cast<std::int16_t>(HWND_TOPMOST);
        SetWindowPos(&form, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        p.blOnTop = kTrue;
    }
}

void cmdStick_MouseUp(Form1& form, int /*button*/, int /*shift*/, float /*x*/, float /*y*/) {
    Program& p = form.program();
    if (p.blOnTop != kFalse) {
        SetWindowPos(&form, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        p.blOnTop = kFalse;
        form.cmdStick.setBackColor(kBlack);
    } else {
        SetWindowPos(&form, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        p.blOnTop = kTrue;
        form.cmdStick.setBackColor(kButtonFace);
    }
}

}  // namespace plivora
