#pragma once

#include <cstddef>

namespace plivora {

class Form1;

// The first entries of Form1::SavedLayout: the window's outer place and size, recorded first. The
// start-up placement moves the recorded place and a frame correction grows the recorded size;
// every other entry is recorded and restored only by the arrangement switch.
inline constexpr std::size_t kSavedTop = 0;
inline constexpr std::size_t kSavedLeft = 1;
inline constexpr std::size_t kSavedWidth = 2;
inline constexpr std::size_t kSavedHeight = 3;

// Switches the main window between its wide designed arrangement and the tall one. Entering the
// tall one records the window's and the controls' geometry in SavedLayout and places them at
// fixed positions; leaving it writes every recorded value back, so the window returns to where it
// was when the tall arrangement was entered.
void toggleArrangement(Form1& form);

// The window system framed the main window differently from what its outer size was computed
// with. A horizontal layout recorded before (a vertical start records it while the window is
// loaded, before it is first shown) keeps the designed client area: its outer size grows by
// the difference.
void arrangementFrameChanged(Form1& form, float extraWidth, float extraHeight);

}  // namespace plivora
