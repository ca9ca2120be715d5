#pragma once

namespace plivora {

class Form1;

// Switches the main window between its wide designed arrangement and the tall one. Entering the
// tall one records the window's and the controls' geometry in SavedLayout and places them at
// fixed positions; leaving it writes every recorded value back, so the window returns to where it
// was when the tall arrangement was entered.
void ToggleArrangement(Form1& form);

// The window system framed the main window differently from what its outer size was computed
// with. A horizontal layout recorded before (a vertical start records it while the window is
// loaded, before it is first shown) keeps the designed client area: its outer size grows by
// the difference.
void ArrangementFrameChanged(Form1& form, float extraWidth, float extraHeight);

}  // namespace plivora
