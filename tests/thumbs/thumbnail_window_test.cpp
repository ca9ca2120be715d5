#include <functional>

#include "support/app_fixture.h"
#include "thumbs/form2.h"
#include "thumbs/form4.h"

namespace plivora {
namespace {

class ThumbnailWindowTest : public AppTest {
protected:
    int shownPage() {
        for (int k = 0; k < Form2::kPages; ++k) {
            if (thumbs().lvShadow(k).isVisible()) {
                return k;
            }
        }
        return thumbs().lvMain.isVisible() ? -1 : -2;
    }
    void expectButtons(bool back, bool next) {
        EXPECT_EQ(thumbs().cmdPrevious.isVisible(), back);
        EXPECT_EQ(thumbs().cmdNextPage.isVisible(), next);
    }
};

TEST_F(ThumbnailWindowTest, PagingThroughAFolderOf130Pictures) {
    makePictures(130);
    start();
    form1().cmdViewAll.raiseClick();
    EXPECT_EQ(thumbs().lblPageNumber.caption(), "");
    expectButtons(false, true);

    thumbs().cmdNextPage.raiseClick();  // builds page 2
    EXPECT_EQ(thumbs().lblPageNumber.caption(), "P.2");
    EXPECT_EQ(thumbs().lvShadow(1).items().size(), 60u);
    expectButtons(true, true);

    thumbs().cmdNextPage.raiseClick();  // builds page 3, the last
    EXPECT_EQ(thumbs().lblPageNumber.caption(), "P.3");
    EXPECT_EQ(thumbs().lvShadow(2).items().size(), 10u);
    expectButtons(true, false);
    EXPECT_EQ(shownPage(), -1);  // a page under construction shows in the main list

    const int loadsBefore = host.doEventsCalls();
    thumbs().cmdPrevious.raiseClick();
    EXPECT_EQ(thumbs().lblPageNumber.caption(), "P.2");
    EXPECT_EQ(shownPage(), 1);
    expectButtons(true, true);
    thumbs().cmdPrevious.raiseClick();
    EXPECT_EQ(thumbs().lblPageNumber.caption(), "P.1");
    EXPECT_EQ(shownPage(), 0);
    expectButtons(false, true);
    thumbs().cmdNextPage.raiseClick();
    thumbs().cmdNextPage.raiseClick();
    EXPECT_EQ(thumbs().lblPageNumber.caption(), "P.3");
    EXPECT_EQ(shownPage(), 2);
    expectButtons(true, false);
    // Built pages are shown from their lists: nothing was loaded again.
    EXPECT_EQ(host.doEventsCalls(), loadsBefore);
    EXPECT_EQ(program->intPagesBuilt, 3);
}

TEST_F(ThumbnailWindowTest, BackAndNextAreRefusedWhileAPageFillsAndEverythingShownAgrees) {
    makePictures(130);
    start();
    form1().cmdViewAll.raiseClick();
    thumbs().cmdNextPage.raiseClick();  // page 2
    // While page 3 fills, Back, Next and Back arrive.
    bool disabledDuringFill = false;
    host.postAction([&] {
        disabledDuringFill = !thumbs().cmdPrevious.isEnabled() && !thumbs().cmdNextPage.isEnabled();
        thumbs().cmdPrevious.raiseClick();
        thumbs().cmdNextPage.raiseClick();
        thumbs().cmdPrevious.raiseClick();
    });
    thumbs().cmdNextPage.raiseClick();
    EXPECT_TRUE(disabledDuringFill);
    EXPECT_TRUE(thumbs().cmdPrevious.isEnabled());
    EXPECT_TRUE(thumbs().cmdNextPage.isEnabled());
    // The label, the buttons and the list shown all say page 3, the last.
    EXPECT_EQ(thumbs().lblPageNumber.caption(), "P.3");
    EXPECT_EQ(program->intPageShown, 3);
    EXPECT_EQ(program->intPagesBuilt, 3);
    expectButtons(true, false);
    EXPECT_EQ(shownPage(), -1);
    ASSERT_EQ(thumbs().lvMain.items().size(), 10u);
    EXPECT_EQ(thumbs().lvMain.items()[0].text.substr(0, 8), "p121.bmp");
    for (int k = 0; k < Form2::kPages; ++k) {
        const ListView& list = thumbs().lvShadow(k);
        EXPECT_LE(list.items().size(), 60u);
        for (const auto& item : list.items()) {
            EXPECT_TRUE(thumbs().ilShadowNor(k).contains(item.iconKey));
        }
    }
    thumbs().cmdPrevious.raiseClick();  // and paging works again afterwards
    EXPECT_EQ(thumbs().lblPageNumber.caption(), "P.2");
    EXPECT_EQ(shownPage(), 1);
}

TEST_F(ThumbnailWindowTest, AFolderChangeDuringAFillEndsItAndViewAllStartsAfresh) {
    makePictures(130);
    std::filesystem::create_directory(picturesDir + "/sub");
    for (const char* name : {"s1.bmp", "s2.bmp", "s3.bmp"}) {
        writeBmp(picturesDir + "/sub/" + name, 3, 3);
    }
    start();
    // The change comes in the events that run after the first thumbnail.
    host.postAction([&] { form1().Dir1.setPath(picturesDir + "/sub"); });
    form1().cmdViewAll.raiseClick();
    for (const ListView* list : {&thumbs().lvMain, &thumbs().lvShadow(0)}) {
        SCOPED_TRACE(list->name());
        ASSERT_EQ(list->items().size(), 1u) << "nothing is placed after the change";
        EXPECT_EQ(list->items()[0].text.substr(0, 10), "p001.bmp\r\n");
    }
    expectButtons(false, false);  // as the folder change left them
    EXPECT_TRUE(thumbs().cmdNextPage.isEnabled());
    EXPECT_FALSE(program->fillingPage);
    EXPECT_EQ(program->intNextFileIndex, 1);

    form1().cmdViewAll.raiseClick();
    EXPECT_EQ(program->sThumbPath, picturesDir + "/sub/");
    ASSERT_EQ(thumbs().lvMain.items().size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        // Appended rather than "s" + std::to_string(...), as in quick_choices_test.cpp
        // (-Wrestrict).
        EXPECT_EQ(thumbs().lvMain.items()[i].text.substr(0, 8),
                  std::string("s").append(std::to_string(i + 1)).append(".bmp\r\n"));
    }
    EXPECT_EQ(thumbs().lvShadow(0).items().size(), 3u);
    EXPECT_EQ(program->intPagesBuilt, 1);
    EXPECT_EQ(thumbs().lblPageNumber.caption(), "");
    expectButtons(false, false);
}

TEST_F(ThumbnailWindowTest, ALeftPickLoadsTheRealSizePictureAndARightPickOpensTheMenu) {
    writeBmp(picturesDir + "/big.bmp", 3000, 2000);
    writeBmp(picturesDir + "/small.bmp", 10, 10);
    start();
    form1().cmdViewAll.raiseClick();
    // The last thumbnail loaded stays in imgShadow.
    EXPECT_EQ(thumbs().imgShadow.width(), 150.0f);

    thumbs().lvMain.pressItem(0, MouseButton::Left, 0, 5, 5);
    EXPECT_EQ(thumbs().caption(), picturesDir + "/big.bmp");
    EXPECT_EQ(thumbs().imgShadow.width(), 45000.0f);
    EXPECT_EQ(thumbs().sSelectedFile, picturesDir + "/big.bmp");

    host.setMenuChoice("mCopyShortcut");
    thumbs().lvMain.pressItem(1, MouseButton::Right, 0, 5, 5);
    EXPECT_EQ(thumbs().caption(), picturesDir + "/small.bmp");
    EXPECT_EQ(host.clipboardText(), picturesDir + "/small.bmp");
    EXPECT_EQ(thumbs().imgShadow.width(), 45000.0f);  // the real-size picture stays
    EXPECT_EQ(program->form4().lvCurrent, &thumbs().lvMain);
}

TEST_F(ThumbnailWindowTest, ANameWithACarriageReturnOpensItsOwnFile) {
    writeBmp(picturesDir + "/a", 10, 10);  // what the name would be cut to at its first return
    writeBmp(picturesDir + "/a\rb.bmp", 20, 30);
    start();
    form1().File1.setPattern("*");
    form1().cmdViewAll.raiseClick();
    ASSERT_EQ(thumbs().lvMain.items().at(1).text, "a\rb.bmp\r\n20 x 30");
    thumbs().lvMain.pressItem(1, MouseButton::Left, 0, 5, 5);
    EXPECT_EQ(thumbs().caption(), picturesDir + "/a\rb.bmp");
    EXPECT_EQ(thumbs().imgShadow.width(), 300.0f);
    host.setMenuChoice("mCopyShortcut");
    thumbs().lvMain.pressItem(1, MouseButton::Right, 0, 5, 5);
    EXPECT_EQ(host.clipboardText(), picturesDir + "/a\rb.bmp");
}

TEST_F(ThumbnailWindowTest, PickWarnings) {
    writeBmp(picturesDir + "/a.bmp", 10, 10);
    start();
    form1().cmdViewAll.raiseClick();
    thumbs().intMouseButton = MouseButton::Left;
    thumbs().PickThumbnail("no carriage return");
    EXPECT_EQ(program->openWarningWindows(), 1);
    std::filesystem::remove(picturesDir + "/a.bmp");
    thumbs().lvMain.pressItem(0, MouseButton::Left, 0, 1, 1);
    EXPECT_EQ(program->openWarningWindows(), 2);
    EXPECT_EQ(thumbs().sSelectedFile, picturesDir + "/a.bmp");
}

TEST_F(ThumbnailWindowTest, ThePanFollowsThePointerOnlyForALargePictureAndSpringsBack) {
    writeBmp(picturesDir + "/big.bmp", 3000, 2000);
    start();
    form1().cmdViewAll.raiseClick();
    thumbs().lvMain.pressItem(0, MouseButton::Left, 0, 1, 1);
    thumbs().cmdSwap.raiseClick();
    EXPECT_EQ(thumbs().caption(), "Real Dimension");
    ASSERT_TRUE(thumbs().fraShadowImage.isVisible());
    ImageControl& picture = thumbs().imgShadow;
    const float left = picture.left();
    const float top = picture.top();

    thumbs().imgShadow.raiseMouseDown(MouseButton::Right, 0, 1, 1);  // only the left button pans
    EXPECT_EQ(thumbs().blDragging, kFalse);
    host.setCursorPos({100, 100});
    picture.raiseMouseDown(MouseButton::Left, 0, 1, 1);
    host.setCursorPos({90, 120});
    picture.raiseMouseMove(MouseButton::Left, 0, 1, 1);
    EXPECT_FLOAT_EQ(picture.left(), left - 150);
    EXPECT_FLOAT_EQ(picture.top(), top + 300);
    picture.raiseMouseUp(MouseButton::Left, 0, 1, 1);
    EXPECT_FLOAT_EQ(picture.left(), left);
    EXPECT_FLOAT_EQ(picture.top(), top);

    // A picture smaller than the panel does not pan.
    thumbs().imgShadow.setPicture(Picture(Image(4, 4)));
    picture.raiseMouseDown(MouseButton::Left, 0, 1, 1);
    EXPECT_EQ(thumbs().blDragging, kFalse);
}

TEST_F(ThumbnailWindowTest, TheAnimationPanelReturnsToTheRealSizeViewAndStopsTheGif) {
    writeBmp(picturesDir + "/a.bmp", 10, 10);
    start();
    expectDistinctFaces({form1().imgPlayPoint.picture(), form1().imgStopPoint.picture()});
    form1().cmdViewAll.raiseClick();
    thumbs().cmdSwap.raiseClick();
    thumbs().cmdShowAniGif.raiseClick();
    EXPECT_EQ(thumbs().caption(), "Animated Gif");
    EXPECT_FALSE(thumbs().cmdSwap.isVisible());
    EXPECT_FALSE(thumbs().fraShadowImage.isVisible());
    EXPECT_TRUE(thumbs().fraAniGif.isVisible());
    EXPECT_FLOAT_EQ(thumbs().AnimatedGifCtl1.width(), thumbs().fraAniGif.width());

    thumbs().blAniPlaying = kTrue;  // as if playing
    thumbs().cmdShowAniGif.raiseClick();
    EXPECT_EQ(thumbs().caption(), "Real Dimension");
    EXPECT_TRUE(thumbs().fraShadowImage.isVisible());
    EXPECT_EQ(thumbs().blAniPlaying, kFalse);
    EXPECT_EQ(thumbs().cmdAnimatedGif.picture(), form1().imgPlayPoint.picture());
}

TEST_F(ThumbnailWindowTest, HidingWhilePlayingStopsTheGifAndTheWindowComesBackWithSwap) {
    writeGif(picturesDir + "/dance.gif");
    start();
    expectDistinctFaces({form1().imgPlayPoint.picture(), form1().imgStopPoint.picture()});
    struct Way {
        const char* name;
        std::function<void()> hide;
        std::function<void()> showAgain;
    };
    const Way ways[] = {
        {"a background click, then View All", [&] { thumbs().raiseClick(); },
         [&] { form1().cmdViewAll.raiseClick(); }},
        {"the title bar's close, then Real D",
         [&] { EXPECT_FALSE(thumbs().unload(Form::kFormControlMenu)); },
         [&] { form1().cmdRealSize.raiseClick(); }},
    };
    form1().cmdViewAll.raiseClick();
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        thumbs().lvMain.pressItem(0, MouseButton::Left, 0, 1, 1);
        thumbs().cmdShowAniGif.raiseClick();
        thumbs().cmdAnimatedGif.raiseClick();
        ASSERT_TRUE(thumbs().AnimatedGifCtl1.Timer1.isRunning());
        ASSERT_EQ(thumbs().cmdAnimatedGif.picture(), form1().imgStopPoint.picture());
        ASSERT_FALSE(thumbs().cmdSwap.isVisible());

        way.hide();  // with the animation panel open
        EXPECT_FALSE(thumbs().isVisible());
        EXPECT_EQ(thumbs().blAniPlaying, kFalse);
        EXPECT_FALSE(thumbs().AnimatedGifCtl1.Timer1.isRunning());
        EXPECT_EQ(thumbs().cmdAnimatedGif.picture(), form1().imgPlayPoint.picture());

        way.showAgain();  // without the animation panel, so with the swap button
        EXPECT_TRUE(thumbs().isVisible());
        EXPECT_FALSE(thumbs().fraAniGif.isVisible());
        EXPECT_TRUE(thumbs().cmdSwap.isVisible());
        EXPECT_EQ(thumbs().cmdShowAniGif.picture(), form1().imgShowAniGif.picture());
        thumbs().cmdAnimatedGif.raiseClick();  // the next click plays again
        EXPECT_TRUE(thumbs().AnimatedGifCtl1.Timer1.isRunning());
        thumbs().cmdAnimatedGif.raiseClick();
    }
}

TEST_F(ThumbnailWindowTest, PlayWithNothingToPlayKeepsThePlayFaceAndStartsNoClock) {
    writeBmp(picturesDir + "/still.bmp", 4, 4);
    writeGif(picturesDir + "/broken.gif", 12);
    writeGif(picturesDir + "/empty.gif", -1);
    start();
    expectDistinctFaces({form1().imgPlayPoint.picture(), form1().imgStopPoint.picture()});
    form1().cmdViewAll.raiseClick();
    struct Case {
        const char* name;
        std::string file;
        int warnings;  // warning boxes the click opens
    };
    const Case cases[] = {{"no file chosen", "", 1},
                          {"not a GIF", picturesDir + "/still.bmp", 1},
                          {"a GIF without images", picturesDir + "/empty.gif", 1},
                          {"a GIF that fails to load", picturesDir + "/broken.gif", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int before = program->openWarningWindows();
        thumbs().LetPathFile(c.file);
        thumbs().cmdAnimatedGif.raiseClick();
        EXPECT_EQ(program->openWarningWindows(), before + c.warnings);
        EXPECT_EQ(thumbs().blAniPlaying, kFalse);
        EXPECT_EQ(thumbs().cmdAnimatedGif.picture(), form1().imgPlayPoint.picture());
        EXPECT_FALSE(thumbs().AnimatedGifCtl1.Timer1.isRunning());
    }
    // The broken GIF's load error ended its click at the handler boundary, which reports it.
    ASSERT_EQ(host.handlerFailures().size(), 1u);
    EXPECT_EQ(host.handlerFailures()[0].control, "cmdAnimatedGif");
    EXPECT_EQ(host.handlerFailures()[0].number, 9);
    host.clearHandlerFailures();
}

TEST_F(ThumbnailWindowTest, ClosingHidesAndAFolderChangeHidesThePageButtons) {
    makePictures(61);
    std::filesystem::create_directory(picturesDir + "/sub");
    start();
    form1().cmdViewAll.raiseClick();
    EXPECT_TRUE(thumbs().cmdNextPage.isVisible());
    form1().Dir1.setPath(picturesDir + "/sub");
    EXPECT_FALSE(thumbs().cmdNextPage.isVisible());
    EXPECT_FALSE(thumbs().unload(Form::kFormControlMenu));
    EXPECT_FALSE(thumbs().isVisible());
    form1().cmdViewAll.raiseClick();
    EXPECT_TRUE(thumbs().isVisible());
}

class PopupHostTest : public AppTest {};

TEST_F(PopupHostTest, CopyShortcutPutsTheFullPathOrAnEmptyText) {
    start();
    Form4& popupHost = program->form4();
    host.setClipboardText("old");
    popupHost.mCopyShortcut.raiseClick();
    EXPECT_EQ(host.clipboardText(), "");
    popupHost.PathAndFileName("/pics/", "b.gif");
    popupHost.mCopyShortcut.raiseClick();
    EXPECT_EQ(host.clipboardText(), "/pics/b.gif");
}

TEST_F(PopupHostTest, TheFileDropBlockIsLaidOutByteForByte) {
    start();
    Form4& popupHost = program->form4();
    const std::string one = "/pics/some picture.gif";
    EXPECT_EQ(popupHost.ClipboardCopyFiles({one}), kTrue);
    auto block = host.clipboardData().at(15);
    ASSERT_EQ(block.size(), 20 + one.size() + 2);
    EXPECT_EQ(block[0], 20);
    for (int i = 1; i < 20; ++i) {
        EXPECT_EQ(block[static_cast<std::size_t>(i)], 0) << i;
    }
    EXPECT_EQ(std::string(block.begin() + 20, block.begin() + 20 + static_cast<long>(one.size())),
              one);
    EXPECT_EQ(block[block.size() - 1], 0);
    EXPECT_EQ(block[block.size() - 2], 0);

    EXPECT_EQ(popupHost.ClipboardCopyFiles({"12345678", "abcdefgh"}), kTrue);
    block = host.clipboardData().at(15);
    ASSERT_EQ(block.size(), 39u);
    EXPECT_EQ(std::string(block.begin() + 20, block.end()),
              std::string("12345678\0abcdefgh\0\0", 19));

    const std::string wide = "/p/\xC3\xA9t\xC3\xA9.gif";  // "été": two bytes per accented letter
    EXPECT_EQ(popupHost.ClipboardCopyFiles({wide}), kTrue);
    EXPECT_EQ(host.clipboardData().at(15).size(), 20 + wide.size() + 2);
    EXPECT_FALSE(host.isClipboardOpen());
}

TEST_F(PopupHostTest, NothingSelectedChangesNothingAndABadItemWarns) {
    writeBmp(picturesDir + "/a.bmp", 2, 2);
    writeBmp(picturesDir + "/b.bmp", 2, 2);
    start();
    form1().cmdViewAll.raiseClick();
    Form4& popupHost = program->form4();
    popupHost.PathAndFileName(picturesDir + "/", "a.bmp");
    popupHost.ListViewIs(&program->form2().lvMain);
    host.setClipboardText("kept");
    EXPECT_EQ(popupHost.ClipboardCopyFiles({}), kFalse);
    popupHost.CopySelectedFiles();
    EXPECT_EQ(host.clipboardText(), "kept");
    EXPECT_TRUE(host.clipboardData().empty());

    program->form2().lvMain.setSelected(0, true);
    program->form2().lvMain.setSelected(1, true);
    popupHost.CopySelectedFiles();
    const auto& block = host.clipboardData().at(15);
    const std::string names(block.begin() + 20, block.end());
    EXPECT_EQ(names, picturesDir + "/a.bmp" + '\0' + picturesDir + "/b.bmp" + '\0' + '\0');
}

}  // namespace
}  // namespace plivora
