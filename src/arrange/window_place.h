#pragma once

#include "forms/types.h"

namespace plivora {

// How much of a window's title bar must lie inside the work area for the user to grab it.
inline constexpr int kReachableTitlePixels = 48;

// Where a window whose outer rectangle is `window` (screen pixels) goes so that its title bar,
// the top `titleHeight` pixels of it, stays within reach in the work area `area`. A window whose
// title bar lies wholly inside the area vertically, with at least kReachableTitlePixels of its
// width inside (all of it when narrower), keeps its place. Otherwise it moves, on each axis that
// falls short, just inside the nearest edge of the area: flush with the edge it crossed.
PixelPoint reachablePlace(const PixelRect& window, int titleHeight, const PixelRect& area);

}  // namespace plivora
