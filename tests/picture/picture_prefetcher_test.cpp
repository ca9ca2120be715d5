#include "picture/picture_prefetcher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace plivora {
namespace {

// A loader that makes a picture as wide as the number in the path, and fails for "bad".
Picture fakeLoad(const std::string& path, std::atomic<int>& calls) {
    ++calls;
    if (path == "bad") {
        throw Error(ErrorNumber::InvalidPicture);
    }
    return Picture(Image(std::stoi(path), 1));
}

TEST(PicturePrefetcher, GivesEveryPictureInOrderWithOrWithoutAThread) {
    for (bool background : {false, true}) {
        SCOPED_TRACE(background);
        std::atomic<int> calls = 0;
        const std::vector<std::string> paths = {"1", "2", "bad", "4", "5", "6", "7"};
        PicturePrefetcher pictures(
            paths, background, [&](const std::string& p) { return fakeLoad(p, calls); }, 2);
        for (std::size_t i = 0; i < paths.size(); ++i) {
            if (paths[i] == "bad") {
                try {
                    pictures.take(i, paths[i]);
                    FAIL() << "a failed load gave a picture";
                } catch (const Error& error) {
                    EXPECT_EQ(error.number(), ErrorNumber::InvalidPicture);
                }
                continue;
            }
            EXPECT_EQ(pictures.take(i, paths[i]).width(), std::stoi(paths[i]));
        }
        EXPECT_EQ(calls.load(), 7);  // each picture decoded once
    }
}

TEST(PicturePrefetcher, BothDecodersShareTheRunAndDecodeEachPictureOnce) {
    std::vector<std::string> paths;
    for (int i = 1; i <= 40; ++i) {
        paths.push_back(std::to_string(i));
    }
    std::mutex mutex;
    std::condition_variable decoding;
    std::map<std::string, int> decodes;
    std::set<std::thread::id> threads;
    bool bothDecoding = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    PicturePrefetcher pictures(paths, true, [&](const std::string& p) {
        std::unique_lock lock(mutex);
        ++decodes[p];
        threads.insert(std::this_thread::get_id());
        // Each thread's first decode is held until the other thread decodes one too, so that
        // neither finishes the run alone; a prefetcher whose caller never decodes leaves the
        // worker's decodes waiting, and the deadline lets the test fail instead of hanging.
        if (threads.size() == 2) {
            bothDecoding = true;
            decoding.notify_all();
        }
        decoding.wait_until(lock, deadline, [&] { return bothDecoding; });
        return Picture(Image(std::stoi(p), 1));
    });
    for (std::size_t i = 0; i < paths.size(); ++i) {
        EXPECT_EQ(pictures.take(i, paths[i]).width(), static_cast<int>(i + 1));
    }
    std::lock_guard lock(mutex);
    EXPECT_EQ(decodes.size(), paths.size());
    for (const auto& [path, count] : decodes) {
        EXPECT_EQ(count, 1) << path;
    }
    EXPECT_EQ(threads.size(), 2u);  // the caller's thread decoded too
}

// The window's thread waits for its next picture in short slices and runs events in between: it
// is told while the picture is still being decoded, and never decodes one itself.
TEST(PicturePrefetcher, AWaitingCallerIsToldAndNeverDecodes) {
    std::mutex mutex;
    std::condition_variable released;
    bool release = false;
    bool secondDone = false;
    std::set<std::thread::id> threads;
    const std::vector<std::string> paths = {"1", "2", "3", "4", "5", "6"};
    PicturePrefetcher pictures(
        paths, true,
        [&](const std::string& p) {
            std::unique_lock lock(mutex);
            threads.insert(std::this_thread::get_id());
            // "1" is held until the caller lets it go and another thread decoded "2".
            if (p == "1") {
                released.wait(lock, [&] { return release && secondDone; });
            } else if (p == "2") {
                secondDone = true;
                released.notify_all();
            }
            return Picture(Image(std::stoi(p), 1));
        },
        3, 2);
    EXPECT_FALSE(pictures.waitFor(0, std::chrono::milliseconds(1)));  // "1" is held
    {
        std::lock_guard lock(mutex);
        release = true;
    }
    released.notify_all();
    for (std::size_t i = 0; i < paths.size(); ++i) {
        while (!pictures.waitFor(i, std::chrono::milliseconds(1))) {
        }
        EXPECT_EQ(pictures.take(i, paths[i]).width(), static_cast<int>(i + 1));
    }
    std::lock_guard lock(mutex);
    EXPECT_EQ(threads.count(std::this_thread::get_id()), 0u);
    EXPECT_EQ(threads.size(), 2u);  // both threads of the prefetcher decoded
    // Without threads the caller is told at once and take loads the picture.
    PicturePrefetcher inTurn(paths, false,
                             [](const std::string& p) { return Picture(Image(std::stoi(p), 1)); });
    EXPECT_TRUE(inTurn.waitFor(0, std::chrono::milliseconds(0)));
    EXPECT_EQ(inTurn.take(0, "1").width(), 1);
}

TEST(PicturePrefetcher, AChangedEntryIsLoadedAsItIsNow) {
    std::atomic<int> calls = 0;
    PicturePrefetcher pictures({"1", "2", "3"}, true,
                               [&](const std::string& p) { return fakeLoad(p, calls); });
    EXPECT_EQ(pictures.take(0, "1").width(), 1);
    EXPECT_EQ(pictures.take(1, "9").width(), 9);  // the list changed under the fill
    EXPECT_EQ(pictures.take(2, "3").width(), 3);
    EXPECT_EQ(pictures.take(3, "12").width(), 12);  // beyond the planned run
}

TEST(PicturePrefetcher, StoppingEarlyDoesNotWaitForTheWholeRun) {
    std::atomic<int> calls = 0;
    std::vector<std::string> paths(200, "3");
    {
        PicturePrefetcher pictures(
            paths, true, [&](const std::string& p) { return fakeLoad(p, calls); }, 3);
        EXPECT_EQ(pictures.take(0, "3").width(), 3);
    }
    // The thread decodes at most the lookahead beyond what was taken.
    EXPECT_LE(calls.load(), 5);
}

}  // namespace
}  // namespace plivora
