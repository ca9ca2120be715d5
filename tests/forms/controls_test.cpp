#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "forms/drive_list_box.h"
#include "forms/form.h"
#include "forms/image_control.h"
#include "forms/image_list.h"
#include "forms/list_view.h"
#include "forms/timer_control.h"
#include "forms/window_calls.h"
#include "headless/headless_host.h"
#include "win/error.h"

namespace plivora {
namespace {

class TestForm : public Form {
public:
    explicit TestForm(Host& host) : Form(host, "TestForm") {}
    ImageControl image{*this, "image"};
    TimerControl fast{*this, "fast"};
    TimerControl slow{*this, "slow"};
    ImageList icons{*this, "icons"};
    ListView list{*this, "list"};
};

// Showing a shown window, or making a topmost window topmost again, brings it to the front.
TEST(FormStacking, ShowingAShownWindowBringsItForward) {
    HeadlessHost host;
    TestForm form(host);
    form.show();
    const int shown = form.zOrderRank();
    form.show();
    EXPECT_GT(form.zOrderRank(), shown);
    const int again = form.zOrderRank();
    SetWindowPos(&form, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetWindowPos(&form, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_GT(form.zOrderRank(), again + 1);
}

// Every kind of event (input, timer ticks, form events) reports an Error its handler lets out to
// the host, once, and the program goes on; anything that is not an Error is not caught.
TEST(HandlerBoundary, EveryEventKindReportsAnErrorToTheHost) {
    HeadlessHost host;
    TestForm form(host);
    const auto fail = [] { throw Error(ErrorNumber::FileNotFound); };
    form.Load = fail;
    form.Resize = fail;
    form.Paint = fail;
    form.image.Click = fail;
    form.image.MouseDown = [](int, int, float, float) { throw Error(ErrorNumber::Overflow); };
    form.fast.Timer = fail;
    form.fast.setInterval(100);

    form.show();  // Load, then the first Resize and Paint
    form.image.raiseClick();
    form.image.raiseMouseDown(1, 0, 0, 0);
    host.advance(100);
    std::vector<std::string> seen;
    for (const HeadlessHost::HandlerFailure& failure : host.handlerFailures()) {
        seen.push_back(failure.control + " " + std::to_string(failure.number));
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"TestForm 53", "TestForm 53", "TestForm 53",
                                              "image 53", "image 6", "fast 53"}));
    EXPECT_TRUE(form.isVisible());

    form.image.Click = [] { throw std::logic_error("a fault"); };
    EXPECT_THROW(form.image.raiseClick(), std::logic_error);
}

TEST(FormGeometry, ACustomScaleMapsControlUnitsOntoTheClientArea) {
    HeadlessHost host;
    TestForm form(host);
    form.setClientSize(3000, 1500);
    EXPECT_FLOAT_EQ(form.width(), 3096);
    EXPECT_FLOAT_EQ(form.scaleWidth(), 3000);
    form.setScaleWidth(1500);
    EXPECT_FLOAT_EQ(form.scaleHeight(), 1500);
    EXPECT_FLOAT_EQ(form.unitsToTwipsX(), 2.0f);
    // A picture's natural size is given in the form's units.
    form.image.setPicture(Picture(Image(10, 10)));
    EXPECT_FLOAT_EQ(form.image.width(), 75);
    EXPECT_FLOAT_EQ(form.image.height(), 150);
}

TEST(WindowCalls, SetWindowPosWorksInPixelsAndSetsTheZOrder) {
    HeadlessHost host;
    TestForm form(host);
    form.move(150, 300, 3000, 1500);
    SetWindowPos(&form, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_TRUE(form.isTopmost());
    EXPECT_FLOAT_EQ(form.left(), 150);
    SetWindowPos(&form, HWND_NOTOPMOST, 20, 30, 100, 50, 0);
    EXPECT_FALSE(form.isTopmost());
    RECT rect;
    GetWindowRect(&form, rect);
    EXPECT_EQ(rect.left, 20);
    EXPECT_EQ(rect.top, 30);
    EXPECT_EQ(rect.right, 120);
    EXPECT_EQ(rect.bottom, 80);
    ASSERT_EQ(host.windowCalls().size(), 2u);

    OSVERSIONINFO info;
    EXPECT_EQ(GetVersionExA(host, info), 0);  // the size field must be set
    info.dwOSVersionInfoSize = 148;
    host.setPlatformId(1);
    EXPECT_EQ(GetVersionExA(host, info), 1);
    EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_WINDOWS);
}

TEST(ListViewAndImageList, ItemsNeedTheirIconAndAPressComesBeforeTheItemClick) {
    HeadlessHost host;
    TestForm form(host);
    form.icons.setImageWidth(60);
    form.icons.setImageHeight(60);
    EXPECT_THROW(form.list.addItem("a", "a.gif"), Error);  // no image list attached
    form.icons.add("a.gif", Picture(Image(640, 480)));
    EXPECT_EQ(form.icons.find("a.gif")->image.width, 60);
    EXPECT_EQ(form.icons.find("a.gif")->image.height, 60);
    try {
        form.icons.add("a.gif", Picture(Image(1, 1)));
        FAIL() << "a duplicate key was taken";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), 35602);
    }
    form.list.setIcons(&form.icons);
    EXPECT_THROW(form.list.addItem("b", "b.gif"), Error);
    form.list.addItem("a.gif\r\n640 x 480", "a.gif");

