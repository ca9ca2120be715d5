#include <gtest/gtest.h>

#include "arrange/cls_docking_handler.h"
#include "arrange_fixture.h"
#include "forms/form.h"
#include "forms/host.h"
#include "headless/headless_host.h"
#include "win/error.h"

namespace plivora {
namespace {

// A borderless form to drag.
class Slab : public Form {
public:
    Slab(Host& host, float width, float height) : Form(host, "Slab") {
        setBorderStyle(BorderStyle::None);
        move(15000, 6000, width, height);
    }
};

// The default screen: work area 1920 x 1040 pixels, 28800 x 15600 twips at 15 twips per pixel.
class DockingTest : public ::testing::Test {
protected:
    // Starts a drag with the grab point at the slab's top-left corner.
    void grab() { dh.StartDockDrag(0, 0); }
    // Moves the mouse so that the slab would be at (left, top) in twips if nothing held it.
    void propose(float left, float top) { dh.UpdateDockDrag(left - slab.left(), top - slab.top()); }

    HeadlessHost host;
    Slab slab{host, 810, 360};
    clsDockingHandler dh = [this] {
        clsDockingHandler handler(host);
        handler.setParentForm(&slab);
        return handler;
    }();
};

TEST_F(DockingTest, SnapsWithinTheDistanceAndNotBeyond) {
    struct Case {
        const char* what;
        float left;
        float top;
        float expectedLeft;
        float expectedTop;
        bool snapped;
    };
    const Case cases[] = {
        {"right at 150", 27840, 6000, 27990, 6000, true},
        {"right at 151", 27839, 6000, 27840, 6000, false},
        {"left at 150", 150, 6000, 0, 6000, true},
        {"left at 151", 151, 6000, 150, 6000, false},
        {"top at 150", 15000, 150, 15000, 0, true},
        {"top at 151", 15000, 151, 15000, 150, false},
        {"bottom at 150", 15000, 15090, 15000, 15240, true},
        {"bottom at 151", 15000, 15089, 15000, 15090, false},
        {"past right by 150", 28140, 6000, 27990, 6000, true},
        {"past left by 150", -150, 6000, 0, 6000, true},
        {"past left by 151", -151, 6000, -150, 6000, false},
        {"past bottom by 150", 15000, 15390, 15000, 15240, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Slab fresh(host, 810, 360);
        clsDockingHandler handler(host);
        handler.setParentForm(&fresh);
        handler.StartDockDrag(0, 0);
        handler.UpdateDockDrag(c.left - fresh.left(), c.top - fresh.top());
        EXPECT_EQ(fresh.left(), c.expectedLeft);
        EXPECT_EQ(fresh.top(), c.expectedTop);
        const bool docked = handler.DockedRight() != kFalse || handler.DockedLeft() != kFalse ||
                            handler.DockedTop() != kFalse || handler.DockedBottom() != kFalse;
        EXPECT_EQ(docked, c.snapped);
    }
}

TEST_F(DockingTest, ADockedEdgeHoldsWhileTheProposedPlaceStaysWithinTheDistance) {
    grab();
    propose(27900, 6000);
    ASSERT_EQ(slab.left(), 27990.0f);
    ASSERT_EQ(dh.DockedRight(), kTrue);

    propose(27840, 6000);  // 150 short of the edge
    EXPECT_EQ(slab.left(), 27990.0f);
    propose(28140, 6000);  // 150 past it
    EXPECT_EQ(slab.left(), 27990.0f);
    propose(28140, 7500);  // the other axis follows the mouse
    EXPECT_EQ(slab.left(), 27990.0f);
    EXPECT_EQ(slab.top(), 7500.0f);
    EXPECT_EQ(dh.DockedRight(), kTrue);

    propose(27839, 7500);  // beyond: the slab jumps under the mouse
    EXPECT_EQ(slab.left(), 27840.0f);
    EXPECT_EQ(dh.DockedRight(), kFalse);

    // The held edge carries over into the next drag.
    propose(27990, 7500);
    ASSERT_EQ(dh.DockedRight(), kTrue);
    grab();
    propose(27900, 9000);
    EXPECT_EQ(slab.left(), 27990.0f);
    EXPECT_EQ(slab.top(), 9000.0f);
}

TEST_F(DockingTest, TheTopEdgeWinsOverTheBottomAndTheLeftOverTheRight) {
    Slab tall(host, 810, 15600 - 100);
    clsDockingHandler handler(host);
    handler.setParentForm(&tall);
    handler.StartDockDrag(0, 0);
    handler.UpdateDockDrag(0, 50 - tall.top());  // 50 from the top, 50 from the bottom
    EXPECT_EQ(tall.top(), 0.0f);
    EXPECT_EQ(handler.DockedTop(), kTrue);
    EXPECT_EQ(handler.DockedBottom(), kTrue);

    Slab wide(host, 28800 - 100, 360);
    clsDockingHandler across(host);
    across.setParentForm(&wide);
    across.StartDockDrag(0, 0);
    across.UpdateDockDrag(50 - wide.left(), 0);
    EXPECT_EQ(wide.left(), 0.0f);
    EXPECT_EQ(across.DockedLeft(), kTrue);
    EXPECT_EQ(across.DockedRight(), kTrue);
}

TEST_F(DockingTest, AMoveBackToTheGrabPointDoesNothingAtAll) {
    dh.StartDockDrag(300, 200);
    host.clearWindowCalls();
    dh.UpdateDockDrag(300.4f, 199.6f);  // rounds to no movement
    EXPECT_TRUE(host.windowCalls().empty());
    EXPECT_EQ(slab.left(), 15000.0f);

    dh.UpdateDockDrag(450, 200);
    EXPECT_EQ(host.windowCalls(),
              (std::vector<std::string>{"SetWindowPos Slab HWND_NOTOPMOST 1010 400 54 24 0"}));
}

TEST_F(DockingTest, SnapDistanceIsTenPixelsInTwipsRoundedHalfToEven) {
    const std::pair<float, std::int32_t> cases[] = {
        {15.0f, 150}, {12.0f, 120}, {14.25f, 142}, {14.75f, 148}, {0.0f, 0}};
    for (const auto& [twipsPerPixel, expected] : cases) {
        SCOPED_TRACE(twipsPerPixel);
        host.setTwipsPerPixel(twipsPerPixel);
        EXPECT_EQ(clsDockingHandler(host).SnapDistance(), expected);
    }
}

TEST_F(DockingTest, AlwaysOnTopReplacesTheSlabAndEveryLaterStep) {
    dh.setAlwaysOnTop(kTrue);
    EXPECT_TRUE(slab.isTopmost());
    EXPECT_EQ(host.windowCalls().back(), "SetWindowPos Slab HWND_TOPMOST 1000 400 54 24 0");
    grab();
    propose(16500, 6000);
    EXPECT_EQ(host.windowCalls().back(), "SetWindowPos Slab HWND_TOPMOST 1100 400 54 24 0");
    dh.setAlwaysOnTop(kFalse);
    EXPECT_FALSE(slab.isTopmost());

    clsDockingHandler alone(host);
    host.clearWindowCalls();
    alone.setAlwaysOnTop(kTrue);
    alone.UpdateDockDrag(500, 500);
    EXPECT_EQ(alone.AlwaysOnTop(), kTrue);
    EXPECT_TRUE(host.windowCalls().empty()) << "no form to place";
}

TEST_F(DockingTest, AFailedStepMovesNothingAndKeepsTheEdges) {
    grab();
    propose(27900, 6000);
    ASSERT_EQ(dh.DockedRight(), kTrue);
    host.setTwipsPerPixel(0);
    host.clearWindowCalls();
    try {
        propose(15000, 6000);
        ADD_FAILURE() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), 11);
    }
    EXPECT_EQ(slab.left(), 27990.0f);
    EXPECT_EQ(dh.DockedRight(), kTrue);
    EXPECT_TRUE(host.windowCalls().empty());

