#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "forms/form.h"
#include "forms/frame.h"
#include "forms/label.h"
#include "forms/picture_box.h"
#include "forms/window_calls.h"
#include "forms/window_hooks.h"
#include "headless/headless_host.h"

namespace plivora {
namespace {

class TestForm : public Form {
public:
    explicit TestForm(Host& host) : Form(host, "TestForm") {}
    PictureBox pic{*this, "pic"};
    Frame frame{*this, "frame"};
    Label inFrame{*this, "inFrame", &frame};
};

// What a hook saw, in order, with the handlers' own entries mixed in.
struct Seen {
    std::uint32_t message = 0;
    std::int32_t wParam = 0;
    HWND hwnd = nullptr;
    bool operator==(const Seen&) const = default;
};

class WindowHooksTest : public ::testing::Test {
protected:
    std::int32_t recordAll() {
        return SetWindowsHookExA(
            host, WH_CALLWNDPROC,
            [this](int, std::int32_t, const CWPSTRUCT& r) {
                seen.push_back({r.message, r.wParam, r.hwnd});
                return 0;
            },
            0, GetCurrentThreadId());
    }

    std::vector<std::uint32_t> messages() const {
        std::vector<std::uint32_t> out;
        for (const Seen& s : seen) {
            out.push_back(s.message);
        }
        return out;
    }

