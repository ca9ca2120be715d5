#pragma once

#include <cstdint>

namespace plivora {

class Form1;
struct CWPSTRUCT;

// The title-bar pin: the main window's picTitleStick taken out of the window and kept over its
// caption bar by a call-window hook, where a press on it toggles the main window's topmost state.
// Used where the platform delivers presses on the pin to the hook (the 95/98 family); elsewhere
// cmdStick does the toggling and the pin stays hidden inside the window.

// Installs the hook and moves the pin out of the main window, to the main window's parent (the
// desktop), as a tool window.
void InstallTitlePin(Form1& form);
// Removes the hook and puts the pin back into the main window. Removing a hook that is not
// installed has no effect.
void RemoveTitlePin(Form1& form);
// Sees every message sent to a window of the program: a press on the pin toggles the topmost
// state; a move or frame repaint of the main window, or any message once blPinRefresh is set,
// places the pin 90 pixels left of the window's right edge and 6 below its top. Always 0; the
// message is not handed on to older hooks.
std::int32_t TitlePinHookProc(Form1& form, int code, std::int32_t wParam, const CWPSTRUCT& record);

// The pin's toggle: the main window topmost or not, with a freshly installed hook and the pin
// picture of the new state.
void cmdInTitlebar_Click(Form1& form);
// cmdStick released with any button: the main window topmost or not; the button turns black
// while the window is not topmost. Never touches the pin or the hook.
void cmdStick_MouseUp(Form1& form, int button, int shift, float x, float y);

}  // namespace plivora
