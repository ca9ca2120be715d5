#include "support/app_fixture.h"
#include "thumbs/form2.h"
#include "thumbs/module1.h"

namespace plivora {
namespace {

class ThumbnailPagesTest : public AppTest {
protected:
    int visibleLists() {
        int visible = thumbs().lvMain.isVisible() ? 1 : 0;
        for (int k = 0; k < Form2::kPages; ++k) {
            visible += thumbs().lvShadow(k).isVisible() ? 1 : 0;
        }
        return visible;
    }
};

TEST_F(ThumbnailPagesTest, ExactlySixtyFilesMakeOnePageWithoutPaging) {
    makePictures(60);
    start();
    form1().cmdViewAll.raiseClick();
    EXPECT_TRUE(thumbs().isVisible());
    EXPECT_EQ(thumbs().windowState(), WindowState::Maximized);
    EXPECT_EQ(thumbs().caption(), "View All");
    EXPECT_EQ(thumbs().lvMain.items().size(), 60u);
    EXPECT_EQ(thumbs().lvShadow(0).items().size(), 60u);
    EXPECT_FALSE(thumbs().cmdNextPage.isVisible());
    EXPECT_FALSE(thumbs().cmdPrevious.isVisible());
    EXPECT_EQ(program->intPagesBuilt, 1);
    EXPECT_EQ(program->intNextFileIndex, 1);
    EXPECT_EQ(thumbs().lblPageNumber.caption(), "");
    EXPECT_TRUE(thumbs().lvMain.isVisible());
    EXPECT_EQ(visibleLists(), 1);
    EXPECT_EQ(program->intChainSteps, 0);
    // Every thumbnail let the event loop run.
    EXPECT_GE(host.doEventsCalls(), 60);
}

TEST_F(ThumbnailPagesTest, SixtyOneFilesBuildTheSecondPageOnDemand) {
    makePictures(61);
    start();
    form1().cmdViewAll.raiseClick();
    EXPECT_EQ(thumbs().lvShadow(0).items().size(), 60u);
    EXPECT_TRUE(thumbs().cmdNextPage.isVisible());
    EXPECT_FALSE(thumbs().cmdPrevious.isVisible());
    EXPECT_EQ(program->intNextFileIndex, 61);
    EXPECT_EQ(program->intBuildPage, 1);
    EXPECT_EQ(program->intPageShown, 1);

    form1().ViewAllImages();  // as "Next" asks for it
    EXPECT_EQ(thumbs().lvShadow(1).items().size(), 1u);
    EXPECT_EQ(thumbs().lvShadow(0).items().size(), 60u);  // the first page is kept
    EXPECT_EQ(thumbs().lvMain.items().size(), 1u);
    EXPECT_FALSE(thumbs().cmdNextPage.isVisible());
    EXPECT_TRUE(thumbs().cmdPrevious.isVisible());
    EXPECT_EQ(program->intPagesBuilt, 2);
    EXPECT_EQ(program->intNextFileIndex, 1);
}

TEST_F(ThumbnailPagesTest, ThreeHundredFilesAreTheMostAndTheNextOneWarns) {
    for (int count : {300, 301}) {
        SCOPED_TRACE(count);
        makePictures(count);
        start();
        form1().cmdViewAll.raiseClick();
        for (int page = 1; page < 5; ++page) {
            form1().ViewAllImages();
        }
        EXPECT_EQ(program->intPagesBuilt, 5);
        EXPECT_EQ(thumbs().lvShadow(4).items().size(), 60u);
        EXPECT_EQ(thumbs().lvShadow(4).items().back().iconKey, "p300.bmp");
        EXPECT_EQ(program->openWarningWindows(), count > 300 ? 1 : 0);
        EXPECT_FALSE(thumbs().cmdNextPage.isVisible());
        program.reset();
    }
}

TEST_F(ThumbnailPagesTest, ItemsCarryTheNameAndSizeAndBadFilesGetThePlaceholder) {
    writeBmp(picturesDir + "/a.bmp", 640, 480);
    writeFile(picturesDir + "/b.gif", "not a picture");
    start();
    form1().cmdViewAll.raiseClick();
    const auto& items = thumbs().lvMain.items();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].text, "a.bmp\r\n640 x 480");
    EXPECT_EQ(items[0].iconKey, "a.bmp");
    // The failed file keeps its name and shows no size: imgShadow still holds the picture loaded
    // before it.
    EXPECT_EQ(items[1].text, "b.gif\r\n");
    const Image& placeholder = thumbs().ilNormal.find("b.gif")->image;
    const Image expected = thumbs().ilNormal.find("a.bmp")->image;
    EXPECT_EQ(placeholder.width, 60);
    EXPECT_NE(placeholder.pixels, expected.pixels);
    // imgShadow keeps the last picture that loaded.
    EXPECT_EQ(thumbs().imgShadow.width(), 9600.0f);
}