    HeadlessHost host;
    TestForm form{host};
    std::vector<Seen> seen;
};

TEST_F(WindowHooksTest, HooksSeeAFormsMessagesBeforeItsHandlersRun) {
    form.move(1500, 1500, 3000, 2000);
    recordAll();
    form.move(1500, 1500, 4000, 2000);
    EXPECT_TRUE(seen.empty()) << "a form that is not loaded has no window yet";

    std::vector<std::string> order;
    form.Resize = [&] { order.push_back("Resize after " + std::to_string(seen.size())); };
    form.Paint = [&] { order.push_back("Paint after " + std::to_string(seen.size())); };
    form.show();
    EXPECT_EQ(messages(),
              (std::vector<std::uint32_t>{WM_SHOWWINDOW, WM_NCPAINT, WM_SIZE, WM_PAINT}));
    EXPECT_EQ(seen[0].wParam, 1);
    EXPECT_EQ(order, (std::vector<std::string>{"Resize after 3", "Paint after 4"}));

    seen.clear();
    form.move(3000, 1500, 4000, 2000);
    EXPECT_EQ(messages(), (std::vector<std::uint32_t>{WM_MOVE}));
    seen.clear();
    form.move(3000, 1500, 4500, 2500);
    EXPECT_EQ(messages(), (std::vector<std::uint32_t>{WM_NCPAINT, WM_SIZE}));
    seen.clear();
    form.setGeometryFromView(1500, 1500, 4500, 2500);
    EXPECT_EQ(messages(), (std::vector<std::uint32_t>{WM_MOVE}));
    seen.clear();
    form.setWindowState(WindowState::Minimized);
    form.setWindowState(WindowState::Normal);
    EXPECT_EQ(messages(), (std::vector<std::uint32_t>{WM_SIZE, WM_NCPAINT, WM_SIZE}));
    EXPECT_EQ(seen[0].wParam, 1);
    seen.clear();
    form.hide();
    EXPECT_EQ(seen, (std::vector<Seen>{{WM_SHOWWINDOW, 0, &form}}));
    seen.clear();
    SetWindowPos(&form, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(&form);
    EXPECT_EQ(messages(), (std::vector<std::uint32_t>{WM_WINDOWPOSCHANGING, WM_ACTIVATE}));
}

TEST_F(WindowHooksTest, NewestHookRunsFirstAndDecidesWhetherOlderOnesSeeTheMessage) {
    form.load();
    std::vector<std::string> calls;
    bool passOn = true;
    const std::int32_t older = SetWindowsHookExA(
        host, WH_CALLWNDPROC,
        [&](int, std::int32_t, const CWPSTRUCT&) {
            calls.push_back("older");
            return 0;
        },
        0, GetCurrentThreadId());
    std::int32_t newer = 0;
    newer = SetWindowsHookExA(
        host, WH_CALLWNDPROC,
        [&](int code, std::int32_t wParam, const CWPSTRUCT& r) {
            calls.push_back("newer");
            return passOn ? CallNextHookEx(host, newer, code, wParam, r) : 0;
        },
        0, GetCurrentThreadId());
    ASSERT_NE(older, 0);
    ASSERT_NE(newer, 0);
    EXPECT_NE(older, newer);

    SendMessageA(host, &form, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(calls, (std::vector<std::string>{"newer", "older"}));
    calls.clear();
    passOn = false;
    SendMessageA(host, &form, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(calls, (std::vector<std::string>{"newer"}));

    EXPECT_EQ(UnhookWindowsHookEx(host, newer), 1);
    EXPECT_EQ(UnhookWindowsHookEx(host, newer), 0) << "a removed hook fails quietly";
    EXPECT_EQ(UnhookWindowsHookEx(host, 0), 0);
    calls.clear();
    SendMessageA(host, &form, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(calls, (std::vector<std::string>{"older"}));
}

TEST_F(WindowHooksTest, OnlyCallWindowHooksOfTheProgramsThreadAreInstalled) {
    const HOOKPROC none = [](int, std::int32_t, const CWPSTRUCT&) { return 0; };
    const std::uint32_t thread = GetCurrentThreadId();
    EXPECT_EQ(SetWindowsHookExA(host, 3, none, 0, thread), 0);          // WH_GETMESSAGE
    EXPECT_EQ(SetWindowsHookExA(host, WH_CALLWNDPROC, none, 0, 0), 0);  // global
    EXPECT_EQ(SetWindowsHookExA(host, WH_CALLWNDPROC, none, 0, thread + 1), 0);
    EXPECT_EQ(SetWindowsHookExA(host, WH_CALLWNDPROC, HOOKPROC{}, 0, thread), 0);
    EXPECT_EQ(host.windowHooks().hookCount(), 0);
    EXPECT_NE(SetWindowsHookExA(host, WH_CALLWNDPROC, none, 0, thread), 0);
    EXPECT_EQ(host.windowHooks().hookCount(), 1);
    host.windowHooks().threadEnded();
    EXPECT_EQ(host.windowHooks().hookCount(), 0);
}

TEST_F(WindowHooksTest, AHookMayRemoveItselfAndIsNotEnteredByTheMessagesItSends) {
    form.load();
    int runs = 0;
    std::int32_t self = 0;
    self = SetWindowsHookExA(
        host, WH_CALLWNDPROC,
        [&](int, std::int32_t, const CWPSTRUCT&) {
            ++runs;
            form.move(form.left() + 15, form.top(), form.width(), form.height());  // WM_MOVE
            UnhookWindowsHookEx(host, self);
            recordAll();  // a fresh hook, installed while the old one runs
            return 0;
        },
        0, GetCurrentThreadId());
    SendMessageA(host, &form, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(seen.empty()) << "the move inside the hook passed no hook";
    EXPECT_FALSE(host.windowHooks().isInstalled(self));
    form.move(0, 0, form.width(), form.height());
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(messages(), (std::vector<std::uint32_t>{WM_MOVE}));
}

TEST_F(WindowHooksTest, ParentsFollowContainersUntilSetParentMovesAWindow) {
    EXPECT_EQ(GetParent(&form), nullptr);
    EXPECT_EQ(GetParent(&form.pic), &form);
    EXPECT_EQ(GetParent(&form.inFrame), &form.frame);

    EXPECT_EQ(SetParent(&form.pic, nullptr), &form);
    EXPECT_EQ(GetParent(&form.pic), nullptr);
    EXPECT_EQ(SetParent(&form.pic, &form.frame), nullptr);
    EXPECT_EQ(GetParent(&form.pic), &form.frame);
    EXPECT_EQ(SetParent(&form.pic, &form), &form.frame);
    EXPECT_EQ(GetParent(&form.pic), &form);

    // No cycles, and a form stays top-level.
    EXPECT_EQ(SetParent(&form.frame, &form.inFrame), nullptr);
    EXPECT_EQ(SetParent(&form.frame, &form.frame), nullptr);
    EXPECT_EQ(GetParent(&form.frame), &form);
    EXPECT_EQ(SetParent(&form, &form.frame), nullptr);
    EXPECT_EQ(GetParent(&form), nullptr);

    EXPECT_EQ(SetWindowLongA(&form.pic, GWL_EXSTYLE, WS_EX_TOOLWINDOW), 0);
    EXPECT_EQ(GetWindowLongA(&form.pic, GWL_EXSTYLE), WS_EX_TOOLWINDOW);
    EXPECT_EQ(SetWindowLongA(&form.pic, -16, 1), 0) << "only the extended style is kept";
    EXPECT_EQ(GetWindowLongA(&form.pic, -16), 0);
}

TEST_F(WindowHooksTest, AChildOfADestroyedWindowFallsToTheDesktop) {
    auto holder = std::make_unique<PictureBox>(form, "holder");
    auto child = std::make_unique<PictureBox>(form, "child");
    SetParent(child.get(), holder.get());
    holder.reset();
    EXPECT_EQ(GetParent(child.get()), nullptr);
}

TEST_F(WindowHooksTest, APressIsReportedToEachParentBeforeTheControlSeesIt) {
    form.load();
    form.frame.move(600, 900, 3000, 1500);
    form.inFrame.move(150, 300, 600, 300);
    std::vector<std::string> order;
    form.inFrame.MouseDown = [&](int button, int, float x, float y) {
        order.push_back("MouseDown " + std::to_string(button) + " " + std::to_string(int(x)) + " " +
                        std::to_string(int(y)) + " after " + std::to_string(seen.size()));
    };
    recordAll();
    pressMouseButton(form.inFrame, MouseButton::Right, 0, 30, 45);
    EXPECT_EQ(seen, (std::vector<Seen>{
                        {WM_PARENTNOTIFY, static_cast<std::int32_t>(WM_RBUTTONDOWN), &form.frame},
                        {WM_PARENTNOTIFY, static_cast<std::int32_t>(WM_RBUTTONDOWN), &form}}));
    EXPECT_EQ(order, (std::vector<std::string>{"MouseDown 2 30 45 after 2"}));

    // A child of the desktop reports to the desktop; a press on a form reports nothing.
    seen.clear();
    SetParent(&form.pic, nullptr);
    pressMouseButton(form.pic, MouseButton::Left, 0, 0, 0);
    EXPECT_EQ(
        seen,
        (std::vector<Seen>{{WM_PARENTNOTIFY, static_cast<std::int32_t>(WM_LBUTTONDOWN), nullptr}}));
    seen.clear();
    pressMouseButton(form, MouseButton::Left, 0, 0, 0);
    EXPECT_TRUE(seen.empty());
    SetWindowLongA(&form.pic, GWL_EXSTYLE, WS_EX_NOPARENTNOTIFY);
    pressMouseButton(form.pic, MouseButton::Left, 0, 0, 0);
    EXPECT_TRUE(seen.empty());
}

}  // namespace
}  // namespace plivora
