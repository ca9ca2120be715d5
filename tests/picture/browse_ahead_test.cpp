#include "picture/browse_ahead.h"
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include "support/temp_folder.h"
#include "win/error.h"

namespace plivora {
namespace {

namespace fs = std::filesystem;

// Files whose "picture" is as wide as the file is long; "slow" files wait for the test to let
// their decode end.
class BrowseAheadTest : public testing::Test {
protected:
    std::string file(const std::string& name, const std::string& bytes = "12345") {
        const std::string path = (m_dir / name).string();
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        return path;
    }

    Picture load(const std::string& path) {
        ++loads;
        if (path.ends_with("slow")) {
            std::unique_lock lock(mutex);
            slowStarted = true;
            released.notify_all();
            released.wait(lock, [&] { return slowReleased; });
        }
        if (path.ends_with("bad")) {
            throw Error(ErrorNumber::InvalidPicture);
        }
        return Picture(Image(static_cast<int>(fs::file_size(path)), 1));
    }

    BrowseAhead::Loader loader() {
        return [this](const std::string& path) { return load(path); };
    }

    std::atomic<int> loads = 0;
    std::mutex mutex;
    std::condition_variable released;
    bool slowStarted = false;
    bool slowReleased = false;

private:
    TempFolder m_folder;
    const fs::path m_dir{m_folder.path()};
};

TEST_F(BrowseAheadTest, HandsOverAPlannedPictureOnceWithoutDecodingItAgain) {
    BrowseAhead ahead(loader());
    const std::string next = file("next");
    const std::string previous = file("previous", "123");
    const std::string bad = file("bad");
    ahead.plan({next, previous, bad});
    ahead.waitUntilIdle();
    EXPECT_EQ(loads, 3);

    const std::optional<Picture> picture = ahead.take(next);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width(), 5);
    EXPECT_FALSE(ahead.take(next));  // handed over, no longer held
    EXPECT_FALSE(ahead.take(bad));   // the caller loads it and reports why it fails
    EXPECT_EQ(ahead.take(previous)->width(), 3);
    EXPECT_EQ(ahead.hits(), 2);
    EXPECT_EQ(loads, 3);
}

// Changed files are decoded afresh, also when the writer kept the length and put the
// modification time back: replaced by a rename (another inode), or rewritten in place (the
// change time moves).
TEST_F(BrowseAheadTest, DecodesAChangedFileAfresh) {
    BrowseAhead ahead(loader());
    const std::string longer = file("longer");
    const std::string touched = file("touched");
    const std::string replaced = file("replaced");
    const std::string rewritten = file("rewritten");
    ahead.plan({longer, touched, replaced, rewritten});
    ahead.waitUntilIdle();
    std::ofstream(longer, std::ios::app) << "more";
    const utimbuf past{1000000000, 1000000000};
    ASSERT_EQ(::utime(touched.c_str(), &past), 0);
    const auto statOf = [](const std::string& path) {
        struct stat info {};
        EXPECT_EQ(::stat(path.c_str(), &info), 0);
        return info;
    };
    const auto putTimesBack = [](const std::string& path, const struct stat& kept) {
        const timespec times[2] = {kept.st_atim, kept.st_mtim};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    };
    const std::string fresh = file("fresh", "54321");
    putTimesBack(fresh, statOf(replaced));
    fs::rename(fresh, replaced);
    const struct stat before = statOf(rewritten);
    // The change time has the file system's clock granularity: write until it moves.
    for (int attempt = 0; attempt < 100000; ++attempt) {
        std::fstream(rewritten, std::ios::in | std::ios::out | std::ios::binary) << "54321";
        putTimesBack(rewritten, before);
        const struct stat after = statOf(rewritten);
        if (after.st_ctim.tv_sec != before.st_ctim.tv_sec ||
            after.st_ctim.tv_nsec != before.st_ctim.tv_nsec) {
            break;
        }
    }
    for (const std::string& path : {longer, touched, replaced, rewritten}) {
        EXPECT_FALSE(ahead.take(path)) << path;
    }

    // Planned again, the changed files are decoded again.
    ahead.plan({longer, touched});
    ahead.waitUntilIdle();
    EXPECT_EQ(loads, 6);
    EXPECT_EQ(ahead.take(longer)->width(), 9);
}

TEST_F(BrowseAheadTest, HoldsAtMostThreeAndForgetsThemWhenCleared) {
    BrowseAhead ahead(loader());
    const std::string one = file("1");
    const std::string two = file("2");
    const std::string three = file("3");
    const std::string four = file("4");
    ahead.plan({one, two, three, four});
    ahead.waitUntilIdle();
    ahead.plan({two, three, four});  // all held: nothing to decode
    ahead.waitUntilIdle();
    EXPECT_EQ(loads, 4);
    EXPECT_FALSE(ahead.take(one));  // the oldest made room for the fourth
    EXPECT_TRUE(ahead.take(two));
    ahead.clear();
    EXPECT_FALSE(ahead.take(three));
    EXPECT_FALSE(ahead.take(four));
}

// Pictures hold at most kMostHeldBytes of pixels together: a decode that would pass it drops
// the oldest, and a picture larger than the whole budget is not held at all.
TEST_F(BrowseAheadTest, HoldsNoMoreBytesOfPixelsThanItsBudget) {
    const std::size_t budget = BrowseAhead::kMostHeldBytes;
    const int wide = static_cast<int>(budget / 4 / 1000);  // pixels of a budget 1000 rows high
    BrowseAhead ahead([&](const std::string& path) {
        const int rows = path.ends_with("huge") ? 1001 : 400;
        return Picture(Image(wide, rows));
    });
    const std::string one = file("1");
    const std::string two = file("2");
    const std::string three = file("3");
    const std::string huge = file("huge");
    ahead.plan({one, two, three, huge});
    ahead.waitUntilIdle();
    EXPECT_LE(ahead.heldBytes(), budget);
    EXPECT_EQ(ahead.heldBytes(), std::size_t{2} * 400 * 4 * static_cast<std::size_t>(wide));
    EXPECT_FALSE(ahead.take(huge));
    EXPECT_FALSE(ahead.take(one));  // the oldest made room for the third
    EXPECT_TRUE(ahead.take(two));
    EXPECT_TRUE(ahead.take(three));
    EXPECT_EQ(ahead.heldBytes(), 0u);
}

TEST_F(BrowseAheadTest, NeverMakesTheCallerWaitAndDropsADecodeThatWasCleared) {
    BrowseAhead ahead(loader());
    const std::string slow = file("slow");
    const auto release = [&] {
        std::lock_guard lock(mutex);
        slowReleased = true;
        released.notify_all();
    };
    ahead.plan({slow});
    {
        std::unique_lock lock(mutex);
        released.wait(lock, [&] { return slowStarted; });
    }
    EXPECT_FALSE(ahead.take(slow));  // still decoding: the caller decodes it itself
    release();
    ahead.waitUntilIdle();
    EXPECT_TRUE(ahead.take(slow));

    slowStarted = false;
    slowReleased = false;
    ahead.plan({slow});
    {
        std::unique_lock lock(mutex);
        released.wait(lock, [&] { return slowStarted; });
    }
    ahead.clear();  // the folder changed meanwhile
    release();
    ahead.waitUntilIdle();
    EXPECT_FALSE(ahead.take(slow));
}

}  // namespace
}  // namespace plivora
