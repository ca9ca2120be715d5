#include <gtest/gtest.h>

#include "arrange/window_place.h"

namespace plivora {
namespace {

// A window of 400 x 250 pixels with a 25-pixel title bar. A title bar with at least 48 pixels of
// its width and all of its height inside the work area keeps its place; any other moves just
// inside the edge it crossed, on that axis only.
TEST(WindowPlaceTest, ATitleBarOutOfReachMovesJustInsideTheWorkArea) {
    struct Case {
        const char* what;
        PixelRect area;
        PixelPoint stored;
        int width;
        PixelPoint expected;
    };
    const PixelRect screen{0, 0, 1280, 770};
    const Case cases[] = {
        {"inside", screen, {100, 100}, 400, {100, 100}},
        {"48 pixels inside the right edge", screen, {1232, 100}, 400, {1232, 100}},
        {"47 pixels inside the right edge", screen, {1233, 100}, 400, {880, 100}},
        {"48 pixels inside the left edge", screen, {-352, 100}, 400, {-352, 100}},
        {"47 pixels inside the left edge", screen, {-353, 100}, 400, {0, 100}},
        {"on a monitor since unplugged", screen, {2600, 300}, 400, {880, 300}},
        {"stored before the scale factor doubled", {0, 0, 640, 385}, {602, 8}, 400, {240, 8}},
        {"above a top panel", {0, 30, 1280, 800}, {500, 29}, 400, {500, 30}},
        {"title bar just above the bottom", screen, {500, 745}, 400, {500, 745}},
        {"title bar one pixel past the bottom", screen, {500, 746}, 400, {500, 520}},
        {"off both axes", screen, {-5000, 5000}, 400, {0, 520}},
        {"wider than the area, across it", screen, {-100, 0}, 1500, {-100, 0}},
        {"wider than the area, off to the right", screen, {1250, 0}, 1500, {0, 0}},
        {"narrower than 48 pixels, wholly inside", screen, {1250, 0}, 30, {1250, 0}},
        {"narrower than 48 pixels, partly outside", screen, {1251, 0}, 30, {1250, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const PixelRect window{c.stored.x, c.stored.y, c.stored.x + c.width, c.stored.y + 250};
        EXPECT_EQ(reachablePlace(window, 25, c.area), c.expected);
    }
}

}  // namespace
}  // namespace plivora
