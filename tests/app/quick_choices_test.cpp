#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>

#include "app/number_format.h"
#include "picture/picture_loader.h"
#include "support/app_fixture.h"
#include "thumbs/form2.h"

namespace plivora {
namespace {

// Choices that arrive while an earlier picture is still being shown: the animation control's
// load lets events run, which is where a held arrow key or a second click comes in.
class QuickChoicesTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        for (int i = 0; i < kFiles; ++i) {
            // Each file has its own size, so labels from two files cannot agree by chance.
            writeBmp(picturesDir + "/p" + std::to_string(10 + i) + ".bmp", 10 + i, 20 + i);
        }
    }

    void expectShowing(int i) {
        // Appended rather than "p" + std::to_string(...): GCC 12 at -O3 takes the literal's
        // insert for an overlapping copy (-Wrestrict).
        const std::string name = std::string("p").append(std::to_string(10 + i)).append(".bmp");
        const std::string full = picturesDir + "/" + name;
        Form1& f = form1();
        EXPECT_EQ(f.File1.listIndex(), i);
        EXPECT_EQ(f.caption(), full);
        EXPECT_EQ(f.sPictureFile, name);
        EXPECT_EQ(f.lblDimension.caption(),
                  std::to_string(10 + i) + " x " + std::to_string(20 + i));
        EXPECT_EQ(
            f.lblFileSize.caption(),
            formatThousands(static_cast<std::int64_t>(std::filesystem::file_size(full)), ",") +
                " bytes");
        EXPECT_EQ(f.imgShow.width(), static_cast<float>((10 + i) * 15));
        EXPECT_EQ(program->form2().sSelectedFile, full);
        EXPECT_EQ(program->form2().imgShadow.height(), static_cast<float>((20 + i) * 15));
    }

    static constexpr int kFiles = 6;
};

TEST_F(QuickChoicesTest, AClickDuringTheDisplayOfAnotherFileShowsOnlyTheSecond) {
    start();
    host.postAction([&] { form1().File1.setListIndex(4); });
    form1().File1.setListIndex(1);
    expectShowing(4);
    EXPECT_EQ(host.deepestDoEvents(), 1);
}

TEST_F(QuickChoicesTest, AHeldArrowKeyNeverNestsAndEndsOnTheLastFile) {
    start();
    // Each key press arrives during the display of the one before, as auto-repeat does.
    constexpr int kPresses = 200;
    int pressed = 0;
    std::function<void()> press = [&] {
        ++pressed;
        if (pressed < kPresses) {
            host.postAction(press);
        }
        form1().File1.setListIndex(pressed % kFiles);
    };
    press();
    EXPECT_EQ(pressed, kPresses);
    expectShowing(kPresses % kFiles);
    EXPECT_EQ(host.deepestDoEvents(), 1);
}

// The choice that comes while a picture decodes on its own thread wins at once: the window does
// not wait for that decode, which runs on to its end and is dropped.
TEST_F(QuickChoicesTest, ANewerChoiceIsShownWithoutWaitingForThePictureStillDecoding) {
    host.setBackgroundWork(true);
    start();
    std::mutex mutex;
    std::condition_variable changed;
    bool slowStarted = false;
    bool released = false;
    std::atomic<bool> slowReturned = false;
    const std::string slowFile = picturesDir + "/p11.bmp";
    program->setChosenPictureLoader([&](const std::string& path) {
        if (path == slowFile) {
            std::unique_lock<std::mutex> lock(mutex);
            slowStarted = true;
            changed.notify_all();
            // Ends by itself only when the window's thread waited for it, so that the fault
            // fails the test instead of hanging it.
            changed.wait_for(lock, std::chrono::seconds(10), [&] { return released; });
            slowReturned = true;
        }
        return LoadPicture(path);
    });
    host.postAction([&] {
        {
            // The key press comes while p11 is being decoded.
            std::unique_lock<std::mutex> lock(mutex);
            changed.wait(lock, [&] { return slowStarted; });
        }
        form1().File1.setListIndex(4);
    });
    form1().File1.setListIndex(1);
    expectShowing(4);
    EXPECT_FALSE(slowReturned) << "the window waited for the abandoned decode";
    EXPECT_EQ(host.deepestDoEvents(), 1);
    {
        const std::lock_guard<std::mutex> lock(mutex);
        released = true;
    }
    changed.notify_all();
    program.reset();  // waits for the abandoned decode, which still uses this test's loader
}

