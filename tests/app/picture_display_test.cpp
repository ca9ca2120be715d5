#include <filesystem>

#include "app/form11.h"
#include "app/number_format.h"
#include "support/app_fixture.h"
#include "support/gif_bytes.h"
#include "thumbs/form2.h"

namespace plivora {
namespace {

using PictureDisplayTest = AppTest;

TEST_F(PictureDisplayTest, FitToAreaKeepsTheAspectRatioAndNeverEnlarges) {
    struct Case {
        float twipsPerPixel;
        int width, height;  // pixels
        float shownWidth, shownHeight;
        const char* ratio;
        bool stretch;
    };
    const Case cases[] = {
        {15, 640, 480, 2412, 1809, "scale", true},  // 9600 x 7200 twips
        {15, 100, 100, 1500, 1500, "100%", false},  // natural size
        {12, 201, 181, 2412, 2172, "100%", false},  // exactly the area
        {10, 100, 600, 362, 2172, "scale", true},   // tall: the height wins
        {12, 402, 362, 2412, 2172, "scale", true},  // equal ratios take the height branch
        {15, 1, 1, 15, 15, "100%", false},
    };
    start();
    Form1& f = form1();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        host.setTwipsPerPixel(c.twipsPerPixel);
        program->form2().imgShadow.setPicture(Picture(Image(c.width, c.height)));
        f.FitToArea();
        EXPECT_FLOAT_EQ(f.imgShow.width(), c.shownWidth);
        EXPECT_FLOAT_EQ(f.imgShow.height(), c.shownHeight);
        EXPECT_EQ(f.lblRatio.caption(), c.ratio);
        EXPECT_EQ(f.imgShow.isStretch(), c.stretch);
        EXPECT_EQ(f.imgShow.left(), 120.0f);
        EXPECT_EQ(f.imgShow.top(), 600.0f);
    }
}

TEST_F(PictureDisplayTest, ChoosingAFileFillsTheLabelsAndTheCaption) {
    writeBmp(picturesDir + "/big.bmp", 640, 480);
    std::filesystem::resize_file(picturesDir + "/big.bmp", 1234567);
    writeBmp(picturesDir + "/small.bmp", 100, 100);
    start();
    Form1& f = form1();
    f.File1.setListIndex(0);
    EXPECT_EQ(f.caption(), picturesDir + "/big.bmp");
    EXPECT_EQ(f.lblDimension.caption(), "640 x 480");
    EXPECT_EQ(f.lblRatio.caption(), "scale");
    EXPECT_EQ(f.lblFileSize.caption(), "1,234,567 bytes");
    EXPECT_EQ(f.sPicturePath, picturesDir + "/");
    EXPECT_EQ(f.sPictureFile, "big.bmp");
    EXPECT_EQ(program->form2().sSelectedFile, picturesDir + "/big.bmp");
    EXPECT_EQ(program->form2().imgShadow.width(), 9600.0f);

    f.File1.setListIndex(1);  // as an arrow key does
    EXPECT_EQ(f.caption(), picturesDir + "/small.bmp");
    EXPECT_EQ(f.lblDimension.caption(), "100 x 100");
    EXPECT_EQ(f.lblRatio.caption(), "100%");
    EXPECT_EQ(f.imgShow.width(), 1500.0f);
}

TEST_F(PictureDisplayTest, ByteCountsUseTheLocaleSeparatorWithoutLeadingZeros) {
    EXPECT_EQ(formatThousands(0, ","), "");
    EXPECT_EQ(formatThousands(7, ","), "7");
    EXPECT_EQ(formatThousands(999, ","), "999");
    EXPECT_EQ(formatThousands(1000, "."), "1.000");
    EXPECT_EQ(formatThousands(1234567, "\u202f"), "1\u202f234\u202f567");
    EXPECT_EQ(formatThousands(12345678901LL, ","), "12,345,678,901");
    EXPECT_EQ(formatSingle(640.0f), "640");
    EXPECT_EQ(formatSingle(160.8f), "160.8");
}

TEST_F(PictureDisplayTest, AVanishedFileOpensAWarningAndChangesNothingElse) {
    writeBmp(picturesDir + "/a.bmp", 20, 20);
    writeBmp(picturesDir + "/b.bmp", 30, 30);
    start();
    Form1& f = form1();
    f.File1.setListIndex(0);
    const std::string caption = f.caption();
    const Picture shown = f.imgShow.picture();
    ASSERT_FALSE(shown.isNull());
    std::filesystem::remove(picturesDir + "/b.bmp");
    f.File1.setListIndex(1);
    EXPECT_EQ(program->openWarningWindows(), 1);
    EXPECT_EQ(host.beeps(), 1);
    EXPECT_EQ(f.caption(), caption);
    EXPECT_EQ(f.imgShow.picture(), shown);
    EXPECT_EQ(f.lblDimension.caption(), "20 x 20");
    EXPECT_FALSE(f.lblErrorMessage.isVisible());
    // The chosen file is remembered even though it failed.
    EXPECT_EQ(f.sPictureFile, "b.bmp");
}

// A dropped GIF reaches the animation control and the thumbnail window as a chosen one does; a
// list file that is no picture then leaves no frame of it over the placeholder.
TEST_F(PictureDisplayTest, ADroppedGifIsShownEverywhereAndUnidentifiedClearsTheAnimation) {
    using namespace gif_bytes;
    const Bytes table = {0, 0, 0, 255, 0, 0};
    const Bytes bytes = join({header(), screen(2, 2, 0x80), table, descriptor(0, 0, 2, 2),
                              imageData(2, {1, 1, 1, 1}), kTrailer});
    writeFile(root + "/red.gif", std::string(bytes.begin(), bytes.end()));
    writeFile(root + "/notes.gif", "these are notes, not a picture\n");
    start();
    Form1& f = form1();
    f.File1.raiseOLEDragDrop(DropData{std::vector<std::string>{root + "/red.gif"}});
    EXPECT_EQ(f.AnimatedGifCtl1.strGifFileName(), root + "/red.gif");
    EXPECT_EQ(program->form2().sSelectedFile, root + "/red.gif");
    EXPECT_EQ(f.sPicturePath + f.sPictureFile, root + "/red.gif");

    f.File1.setListIndex(0);  // notes.gif, beside the dropped picture
    EXPECT_TRUE(f.lblErrorMessage.isVisible());
    EXPECT_EQ(f.AnimatedGifCtl1.strGifFileName(), "");
    EXPECT_EQ(f.AnimatedGifCtl1.engine().NumberofFrames(), 0);
}

// At 110 DPI a pixel is 13.0909 twips; the label and the thumbnail text still read whole pixels.
TEST_F(PictureDisplayTest, TheDimensionLabelReadsWholePixelsAtAnyResolution) {
    host.setTwipsPerPixel(1440.0f / 110.0f);
    writeBmp(picturesDir + "/a.bmp", 82, 13);
    start();
    form1().File1.setListIndex(0);
    EXPECT_EQ(form1().lblDimension.caption(), "82 x 13");
    form1().cmdViewAll.raiseClick();
    EXPECT_EQ(program->form2().lvMain.items().at(0).text, "a.bmp\r\n82 x 13");
}

TEST_F(PictureDisplayTest, AFileThatIsNotAPictureShowsThePlaceholderAndTheUnidentifiedText) {
    writeBmp(picturesDir + "/a.bmp", 20, 20);
    writeFile(picturesDir + "/notes.gif", "these are notes, not a picture\n");
    start();
    Form1& f = form1();
    f.File1.setListIndex(0);
    f.File1.setListIndex(1);
    EXPECT_TRUE(f.lblErrorMessage.isVisible());
    EXPECT_EQ(f.lblErrorMessage.caption(), "Unidentified ''notes.gif''");
    ASSERT_FALSE(program->form2().imgErrorPicture.picture().isNull());
    EXPECT_EQ(f.imgShow.picture(), program->form2().imgErrorPicture.picture());
    EXPECT_FALSE(f.imgShow.isStretch());
    // Labels, caption and the shadow picture stay.
    EXPECT_EQ(f.lblDimension.caption(), "20 x 20");
    EXPECT_EQ(f.caption(), picturesDir + "/a.bmp");
    EXPECT_EQ(program->form2().imgShadow.width(), 300.0f);
    // The next good choice hides the text.
    f.File1.setListIndex(0);
    EXPECT_FALSE(f.lblErrorMessage.isVisible());
}

TEST_F(PictureDisplayTest, TheThumbnailWindowLendsItsImagesWhileNeverShown) {
    start();
    Form2& thumbnails = program->form2();
    EXPECT_FALSE(thumbnails.isVisible());
    ASSERT_FALSE(thumbnails.imgErrorPicture.picture().isNull());
    EXPECT_EQ(thumbnails.imgErrorPicture.picture().width(), 128);
    thumbnails.imgShadow.setPicture(Picture(Image(64, 32)));
    EXPECT_EQ(thumbnails.imgShadow.width(), 960.0f);
    EXPECT_EQ(thumbnails.imgShadow.height(), 480.0f);
    // Closing it only hides it.
    thumbnails.show();
    EXPECT_FALSE(thumbnails.unload(Form::kFormControlMenu));
    EXPECT_FALSE(thumbnails.isVisible());
    EXPECT_TRUE(thumbnails.isLoaded());
}

TEST_F(PictureDisplayTest, EachWarningIsItsOwnTopmostWindow) {
    start();
    program->form11().AnswerOk("first\rline two");
    program->form11().AnswerOk("second");
    EXPECT_EQ(program->openWarningWindows(), 2);
    EXPECT_EQ(host.beeps(), 2);
    std::vector<Form11*> windows;
    for (Form* form : host.liveForms()) {
        if (auto* warning = dynamic_cast<Form11*>(form); warning != nullptr) {
            windows.push_back(warning);
        }
    }
    ASSERT_EQ(windows.size(), 2u);
    EXPECT_TRUE(windows[0]->isTopmost() && windows[1]->isTopmost());
    EXPECT_TRUE(windows[0]->isVisible() && windows[1]->isVisible());
    EXPECT_EQ(windows[0]->Label1.caption(), "first\rline two");
    EXPECT_EQ(windows[1]->Label1.caption(), "second");
    windows[0]->cmdOk.raiseClick();
    EXPECT_EQ(program->openWarningWindows(), 1);
    EXPECT_TRUE(windows[1]->isVisible());
    // The shared object itself is never shown.
    EXPECT_FALSE(program->form11().isVisible());
}

}  // namespace
}  // namespace plivora