    std::vector<std::string> events;
    form.list.MouseDown = [&](int button, int, float, float) {
        events.push_back("down " + std::to_string(button));
    };
    form.list.ItemClick = [&](int position) {
        events.push_back("item " + std::to_string(position));
    };
    form.list.pressItem(0, MouseButton::Right, 0, 10, 10);
    form.list.pressItem(-1, MouseButton::Left, 0, 500, 500);
    EXPECT_EQ(events, (std::vector<std::string>{"down 2", "item 0", "down 1"}));
    EXPECT_TRUE(form.list.items()[0].selected);
}

// A view that notes what its control tells it.
class NotedView : public ControlView {
public:
    void controlChanged(ViewChange change) override { changes.push_back(change); }
    std::vector<ViewChange> changes;
};

// A view redraws only what changed: setting a control's geometry, visibility, enabled state or
// background to what it already is tells the view nothing (handlers that run on every mouse move
// or timer tick set them again and again), and a real change tells it once, of its own kind.
TEST(ControlViews, AViewHearsOfAPropertyOnlyWhenItChanges) {
    HeadlessHost host;
    TestForm form(host);
    ImageControl& image = form.image;
    NotedView view;
    image.setView(&view);
    image.move(10, 20, 30, 40);
    image.setVisible(false);
    image.setEnabled(false);
    image.setBackColor(0x123456);
    const std::vector<ViewChange> once = {ViewChange::Geometry, ViewChange::Visibility,
                                          ViewChange::Appearance, ViewChange::Appearance};
    EXPECT_EQ(view.changes, once);

    image.move(10, 20, 30, 40);
    image.setLeft(10);
    image.setWidth(30);
    image.setVisible(false);
    image.setEnabled(false);
    image.setBackColor(0x123456);
    EXPECT_EQ(view.changes, once);
    image.setView(nullptr);
}

TEST(DriveList, ThePathBelongsToTheLongestMatchingRoot) {
    const std::vector<Drive> drives = {
        {"/", "/"}, {"/media/usb/", "usb"}, {"/media/usb2/", "usb2"}};
    EXPECT_EQ(DriveListBox::driveIndexOf(drives, "/home/me"), 0);
    EXPECT_EQ(DriveListBox::driveIndexOf(drives, "/media/usb"), 1);
    EXPECT_EQ(DriveListBox::driveIndexOf(drives, "/media/usb/pics/a.gif"), 1);
    EXPECT_EQ(DriveListBox::driveIndexOf(drives, "/media/usb2/x"), 2);
    EXPECT_EQ(DriveListBox::driveIndexOf(drives, "/media/usb22"), 0);
}

}  // namespace
}  // namespace plivora
