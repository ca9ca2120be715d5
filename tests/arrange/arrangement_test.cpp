#include <string>
#include <vector>

#include "arrange_fixture.h"

namespace plivora {
namespace {

struct Geometry {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;
    bool operator==(const Geometry&) const = default;
};

void PrintTo(const Geometry& g, std::ostream* os) {
    *os << g.left << ", " << g.top << ", " << g.width << ", " << g.height;
}

Geometry geometryOf(const Control& c) {
    return {c.left(), c.top(), c.width(), c.height()};
}

using ArrangementTest = ArrangeTest;

// Every control of the main window with its geometry, and the window's own.
std::vector<std::pair<std::string, Geometry>> snapshot(Form1& f) {
    std::vector<std::pair<std::string, Geometry>> all;
    all.emplace_back("Form1", geometryOf(f));
    all.emplace_back("scale", Geometry{0, 0, f.scaleWidth(), f.scaleHeight()});
    for (const Control* c : f.controls()) {
        all.emplace_back(c->name(), geometryOf(*c));
    }
    return all;
}

TEST_F(ArrangementTest, VerticalPlacesEveryControlAtItsFixedPlace) {
    start();
    Form1& f = form1();
    f.cmdShape.raiseClick();
    ASSERT_EQ(f.blVertical, kTrue);
    EXPECT_EQ(f.width(), 3396.0f);
    EXPECT_EQ(f.height(), 6312.0f);
    EXPECT_EQ(f.scaleWidth(), 3300.0f);
    EXPECT_EQ(f.scaleHeight(), 5928.0f);
    struct Row {
        Control& control;
        Geometry expected;
    };
    const Row rows[] = {
        {f.cmdShape, {120, 0, 612, 252}},
        {f.cmdTiny, {708, 0, 492, 252}},
        {f.cmdBackgroundColor, {1202, 0, 732, 252}},
        {f.cmdShowAni, {1934, 0, 300, 252}},
        {f.cmdStick, {2235, 0, 132, 228}},
        {f.cmdRealSize, {120, 240, 972, 252}},
        {f.cmdViewAll, {1092, 240, 852, 252}},
        {f.cmdPlayGif, {1944, 240, 300, 252}},
        {f.imgQel, {2400, 120, 852, 336}},
        {f.imgShow, {120, 2880, 2412, 2172}},
        {f.lblErrorMessage, {240, 3000, 2172, 732}},
        {f.AnimatedGifCtl1, {240, 3500, 2172, 1332}},
        {f.File1, {1800, 600, 1452, 2232}},
        {f.Drive1, {120, 600, 1572, f.Drive1.height()}},
        {f.Dir1, {120, 1080, 1572, 1704}},
        {f.Frame1, {120, 5040, 3132, 852}},
        {f.lblDimension, {120, 240, 1212, 252}},
        {f.lblFileSize, {1440, 240, 1572, 252}},
        {f.lblRatio, {120, 480, 972, 252}},
        {f.picTitleStick, {4200, 0, 252, 252}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.control.name());
        EXPECT_EQ(geometryOf(row.control), row.expected);
    }
}

TEST_F(ArrangementTest, SwitchingThereAndBackRestoresEverythingExactly) {
    start();
    Form1& f = form1();
    f.move(1230, 4560, f.width(), f.height());
    const auto before = snapshot(f);
    f.cmdShape.raiseClick();
    f.cmdShape.raiseClick();
    EXPECT_EQ(f.blVertical, kFalse);
    EXPECT_EQ(snapshot(f), before);
    // Like a fresh window, it is on the twips scale: resizing its frame scales no control.
    EXPECT_FALSE(f.hasCustomScale());
}

TEST_F(ArrangementTest, TheRecordedTableKeepsTheDocumentedOrder) {
    start();
    Form1& f = form1();
    f.move(1230, 4560, f.width(), f.height());
    f.cmdShape.raiseClick();
    const auto& s = f.SavedLayout;
    EXPECT_EQ(s[0], 4560);  // top
    EXPECT_EQ(s[1], 1230);  // left
    EXPECT_EQ(s[2], 5928 + 96);
    EXPECT_EQ(s[3], 3300 + 384);
    EXPECT_EQ(s[4], 5928);
    EXPECT_EQ(s[5], 3300);
    EXPECT_EQ(s[6], 240);  // cmdShape left
    EXPECT_EQ((std::vector<int>{s[7], s[8], s[9], s[10]}), (std::vector<int>{240, 240, 972, 252}));
    EXPECT_EQ((std::vector<int>{s[23], s[24], s[25]}), (std::vector<int>{600, 4200, 1572}));
    EXPECT_EQ((std::vector<int>{s[38], s[39], s[40], s[41]}),
              (std::vector<int>{2880, 0, 5892, 372}));
    EXPECT_EQ((std::vector<int>{s[54], s[55], s[56], s[57], s[58], s[59]}),
              (std::vector<int>{840, 2040, 1200, 2040, 1320, 2330}));
}

TEST_F(ArrangementTest, FractionalValuesAreKeptRoundedHalfToEven) {
    start();
    Form1& f = form1();
    f.move(100.5f, 101.5f, f.width(), f.height());
    f.cmdTiny.setLeft(840.5f);
    f.cmdShape.raiseClick();
    f.cmdShape.raiseClick();
    EXPECT_EQ(f.left(), 100.0f);
    EXPECT_EQ(f.top(), 102.0f);
    EXPECT_EQ(f.cmdTiny.left(), 840.0f);
}

TEST_F(ArrangementTest, MovingWhileVerticalReturnsToWhereVerticalWasEntered) {
    start();
    Form1& f = form1();
    f.move(1500, 900, f.width(), f.height());
    const Geometry entered = geometryOf(f);
    f.cmdShape.raiseClick();
    f.setGeometryFromView(9000, 6000, f.width(), f.height());  // the user drags it
    f.cmdShape.raiseClick();
    EXPECT_EQ(geometryOf(f), entered);
}

TEST_F(ArrangementTest, AnyReleaseOverTheButtonRewritesTheArrangementOnly) {
    writeFile(settingsPath(), std::string(55, 'x'));
    start();
    Form1& f = form1();
    const auto before = snapshot(f);
    // Pressed, dragged off and released elsewhere: no click, but the record is written.
    f.cmdShape.raiseMouseDown(MouseButton::Left, 0, 10, 10);
    f.cmdShape.raiseMouseUp(MouseButton::Left, 0, -900, 4000);
    const std::string horizontal = "[Shape]" + std::string(10, ' ') + std::string(8, '\0') +
                                   "Horizontal" + std::string(20, ' ');
    EXPECT_EQ(readFile(settingsPath()), horizontal);
    EXPECT_EQ(snapshot(f), before);
    EXPECT_EQ(f.blVertical, kFalse);

    writeFile(settingsPath(), std::string(55, 'x'));
    f.cmdShape.raiseMouseUp(MouseButton::Right, 0, 10, 10);
    EXPECT_EQ(readFile(settingsPath()), horizontal);
    EXPECT_EQ(snapshot(f), before);
}

TEST_F(ArrangementTest, ResizingOrMinimisingTheWindowMovesNoControl) {
    for (bool vertical : {false, true}) {
        SCOPED_TRACE(vertical ? "vertical" : "horizontal");
        start();
        Form1& f = form1();
        if (vertical) {
            f.cmdShape.raiseClick();
        }
        // The window's size changes, and with it the unscaled client size; no control moves.
        auto controls = snapshot(f);
        controls.erase(controls.begin(), controls.begin() + 2);
        f.setGeometryFromView(f.left(), f.top(), f.width() + 1500, f.height() + 900);
        f.move(f.left(), f.top(), f.width() - 3000, f.height() - 1200);
        f.setWindowState(WindowState::Minimized);
        f.setWindowState(WindowState::Normal);
        auto after = snapshot(f);
        after.erase(after.begin(), after.begin() + 2);
        EXPECT_EQ(after, controls);
        program.reset();
    }
}

}  // namespace
}  // namespace plivora
