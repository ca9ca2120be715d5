#include "arrange/window_place.h"

#include <algorithm>

namespace plivora {

PixelPoint reachablePlace(const PixelRect& window, int titleHeight, const PixelRect& area) {
    PixelPoint place{window.left, window.top};
    const int needed = std::min({kReachableTitlePixels, window.width(), area.width()});
    const int inside = std::min(window.right, area.right) - std::max(window.left, area.left);
    if (inside < needed) {
        place.x =
            window.left < area.left ? area.left : std::max(area.left, area.right - window.width());
    }
    if (window.top < area.top) {
        place.y = area.top;
    } else if (window.top + titleHeight > area.bottom) {
        place.y = std::max(area.top, area.bottom - window.height());
    }
    return place;
}

}  // namespace plivora
