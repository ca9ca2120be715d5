#include "thumbs/thumbnail_pages.h"
#include "support/app_fixture.h"
#include "thumbs/form2.h"
#include "thumbs/module1.h"

namespace plivora {
namespace {

// The page a fill builds, from the number of files and the next file index the counters hold:
// a full page has a next one only when a file follows it within the 300.
TEST(ThumbnailPagePlan, PagesOfSixtyWithinThreeHundredFiles) {
    const struct {
        int fileCount;
        int nextFileIndex;
        ThumbnailPagePlan plan;
    } cases[] = {
        {0, 1, {1, 0, 1, false}},           // no file: the page is empty
        {1, 1, {1, 1, 1, false}},           // one file
        {59, 1, {1, 59, 1, false}},         // a page not full
        {60, 1, {1, 60, 1, false}},         // exactly full, nothing after it
        {61, 1, {1, 60, 1, true}},          // full, one file after it
        {61, 61, {61, 61, 2, false}},       // that one file on the second page
        {120, 61, {61, 120, 2, false}},     // a full second page, nothing after it
        {121, 61, {61, 120, 2, true}},      // a full second page, one file after it
        {250, 241, {241, 250, 5, false}},   // the fifth page not full
        {300, 241, {241, 300, 5, false}},   // the fifth page full, nothing after it
        {301, 241, {241, 300, 5, false}},   // the 300th file ends the paging
        {5000, 181, {181, 240, 4, true}},   // the fourth page of many files
        {5000, 241, {241, 300, 5, false}},  // the fifth and last of many
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.fileCount << " files from " << c.nextFileIndex);
        const ThumbnailPagePlan plan = planThumbnailPage(c.fileCount, c.nextFileIndex);
        EXPECT_EQ(plan.first, c.plan.first);
        EXPECT_EQ(plan.last, c.plan.last);
        EXPECT_EQ(plan.pageNumber, c.plan.pageNumber);
        EXPECT_EQ(plan.hasNextPage, c.plan.hasNextPage);
    }
}

// Back applies on a built page from the second on; Next where a later page is built, or a next
// file index other than 1 says one is still to be built.
TEST(ThumbnailPageButtons, BackAndNextFollowThePageCounters) {
    const struct {
        int pageShown;
        int pagesBuilt;
        int nextFileIndex;
        bool back;
        bool next;
    } cases[] = {
        {1, 1, 1, false, false},  // one page, all files on it
        {1, 1, 61, false, true},  // one page built, the next still to build
        {2, 2, 1, true, false},   // the last page of two
        {1, 2, 1, false, true},   // back on the first of two built
        {2, 3, 1, true, true},    // the middle of three built
        {3, 3, 121, true, true},  // the last built, a fourth still to build
        {5, 5, 1, true, false},   // the fifth and last
        {3, 0, 1, false, false},  // a fresh View All from page 3: its first page is filling
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "page " << c.pageShown << " of " << c.pagesBuilt
                                        << " built, next file " << c.nextFileIndex);
        const PageButtons buttons = pageButtons(c.pageShown, c.pagesBuilt, c.nextFileIndex);
        EXPECT_EQ(buttons.back, c.back);
        EXPECT_EQ(buttons.next, c.next);
    }
}

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
