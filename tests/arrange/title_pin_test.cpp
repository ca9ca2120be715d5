#include <string>
#include <vector>

#include "arrange/mod_main.h"
#include "arrange_fixture.h"
#include "forms/window_hooks.h"
#include "thumbs/form2.h"

namespace plivora {
namespace {

// The pin on the platform that delivers presses on it to the program's hook.
class TitlePinTest : public ArrangeTest {
protected:
    Form1& startWithPin() {
        host.setPlatformId(1);
        start();
        expectDistinctFaces({form1().imgStick.picture(), form1().imgNotStick.picture()});
        return form1();
    }

    // The pin sits 90 pixels left of the window's right edge and 6 below its top, 17 x 16.
    void expectPinPlaced() {
        Form1& f = form1();
        const RECT rect = windowRect(f);
        EXPECT_TRUE(f.picTitleStick.isVisible());
        EXPECT_EQ(f.picTitleStick.left(), (rect.right - 90) * 15.0f);
        EXPECT_EQ(f.picTitleStick.top(), (rect.top + 6) * 15.0f);
        EXPECT_EQ(f.picTitleStick.width(), 17 * 15.0f);
        EXPECT_EQ(f.picTitleStick.height(), 16 * 15.0f);
    }

    std::string pinPlacement(const char* zOrder) {
        const RECT rect = windowRect(form1());
        return std::string("SetWindowPos picTitleStick ") + zOrder + " " +
               std::to_string(rect.right - 90) + " " + std::to_string(rect.top + 6) + " 17 16 32";
    }

    // Lets one message pass so that a pending placement is done.
    void settle() { SendMessageA(host, &program->form2(), WM_ACTIVATE, WA_ACTIVE, 0); }

