#include <filesystem>

#include "app/form5.h"
#include "support/app_fixture.h"
#include "thumbs/form2.h"
#include "thumbs/form4.h"

namespace plivora {
namespace {

using CommandsTest = AppTest;

TEST_F(CommandsTest, BackgroundColourTogglesFourBackgroundsAndBack) {
    start();
    Form1& f = form1();
    Form2& thumbs = program->form2();
    const OleColor face = f.backColor();
    EXPECT_EQ(face, kButtonFace);
    f.cmdBackgroundColor.raiseClick();
    EXPECT_EQ(f.backColor(), kBlack);
    EXPECT_EQ(thumbs.fraShadowImage.backColor(), kBlack);
    EXPECT_EQ(f.AnimatedGifCtl1.backColor(), kBlack);
    EXPECT_EQ(thumbs.AnimatedGifCtl1.backColor(), kBlack);
    for (const AnimatedGifCtl* gif : {&f.AnimatedGifCtl1, &thumbs.AnimatedGifCtl1}) {
        EXPECT_EQ(gif->surface().pixel(2, 2), 0xFF000000u) << "the surface of " << gif->name();
    }
    f.cmdBackgroundColor.raiseClick();
    for (const Control* c : std::initializer_list<const Control*>{
             &f, &thumbs.fraShadowImage, &f.AnimatedGifCtl1, &thumbs.AnimatedGifCtl1}) {
        EXPECT_EQ(c->backColor(), face) << c->name();
    }
}

TEST_F(CommandsTest, PlayHideAndTheStopFace) {
    writeBmp(picturesDir + "/a.bmp", 4, 4);
    writeGif(picturesDir + "/dance.gif");
    start();
    Form1& f = form1();
    expectDistinctFaces({f.imgPlayPoint.picture(), f.imgStopPoint.picture(),
                         f.imgShowAniGif.picture(), f.imgHideAniGif.picture()});
    f.File1.setListIndex(0);
    f.cmdPlayGif.raiseClick();  // a BMP is no animation: the control warns, play stays on show
    EXPECT_EQ(program->openWarningWindows(), 1);
    EXPECT_EQ(f.blGifPlaying, kFalse);
    EXPECT_FALSE(f.AnimatedGifCtl1.Timer1.isRunning());
    EXPECT_EQ(f.cmdPlayGif.picture(), f.imgPlayPoint.picture());

    f.File1.setListIndex(1);
    f.cmdPlayGif.raiseClick();
    EXPECT_EQ(f.blGifPlaying, kTrue);
    EXPECT_EQ(f.cmdPlayGif.picture(), f.imgStopPoint.picture());
    f.cmdShowAni.raiseClick();  // hide: stops the animation, keeps the stop face
    EXPECT_FALSE(f.AnimatedGifCtl1.isVisible());
    EXPECT_FALSE(f.AnimatedGifCtl1.Timer1.isRunning());
    EXPECT_EQ(f.cmdShowAni.picture(), f.imgShowAniGif.picture());
    EXPECT_EQ(f.cmdPlayGif.picture(), f.imgStopPoint.picture());
    f.cmdPlayGif.raiseClick();
    EXPECT_EQ(f.blGifPlaying, kFalse);
    EXPECT_EQ(f.cmdPlayGif.picture(), f.imgPlayPoint.picture());
    f.cmdShowAni.raiseClick();
    EXPECT_TRUE(f.AnimatedGifCtl1.isVisible());
    EXPECT_EQ(f.cmdShowAni.picture(), f.imgHideAniGif.picture());
}

TEST_F(CommandsTest, AnotherFileWhilePlayingKeepsTheStopFace) {
    writeGif(picturesDir + "/a.gif");
    writeGif(picturesDir + "/b.gif");
    start();
    Form1& f = form1();
    expectDistinctFaces({f.imgPlayPoint.picture(), f.imgStopPoint.picture()});
    f.File1.setListIndex(0);
    f.cmdPlayGif.raiseClick();
    ASSERT_TRUE(f.AnimatedGifCtl1.Timer1.isRunning());
    f.File1.setListIndex(1);  // the new file replaces the animation
    EXPECT_FALSE(f.AnimatedGifCtl1.Timer1.isRunning());
    EXPECT_EQ(f.cmdPlayGif.picture(), f.imgStopPoint.picture());
    f.cmdPlayGif.raiseClick();
    EXPECT_EQ(f.blGifPlaying, kFalse);
    EXPECT_EQ(f.cmdPlayGif.picture(), f.imgPlayPoint.picture());
}

TEST_F(CommandsTest, ThePictureMenuNeedsARightClickAndAChosenFile) {
    writeBmp(picturesDir + "/a.bmp", 4, 4);
    writeFile(picturesDir + "/b.gif", "not a picture");
    writeBmp(root + "/dropped.bmp", 4, 4);
    start();
    Form1& f = form1();
    host.setCursorPos({300, 200});
    f.imgShow.raiseMouseDown(MouseButton::Right, 0, 10, 10);
    EXPECT_TRUE(host.popups().empty());  // nothing chosen from the list yet

    f.File1.setListIndex(1);  // fails to load, but is the chosen file
    f.imgShow.raiseMouseDown(MouseButton::Left, 0, 10, 10);
    EXPECT_TRUE(host.popups().empty());
    host.setMenuChoice("mCopyShortcut");
    f.imgShow.raiseMouseDown(MouseButton::Right, 0, 10, 10);
    ASSERT_EQ(host.popups().size(), 1u);
    EXPECT_EQ(host.popups()[0].menu, "mPopup");
    EXPECT_EQ(host.popups()[0].flags, 8u);
    EXPECT_EQ(host.popups()[0].at, (PixelPoint{300, 200}));
    EXPECT_EQ(host.clipboardText(), picturesDir + "/b.gif");

    // A dropped picture is the one on show, so the menu names it.
    f.File1.raiseOLEDragDrop(DropData{std::vector<std::string>{root + "/dropped.bmp"}});
    host.setMenuChoice("mCopyShortcut");
    f.imgShow.raiseMouseDown(MouseButton::Right, 0, 10, 10);
    EXPECT_EQ(host.clipboardText(), root + "/dropped.bmp");
}

TEST_F(CommandsTest, RealSizeOpensTheThumbnailWindowMaximisedOnThePanel) {
    start();
    form1().cmdRealSize.raiseClick();
    Form2& thumbs = program->form2();
    EXPECT_TRUE(thumbs.isVisible());
    EXPECT_EQ(thumbs.windowState(), WindowState::Maximized);
    EXPECT_EQ(thumbs.caption(), "Real Dimension");
    EXPECT_TRUE(thumbs.fraShadowImage.isVisible());
    EXPECT_FALSE(thumbs.fraAniGif.isVisible());
    EXPECT_FLOAT_EQ(thumbs.fraShadowImage.width(), thumbs.width() - 600);
    EXPECT_FLOAT_EQ(thumbs.lvMain.height(), thumbs.height() - 360);
    EXPECT_FLOAT_EQ(thumbs.width(), 1920 * 15);  // the work area
}

TEST_F(CommandsTest, TheLogoHoverCapturesAndTheClickOpensTheAboutBoxOnTop) {
    start();
    Form1& f = form1();
    f.imgQel.raiseMouseMove(0, 0, 100, 100);
    EXPECT_EQ(host.capture(), &f.imgQel);
    EXPECT_TRUE(host.hasCustomCursor());
    EXPECT_EQ(f.blLogoHover, kTrue);
    f.imgQel.raiseClick();
    EXPECT_TRUE(program->form5().isVisible());
    EXPECT_TRUE(program->form5().isTopmost());
    EXPECT_FALSE(host.hasCustomCursor());
    f.imgQel.raiseMouseMove(0, 0, -1, 100);  // left the logo
    EXPECT_EQ(host.capture(), nullptr);
    EXPECT_EQ(f.blLogoHover, kFalse);
    program->form5().cmdOk.raiseClick();
    EXPECT_FALSE(program->form5().isVisible());
}

TEST_F(CommandsTest, MousePresenceIsMarkedOnlyByTheFourSources) {
    start();
    Form1& f = form1();
    for (Control* quiet :
         std::initializer_list<Control*>{&f.Drive1, &f.cmdShape, &f.imgQel, &f.lblRatio}) {
        quiet->raiseMouseMove(0, 0, 1, 1);
    }
    EXPECT_EQ(program->blMouseWasOver, kFalse);
    for (Control* source : std::initializer_list<Control*>{&f, &f.Dir1, &f.File1, &f.imgShow}) {
        program->blMouseWasOver = kFalse;
        program->blPanelLeft = kTrue;
        source->raiseMouseMove(0, 0, 1, 1);
        EXPECT_EQ(program->blMouseWasOver, kTrue) << source->name();
        EXPECT_EQ(program->blPanelLeft, kFalse);
    }
}

}  // namespace
}  // namespace plivora