TEST_F(ThumbnailPagesTest, AThumbnailKeepsThePicturesShapeCentredInItsCell) {
    writeBmp(picturesDir + "/tall.bmp", 300, 900, 200, 100, 50);
    writeBmp(picturesDir + "/wide.bmp", 900, 300, 200, 100, 50);
    start();
    form1().cmdViewAll.raiseClick();
    constexpr std::uint32_t kColour = 0xFFC86432u;
    struct Case {
        const char* key;
        bool tall;  // the picture is a centred column 20 pixels wide, else a centred row
    };
    for (const Case& c : {Case{"tall.bmp", true}, Case{"wide.bmp", false}}) {
        SCOPED_TRACE(c.key);
        ASSERT_NE(thumbs().ilNormal.find(c.key), nullptr);
        const Image& icon = thumbs().ilNormal.find(c.key)->image;
        ASSERT_EQ(icon.width, 60);
        ASSERT_EQ(icon.height, 60);
        EXPECT_EQ(thumbs().ilShadowNor(0).find(c.key)->image.pixels, icon.pixels);
        int wrong = 0;
        for (int y = 0; y < 60; ++y) {
            for (int x = 0; x < 60; ++x) {
                const int across = c.tall ? x : y;
                const bool inPicture = across >= 20 && across < 40;
                wrong += (icon.pixel(x, y) == kColour) != inPicture ? 1 : 0;
            }
        }
        EXPECT_EQ(wrong, 0);
    }
}

TEST_F(ThumbnailPagesTest, ViewAllAlwaysStartsAfresh) {
    makePictures(61);
    start();
    form1().cmdViewAll.raiseClick();
    form1().ViewAllImages();
    form1().cmdViewAll.raiseClick();
    EXPECT_EQ(program->intPagesBuilt, 1);
    EXPECT_EQ(program->intNextFileIndex, 61);
    EXPECT_EQ(thumbs().lvMain.items().size(), 60u);
    EXPECT_EQ(thumbs().lvMain.items().front().iconKey, "p001.bmp");
    EXPECT_FALSE(thumbs().cmdPrevious.isVisible());
    EXPECT_EQ(thumbs().lblPageNumber.caption(), "");
}

TEST_F(ThumbnailPagesTest, TheRingShowsExactlyOneList) {
    start();
    for (int page = 0; page < Form2::kPages; ++page) {
        ShowShadowPage(*program, static_cast<std::int16_t>(page));
        EXPECT_TRUE(thumbs().lvShadow(page).isVisible());
        EXPECT_EQ(visibleLists(), 1);
        EXPECT_EQ(program->intChainSteps, 0);
    }
    ShowShadowPage(*program, 7);  // out of range: nothing changes
    EXPECT_TRUE(thumbs().lvShadow(4).isVisible());
    ShowMainList(*program, kFalse);
    EXPECT_EQ(visibleLists(), 0);
}

TEST_F(ThumbnailPagesTest, AnEmptyFolderShowsEmptyLists) {
    start();
    form1().cmdViewAll.raiseClick();
    EXPECT_TRUE(thumbs().isVisible());
    EXPECT_TRUE(thumbs().lvMain.items().empty());
    EXPECT_EQ(program->intPagesBuilt, 0);
    EXPECT_FALSE(thumbs().cmdNextPage.isVisible());
}

}  // namespace
}  // namespace plivora