    void pressPin() { pressMouseButton(form1().picTitleStick, MouseButton::Left, 0, 60, 60); }
};

TEST_F(TitlePinTest, StartTakesThePinOutOfTheWindowWithOneHook) {
    Form1& f = startWithPin();
    EXPECT_EQ(program->blPinInstalled, kTrue);
    EXPECT_EQ(host.windowHooks().hookCount(), 1);
    EXPECT_TRUE(host.windowHooks().isInstalled(program->lngHookHandle));
    EXPECT_EQ(GetParent(&f.picTitleStick), nullptr) << "a child of the desktop";
    EXPECT_EQ(GetWindowLongA(&f.picTitleStick, GWL_EXSTYLE), WS_EX_TOOLWINDOW);
    EXPECT_FALSE(f.cmdStick.isVisible());
    EXPECT_EQ(f.picTitleStick.picture(), f.imgStick.picture());
    expectPinPlaced();
}

TEST_F(TitlePinTest, MovingOrRepaintingTheFramePlacesThePinAgain) {
    Form1& f = startWithPin();
    settle();
    host.clearWindowCalls();
    f.move(3000, 4500, f.width(), f.height());
    expectPinPlaced();
    EXPECT_EQ(callsOn("picTitleStick"), (std::vector<std::string>{pinPlacement("HWND_TOPMOST")}));

    f.setGeometryFromView(6000, 1500, f.width(), f.height());  // dragged by the user
    expectPinPlaced();

    // Other messages leave the pin alone until the frame is repainted.
    f.picTitleStick.move(0, 0, 255, 240);
    SendMessageA(host, &f, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(f.picTitleStick.left(), 0.0f);
    SendMessageA(host, &f, WM_NCPAINT, 1, 0);
    expectPinPlaced();

    // Once a refresh is asked for, a message to any window places it.
    f.picTitleStick.move(0, 0, 255, 240);
    program->blPinRefresh = kTrue;
    settle();
    expectPinPlaced();
    EXPECT_EQ(program->blPinRefresh, kFalse);
}

TEST_F(TitlePinTest, PressingThePinTogglesTopmostWithAFreshHook) {
    Form1& f = startWithPin();
    settle();
    const std::int32_t first = program->lngHookHandle;

    pressPin();
    EXPECT_EQ(program->blOnTop, kFalse);
    EXPECT_FALSE(f.isTopmost());
    EXPECT_EQ(f.picTitleStick.picture(), f.imgNotStick.picture());
    EXPECT_EQ(host.windowHooks().hookCount(), 1);
    EXPECT_NE(program->lngHookHandle, first);
    EXPECT_TRUE(host.windowHooks().isInstalled(program->lngHookHandle));
    EXPECT_EQ(program->intPinZOrder, -2);
    EXPECT_EQ(program->blPinRefresh, kTrue);

    // From -2 the pin of a window that is not topmost is placed once, just above normal windows.
    host.clearWindowCalls();
    settle();
    EXPECT_EQ(callsOn("picTitleStick"), (std::vector<std::string>{pinPlacement("HWND_NOTOPMOST")}));
    EXPECT_EQ(program->intPinZOrder, -1);
    // From -1: above every window, then just above the normal ones.
    host.clearWindowCalls();
    f.move(f.left() + 150, f.top(), f.width(), f.height());
    EXPECT_EQ(callsOn("picTitleStick"), (std::vector<std::string>{pinPlacement("HWND_TOPMOST"),
                                                                  pinPlacement("HWND_NOTOPMOST")}));
    EXPECT_EQ(program->intPinZOrder, -1);

    pressPin();
    EXPECT_EQ(program->blOnTop, kTrue);
    EXPECT_TRUE(f.isTopmost());
    EXPECT_EQ(f.picTitleStick.picture(), f.imgStick.picture());
    EXPECT_EQ(host.windowHooks().hookCount(), 1);
    EXPECT_EQ(GetParent(&f.picTitleStick), nullptr);
    host.clearWindowCalls();
    f.move(f.left() + 150, f.top(), f.width(), f.height());
    EXPECT_EQ(callsOn("picTitleStick"), (std::vector<std::string>{pinPlacement("HWND_TOPMOST")}));
    expectPinPlaced();
}

TEST_F(TitlePinTest, ThePinHidesWithTheWindowInTinyModeAndComesBack) {
    Form1& f = startWithPin();
    f.move(3000, 3000, f.width(), f.height());
    f.cmdTiny.raiseClick();
    EXPECT_FALSE(f.isVisible());
    EXPECT_FALSE(f.picTitleStick.isVisible());
    SendMessageA(host, &f, WM_NCPAINT, 1, 0);
    EXPECT_FALSE(f.picTitleStick.isVisible()) << "stays hidden while the window is";

    hoverPanel(centreOf(program->form3()));
    EXPECT_TRUE(f.isVisible());
    expectPinPlaced();
    EXPECT_EQ(program->blOnTop, kTrue) << "the two toggles cancel out";
    EXPECT_TRUE(f.isTopmost());
    EXPECT_EQ(f.picTitleStick.picture(), f.imgStick.picture());
    EXPECT_EQ(host.windowHooks().hookCount(), 1);
}

TEST_F(TitlePinTest, ClosingRemovesTheHookAndPutsThePinBack) {
    Form1& f = startWithPin();
    EXPECT_TRUE(f.unload(Form::kFormControlMenu));
    EXPECT_EQ(host.windowHooks().hookCount(), 0);
    EXPECT_EQ(GetParent(&f.picTitleStick), &f);
    EXPECT_TRUE(host.quitRequested());
}

TEST_F(TitlePinTest, ClosingWithoutAHookRemovesNothing) {
    start();
    Form1& f = form1();
    EXPECT_EQ(program->blPinInstalled, kFalse);
    EXPECT_EQ(host.windowHooks().hookCount(), 0);
    EXPECT_FALSE(f.picTitleStick.isVisible());
    EXPECT_TRUE(f.cmdStick.isVisible());
    const std::int32_t other = SetWindowsHookExA(
        host, WH_CALLWNDPROC, [](int, std::int32_t, const CWPSTRUCT&) { return 0; }, 0,
        GetCurrentThreadId());
    ASSERT_NE(other, 0);
    EXPECT_TRUE(f.unload(Form::kFormControlMenu));
    EXPECT_TRUE(host.windowHooks().isInstalled(other));
    EXPECT_EQ(GetParent(&f.picTitleStick), &f);
    EXPECT_TRUE(host.quitRequested());
}

TEST_F(TitlePinTest, TheStickButtonTogglesWithoutTouchingThePin) {
    for (int platform : {1, 2}) {
        SCOPED_TRACE(platform);
        host.setPlatformId(platform);
        start();
        Form1& f = form1();
        settle();
        const std::int32_t hook = program->lngHookHandle;
        const int hooks = host.windowHooks().hookCount();
        const float pinLeft = f.picTitleStick.left();
        const bool pinVisible = f.picTitleStick.isVisible();
        const HWND pinParent = GetParent(&f.picTitleStick);
        const std::int16_t zOrder = program->intPinZOrder;

        host.clearWindowCalls();
        f.cmdStick.raiseMouseUp(MouseButton::Right, 0, 5, 5);
        EXPECT_EQ(program->blOnTop, kFalse);
        EXPECT_FALSE(f.isTopmost());
        EXPECT_EQ(f.cmdStick.backColor(), kBlack);
        f.cmdStick.raiseMouseUp(MouseButton::Left, 0, -500, 5);
        EXPECT_EQ(program->blOnTop, kTrue);
        EXPECT_TRUE(f.isTopmost());
        EXPECT_EQ(f.cmdStick.backColor(), kButtonFace);
        EXPECT_EQ(host.windowCalls(),
                  (std::vector<std::string>{"SetWindowPos Form1 HWND_NOTOPMOST 0 0 0 0 3",
                                            "SetWindowPos Form1 HWND_TOPMOST 0 0 0 0 3"}));

        EXPECT_EQ(program->lngHookHandle, hook);
        EXPECT_EQ(host.windowHooks().hookCount(), hooks);
        EXPECT_EQ(f.picTitleStick.left(), pinLeft);
        EXPECT_EQ(f.picTitleStick.isVisible(), pinVisible);
        EXPECT_EQ(GetParent(&f.picTitleStick), pinParent);
        EXPECT_EQ(program->intPinZOrder, zOrder);
        program.reset();
    }
}

}  // namespace
}  // namespace plivora
