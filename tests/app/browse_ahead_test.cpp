#include "picture/browse_ahead.h"
#include "support/app_fixture.h"

#include <utime.h>

namespace plivora {
namespace {

using BrowseAheadTest = AppTest;

int listIndexOf(FileListBox& list, const std::string& name) {
    for (int i = 0; i < list.listCount(); ++i) {
        if (list.list(i) == name) {
            return i;
        }
    }
    return -1;
}

TEST_F(BrowseAheadTest, TheNextPictureShowsWithoutADecodeUnlessItsFileChanged) {
    writeBmp(picturesDir + "/a.bmp", 10, 10);
    writeBmp(picturesDir + "/b.bmp", 20, 10);
    writeBmp(picturesDir + "/c.bmp", 30, 10);
    host.setBackgroundWork(true);  // as the Qt host allows
    start();
    FileListBox& files = form1().File1;
    BrowseAhead& ahead = form1().browseAhead();

    files.setListIndex(listIndexOf(files, "a.bmp"));
    ahead.waitUntilIdle();
    files.setListIndex(listIndexOf(files, "b.bmp"));
    EXPECT_EQ(ahead.hits(), 1);
    EXPECT_EQ(form1().lblDimension.caption(), "20 x 10");
    EXPECT_EQ(form1().caption(), picturesDir + "/b.bmp");

    // c.bmp was decoded ahead while b.bmp was on show, then rewritten: it is decoded afresh.
    ahead.waitUntilIdle();
    writeBmp(picturesDir + "/c.bmp", 40, 10);
    const utimbuf later{2000000000, 2000000000};
    ASSERT_EQ(::utime((picturesDir + "/c.bmp").c_str(), &later), 0);
    files.setListIndex(listIndexOf(files, "c.bmp"));
    EXPECT_EQ(ahead.hits(), 1);
    EXPECT_EQ(form1().lblDimension.caption(), "40 x 10");

    // Back to b.bmp, decoded ahead again as c.bmp's neighbour.
    ahead.waitUntilIdle();
    files.setListIndex(listIndexOf(files, "b.bmp"));
    EXPECT_EQ(ahead.hits(), 2);
    EXPECT_EQ(form1().lblDimension.caption(), "20 x 10");
}

TEST_F(BrowseAheadTest, TheHeadlessHostDecodesInTurnByDefault) {
    writeBmp(picturesDir + "/a.bmp", 10, 10);
    writeBmp(picturesDir + "/b.bmp", 20, 10);
    start();
    FileListBox& files = form1().File1;
    files.setListIndex(0);
    form1().browseAhead().waitUntilIdle();
    files.setListIndex(1);
    EXPECT_EQ(form1().browseAhead().hits(), 0);
    EXPECT_EQ(form1().lblDimension.caption(), "20 x 10");
}

}  // namespace
}  // namespace plivora
