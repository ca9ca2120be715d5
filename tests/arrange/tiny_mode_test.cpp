#include <filesystem>
#include <string>
#include <vector>

#include "app/settings_record.h"
#include "arrange_fixture.h"
#include "thumbs/form2.h"

namespace plivora {
namespace {

// The main window at 3000, 3000 twips (200, 200 pixels); the panel at the top right.
class TinyModeTest : public ArrangeTest {
protected:
    Form1& startNormal() {
        start();
        Form1& f = form1();
        f.move(3000, 3000, f.width(), f.height());
        return f;
    }

    // Tiny on, then the panel brings the main window back.
    Form1& startTinyShown() {
        Form1& f = startNormal();
        f.cmdTiny.raiseClick();
        hoverPanel(centreOf(program->form3()));
        return f;
    }

    // The mouse moves over the main window's background.
    void visitMain() {
        Form1& f = form1();
        host.setCursorPos(centreOf(f));
        f.raiseMouseMove(0, 0, 600, 600);
    }

    static PixelPoint farAway() { return {1500, 900}; }

    struct Flags {
        Bool16 tinyMode, mainHidden, panelShown, panelLeft, mouseWasOver, tinyOff;
        bool operator==(const Flags&) const = default;
    };
    Flags flags() const {
        const Program& p = *program;
        return {p.blTinyMode,  p.blMainHidden,   p.blPanelShown,
                p.blPanelLeft, p.blMouseWasOver, p.blTinyOff};
    }
};

TEST_F(TinyModeTest, TinyOnHidesTheMainWindowAndShowsThePanel) {
    Form1& f = startNormal();
    EXPECT_FALSE(program->hasForm3()) << "the panel is made on first use";
    f.cmdTiny.raiseClick();
    ASSERT_TRUE(program->hasForm3());
    Form3& panel = program->form3();
    EXPECT_FALSE(f.isVisible());
    EXPECT_TRUE(panel.isVisible());
    EXPECT_TRUE(panel.isTopmost());
    EXPECT_EQ(panel.top(), 0.0f);
    EXPECT_EQ(program->blTinyMode, kTrue);
    EXPECT_EQ(program->blMainHidden, kTrue);
    EXPECT_EQ(program->blPanelShown, kTrue);
    EXPECT_EQ(program->blPanelLeft, kFalse);
    EXPECT_EQ(program->blTinyOff, kFalse);
}

TEST_F(TinyModeTest, TheWholeCycleWithTheClockAndAMovingCursor) {
    Form1& f = startNormal();
    f.cmdTiny.raiseClick();
    Form3& panel = program->form3();

    // Hidden: the watch has nothing to do, wherever the cursor is.
    host.setCursorPos(farAway());
    host.advance(3000);
    EXPECT_FALSE(f.isVisible());

    // Hovering over the panel brings the main window back.
    hoverPanel(centreOf(panel));
    EXPECT_TRUE(f.isVisible());
    EXPECT_TRUE(panel.isVisible());
    EXPECT_EQ(program->blMainHidden, kFalse);
    EXPECT_EQ(program->blPanelLeft, kTrue);
    EXPECT_EQ(program->blPanelShown, kFalse);
    EXPECT_EQ(program->blMouseWasOver, kFalse);

    // Right after a restore the panel does nothing more.
    const Flags afterRestore = flags();
    host.clearWindowCalls();
    hoverPanel(centreOf(panel));
    EXPECT_EQ(flags(), afterRestore);
    EXPECT_TRUE(host.windowCalls().empty());

    // The window stays while the mouse has not been over it, however far away the cursor is.
    host.setCursorPos(farAway());
    host.advance(5000);
    EXPECT_TRUE(f.isVisible());

    // A drag leaves the panel above other windows.
    panel.raiseMouseDown(MouseButton::Left, 0, 100, 100);
    panel.raiseMouseMove(MouseButton::Left, 0, 100, 1600);
    EXPECT_TRUE(panel.isTopmost());

    // Visited, then left: within a second the panel takes over again, topmost.
    visitMain();
    EXPECT_EQ(program->blMouseWasOver, kTrue);
    EXPECT_EQ(program->blPanelLeft, kFalse);
    host.advance(1000);
    EXPECT_TRUE(f.isVisible()) << "the cursor is still inside";
    host.setCursorPos(farAway());
    host.clearWindowCalls();
    host.advance(999);
    EXPECT_TRUE(f.isVisible());
    host.advance(1);
    EXPECT_FALSE(f.isVisible());
    EXPECT_TRUE(panel.isTopmost());
    EXPECT_EQ(callsOn("Form3"),
              (std::vector<std::string>{"SetWindowPos Form3 HWND_TOPMOST 0 0 0 0 3"}));
    EXPECT_EQ(program->blMainHidden, kTrue);
    EXPECT_EQ(program->blPanelShown, kTrue);
    EXPECT_EQ(program->blMouseWasOver, kFalse);

    // Back again, then tiny mode off.
    hoverPanel(centreOf(panel));
    EXPECT_TRUE(f.isVisible());
    f.cmdTiny.raiseClick();
    EXPECT_TRUE(f.isVisible());
    EXPECT_FALSE(panel.isVisible());
    EXPECT_EQ(program->blTinyMode, kFalse);
    EXPECT_EQ(program->blTinyOff, kTrue);
    EXPECT_EQ(program->blPanelLeft, kTrue);
    EXPECT_EQ(program->blMainHidden, kFalse);

    // Off: neither the watch nor the panel do anything.
    visitMain();
    host.setCursorPos(farAway());
    host.advance(2000);
    EXPECT_TRUE(f.isVisible());
    const Flags off = flags();
    program->blPanelShown = kTrue;
    hoverPanel(centreOf(panel));
    EXPECT_EQ(program->blPanelShown, kTrue) << "blTinyOff stops the restore";
    program->blPanelShown = off.panelShown;

    // On again: the panel is shown at the top once more.
    panel.move(panel.left(), 6000, panel.width(), panel.height());
    f.cmdTiny.raiseClick();
    EXPECT_EQ(panel.top(), 0.0f);
    EXPECT_TRUE(panel.isVisible());
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(program->blTinyOff, kFalse);
}

TEST_F(TinyModeTest, ACursorOnTheMainWindowsBorderIsInside) {
    struct Case {
        const char* where;
        int dx;  // offsets from the named corner
        int dy;
        bool topLeft;
        bool hidden;
    };
    const Case cases[] = {
        {"top-left corner", 0, 0, true, false},
        {"bottom-right corner", 0, 0, false, false},
        {"left of the left edge", -1, 0, true, true},
        {"above the top edge", 0, -1, true, true},
        {"right of the right edge", 1, 0, false, true},
        {"below the bottom edge", 0, 1, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        Form1& f = startTinyShown();
        visitMain();
        const RECT rect = windowRect(f);
        host.setCursorPos(c.topLeft ? PixelPoint{rect.left + c.dx, rect.top + c.dy}
                                    : PixelPoint{rect.right + c.dx, rect.bottom + c.dy});
        host.advance(1000);
        EXPECT_EQ(!f.isVisible(), c.hidden);
        program.reset();
    }
}

TEST_F(TinyModeTest, ACursorOnThePanelsBorderIsInside) {
    struct Case {
        const char* where;
        int dx;
        int dy;
        bool topLeft;
        bool restored;
    };
    const Case cases[] = {
        {"top-left corner", 0, 0, true, true},
        {"bottom-right corner", 0, 0, false, true},
        {"left of the left edge", -1, 0, true, false},
        {"below the bottom edge", 0, 1, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        Form1& f = startNormal();
        f.cmdTiny.raiseClick();
        const RECT rect = windowRect(program->form3());
        hoverPanel(c.topLeft ? PixelPoint{rect.left + c.dx, rect.top + c.dy}
                             : PixelPoint{rect.right + c.dx, rect.bottom + c.dy});
        EXPECT_EQ(f.isVisible(), c.restored);
        program.reset();
    }
}

TEST_F(TinyModeTest, AMinimisedWindowIsNeverHiddenAndComesBackNormal) {
    Form1& f = startTinyShown();
    visitMain();
    f.setWindowState(WindowState::Minimized);
    EXPECT_EQ(program->blPanelShown, kTrue) << "minimising arms the restore";
    EXPECT_EQ(program->form2().windowState(), WindowState::Minimized);
    host.setCursorPos(farAway());
    host.advance(3000);
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(program->blMouseWasOver, kFalse);

    hoverPanel(centreOf(program->form3()));
    EXPECT_EQ(f.windowState(), WindowState::Normal);
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(program->form2().windowState(), WindowState::Maximized)
        << "restoring the main window maximises the minimised thumbnail window";
}

TEST_F(TinyModeTest, MinimisedRightAfterARestoreTheWindowCannotBeBroughtBack) {
    Form1& f = startTinyShown();
    ASSERT_EQ(program->blPanelLeft, kTrue);
    f.setWindowState(WindowState::Minimized);
    hoverPanel(centreOf(program->form3()));
    EXPECT_EQ(f.windowState(), WindowState::Minimized);
    EXPECT_EQ(program->blPanelShown, kTrue);
}

// The panel stands in for the hidden main window: a close by the window manager brings the main
// window back as Tiny off does, from either tiny state and from a minimised window, and never
// leaves the program without a window.
TEST_F(TinyModeTest, AWindowManagerCloseOfThePanelActsAsTinyOff) {
    for (const char* state : {"hidden", "shown", "minimised"}) {
        SCOPED_TRACE(state);
        Form1& f = startNormal();
        f.cmdTiny.raiseClick();
        Form3& panel = program->form3();
        if (std::string(state) != "hidden") {
            hoverPanel(centreOf(panel));
        }
        if (std::string(state) == "minimised") {
            f.setWindowState(WindowState::Minimized);
        }
        EXPECT_FALSE(panel.unload(Form::kFormControlMenu));
        EXPECT_TRUE(panel.isLoaded());
        EXPECT_FALSE(panel.isVisible());
        EXPECT_TRUE(f.isVisible());
        EXPECT_EQ(f.windowState(), WindowState::Normal);
        EXPECT_EQ(program->blTinyMode, kFalse);
        EXPECT_EQ(program->blTinyOff, kTrue);
        EXPECT_EQ(program->blMainHidden, kFalse);
        EXPECT_FALSE(host.quitRequested());
        // Tiny on again shows the same panel.
        f.cmdTiny.raiseClick();
        EXPECT_TRUE(panel.isVisible());
        EXPECT_FALSE(f.isVisible());
        program.reset();
    }
}

// Without a stored position the main window stands below the strip where the panel is born, so
// that the window the panel brings back never covers the panel, in either arrangement.
TEST_F(TinyModeTest, TheFirstPlaceOfTheMainWindowLeavesThePanelInSight) {
    for (const bool vertical : {false, true}) {
        SCOPED_TRACE(vertical);
        std::filesystem::remove(settingsPath());
        if (vertical) {
            SettingsRecord shape;
            shape.setSection("[Shape]");
            shape.setValue("Vertical");
            const std::vector<std::uint8_t> bytes = shape.toBytes();
            writeFile(settingsPath(), std::string(bytes.begin(), bytes.end()));
        }
        start();
        Form1& f = form1();
        f.cmdTiny.raiseClick();
        Form3& panel = program->form3();
        hoverPanel(centreOf(panel));
        ASSERT_TRUE(f.isVisible());
        const RECT main = windowRect(f);
        const RECT tab = windowRect(panel);
        const bool overlap = main.left < tab.right && tab.left < main.right &&
                             main.top < tab.bottom && tab.top < main.bottom;
        EXPECT_FALSE(overlap) << "main " << main.left << "," << main.top << " " << main.right << ","
                              << main.bottom << "; panel " << tab.left << "," << tab.top << " "
                              << tab.right << "," << tab.bottom;
        EXPECT_EQ(main.right, host.workArea().right - Form1::kStartMarginPixels);
        program.reset();
    }
}

TEST_F(TinyModeTest, ARightClickOnThePanelSavesThePositionAndEndsTheProgram) {
    Form1& f = startNormal();
    f.move(4500, 3000, f.width(), f.height());
    f.cmdTiny.raiseClick();
    ASSERT_FALSE(f.isVisible());
    program->form3().raiseMouseDown(MouseButton::Right, 0, 100, 100);
    EXPECT_TRUE(host.quitRequested());
    EXPECT_FALSE(f.isLoaded());

    const std::string bytes = readFile(settingsPath());
    ASSERT_EQ(bytes.size(), 110u);
    SettingsRecord position =
        SettingsRecord::fromBytes(std::vector<std::uint8_t>(bytes.begin() + 55, bytes.end()));
    EXPECT_EQ(position.trimmedSection(), "[Form1Pos]");
    EXPECT_EQ(position.top, 3000);
    EXPECT_EQ(position.left, 4500);
}

}  // namespace
}  // namespace plivora