// Auto-repeat through pictures that each take long to decode: the decodes abandoned on the way
// still run, so the choices after them wait for one to end instead of piling up decodes; a
// choice superseded while it waits never starts its own.
TEST_F(QuickChoicesTest, AHeldArrowKeyDoesNotPileUpAbandonedDecodes) {
    host.setBackgroundWork(true);
    start();
    std::mutex mutex;
    std::condition_variable changed;
    bool released = false;
    std::atomic<int> decodes = 0;
    program->setChosenPictureLoader([&](const std::string& path) {
        ++decodes;
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait_for(lock, std::chrono::seconds(10), [&] { return released; });
        return LoadPicture(path);
    });
    int pressed = 0;
    std::function<void()> press = [&] {
        ++pressed;
        if (pressed < kFiles - 1) {
            host.postAction(press);
        } else {
            const std::lock_guard<std::mutex> lock(mutex);
            released = true;
            changed.notify_all();
        }
        form1().File1.setListIndex(pressed);
    };
    host.postAction(press);
    form1().File1.setListIndex(0);
    expectShowing(kFiles - 1);
    EXPECT_EQ(host.deepestDoEvents(), 1);
    program.reset();  // waits for the abandoned decodes
    // Two were abandoned while they ran and the choices after them were superseded before either
    // had ended, so that only the last one decoded after them; the read-ahead of the list's
    // neighbours, which runs beside these decodes, may have had one of the pictures ready first
    // (seen under load: two decodes). Without the limit every choice starts one: six.
    EXPECT_GE(decodes, 1);
    EXPECT_LE(decodes, 3);
}

// In turn, as the headless host runs it: the animation control's load of a GIF of many frames
// stops at the frame after the one during which the newer choice came, not at its last.
TEST_F(QuickChoicesTest, ANewerChoiceEndsTheLoadOfAManyFrameGifAtItsNextFrame) {
    using namespace gif_bytes;
    const TempFolder frameFiles(TempFolder::Tmpdir::PointHere);
    constexpr int kFrames = 40;
    Bytes gif = join({header(), screen(2, 2, 0x80), {255, 0, 0, 0, 255, 0}});
    for (int k = 0; k < kFrames; ++k) {
        gif = join({gif, graphicControl(1, false, 10, 0), descriptor(0, 0, 2, 2),
                    imageData(2, {0, 1, 1, 0})});
    }
    gif = join({gif, kTrailer});
    writeFile(picturesDir + "/z.gif", std::string(gif.begin(), gif.end()));
    start();
    int framesDecoded = 0;
    form1().AnimatedGifCtl1.engine().setPictureLoader([&](const std::string& path) {
        if (++framesDecoded == 3) {
            host.postAction([&] { form1().File1.setListIndex(2); });
        }
        return LoadPicture(path);
    });
    form1().File1.setListIndex(kFiles);  // z.gif, after the six pictures
    expectShowing(2);
    EXPECT_EQ(framesDecoded, 3);
    EXPECT_FALSE(form1().AnimatedGifCtl1.holdsGif());
    EXPECT_EQ(host.mousePointers().back(), Host::kPointerDefault);
    EXPECT_TRUE(frameFiles.entries().empty()) << "the frame file of the abandoned frame stays";
    EXPECT_EQ(host.deepestDoEvents(), 1);
}

}  // namespace
}  // namespace plivora