    // A distance beyond 32 bits is an overflow.
    host.setTwipsPerPixel(15);
    host.setScreen({-2000, 0, 1920, 1080}, {-2000, 0, 1920, 1040});
    slab.move(2147480000.0f, 6000, 810, 360);
    grab();
    try {
        dh.UpdateDockDrag(128, 0);
        ADD_FAILURE() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), ErrorNumber::Overflow);
    }
    EXPECT_EQ(slab.left(), 2147480000.0f);
}

// ---- The panel ----

using PanelTest = ArrangeTest;

TEST_F(PanelTest, ThePanelIsBornAtTheTopRightShowingItsWholePicture) {
    start();
    host.clearWindowCalls();
    Form3& panel = program->form3();
    EXPECT_EQ(panel.top(), 0.0f);
    EXPECT_EQ(panel.left(), 1920 * 15 - 3600.0f);
    ASSERT_FALSE(panel.picture().isNull());
    EXPECT_EQ(panel.width(), panel.picture().width() * 15.0f);
    EXPECT_EQ(panel.height(), panel.picture().height() * 15.0f);
    EXPECT_EQ(panel.clientWidthTwips(), panel.width()) << "no border";
    EXPECT_FALSE(panel.showInTaskbar());
    EXPECT_EQ(panel.caption(), "Plivora Image Viewer");
    EXPECT_TRUE(panel.isTopmost());
    EXPECT_FALSE(panel.isVisible());
    EXPECT_EQ(host.windowCalls(),
              (std::vector<std::string>{"SetWindowPos Form3 HWND_TOPMOST 0 0 0 0 3",
                                        "SetForegroundWindow Form3"}));
    EXPECT_EQ(panel.dockingHandler().ParentForm(), &panel);
    EXPECT_EQ(panel.dockingHandler().SnapDistance(), 150);
}

TEST_F(PanelTest, OnlyAMoveWithExactlyTheLeftButtonDragsThePanel) {
    start();
    Form3& panel = program->form3();
    panel.move(15000, 6000, panel.width(), panel.height());
    panel.raiseMouseDown(MouseButton::Left, 0, 100, 100);
    host.clearWindowCalls();
    for (int buttons : {0, MouseButton::Right, MouseButton::Left | MouseButton::Right}) {
        SCOPED_TRACE(buttons);
        panel.raiseMouseMove(buttons, 0, 1600, 1600);
        EXPECT_EQ(panel.left(), 15000.0f);
        EXPECT_TRUE(host.windowCalls().empty());
    }
    panel.raiseMouseMove(MouseButton::Left, 0, 1600, 1600);
    EXPECT_EQ(panel.left(), 16500.0f);
    EXPECT_EQ(panel.top(), 7500.0f);
    EXPECT_TRUE(panel.isTopmost()) << "the panel stays above whatever a drag step asks";
    // The middle button starts nothing: the grab point stays.
    panel.raiseMouseDown(MouseButton::Middle, 0, 500, 500);
    panel.raiseMouseMove(MouseButton::Left, 0, 100, 100);
    EXPECT_EQ(panel.left(), 16500.0f);
    EXPECT_FALSE(host.quitRequested());
}

}  // namespace
}  // namespace plivora
