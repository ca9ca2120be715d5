#include "gifctl/animated_gif_ctl.h"

#include <gtest/gtest.h>

#include <fstream>

#include "forms/form.h"
#include "headless/headless_host.h"
#include "support/gif_bytes.h"
#include "support/temp_folder.h"
#include "win/error.h"

namespace plivora {
namespace {

using namespace gif_bytes;

class GifForm : public Form {
public:
    explicit GifForm(Host& host) : Form(host, "GifForm") {
        gif.move(0, 0, 150, 150);  // 10 x 10 pixels
    }
    AnimatedGifCtl gif{*this, "AnimatedGifCtl1"};
};

// Three 2 x 2 frames of red, green and blue with delays of 10, 20 and 30 hundredths.
Bytes threeFrames() {
    const Bytes table = {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255};
    return join({header(), screen(2, 2, 0x81), table, graphicControl(1, false, 10, 0),
                 descriptor(0, 0, 2, 2), imageData(2, {1, 1, 1, 1}),
                 graphicControl(1, false, 20, 0), descriptor(0, 0, 2, 2),
                 imageData(2, {2, 2, 2, 2}), graphicControl(1, false, 30, 0),
                 descriptor(0, 0, 2, 2), imageData(2, {3, 3, 3, 3}), kTrailer});
}

class AnimatedGifCtlTest : public ::testing::Test {
protected:
    std::string write(const std::string& name, const Bytes& bytes) {
        const std::string path = dataFolder.path() + "/" + name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    std::uint32_t pixel(int x, int y) { return form.gif.surface().pixel(x, y); }

    TempFolder dataFolder;  // the test's own files
    // TMPDIR while the test runs; made after the folder above, which lies in the system's one
    TempFolder tmpFolder{TempFolder::Tmpdir::PointHere};
    HeadlessHost host;
    GifForm form{host};
    std::vector<std::string> warnings;
    void SetUp() override {
        form.gif.Warning = [this](const std::string& message) { warnings.push_back(message); };
    }
};

TEST_F(AnimatedGifCtlTest, UserDelayIsClampedOnEveryWrite) {
    for (auto [written, stored] :
         {std::pair{0, 1}, {5000, 1000}, {500, 500}, {-7, 1}, {1000, 1000}}) {
        form.gif.setUserDelay(written);
        EXPECT_EQ(form.gif.UserDelay(), stored) << written;
    }
}

TEST_F(AnimatedGifCtlTest, LoadingAGifShowsFrameZeroStopped) {
    const std::string path = write("three.gif", threeFrames());
    EXPECT_TRUE(form.gif.isBlank()) << "nothing loaded yet";
    form.gif.LoadGif(true, path);
    EXPECT_FALSE(form.gif.isBlank());
    EXPECT_EQ(host.mousePointers(), (std::vector<int>{11, 0})) << "the hourglass, then back";
    EXPECT_EQ(form.gif.strGifFileName(), path);
    EXPECT_EQ(form.gif.NumberofFrames(), 2);
    EXPECT_EQ(form.gif.CurrentFrame(), 0);
    EXPECT_EQ(form.gif.UserDelay(), 1);
    EXPECT_FALSE(form.gif.Timer1.isRunning());
    EXPECT_EQ(pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(form.gif.MousePointer(), 0);
    EXPECT_EQ(host.capture(), nullptr);
    EXPECT_TRUE(tmpFolder.entries().empty());

    // Playing draws the frames in turn, looping.
    form.gif.StartTimer();
    EXPECT_TRUE(form.gif.Timer1.isRunning());
    std::vector<std::uint32_t> seen;
    for (int tick = 0; tick < 4; ++tick) {
        host.advance(form.gif.Timer1.interval());
        seen.push_back(pixel(1, 1));
    }
    EXPECT_EQ(seen,
              (std::vector<std::uint32_t>{0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFF0000u}));
    form.gif.StopGif();
    EXPECT_FALSE(form.gif.Timer1.isRunning());
}

TEST_F(AnimatedGifCtlTest, AFileThatIsNotAGifLeavesNoFramesAndStartWarns) {
    const std::string path = write("photo.jpg", text("\xFF\xD8\xFF not really a jpeg"));
    const std::string gif = write("three.gif", threeFrames());
    form.gif.setBackColor(rgb(10, 20, 30));
    form.gif.LoadGif(true, gif);
    form.gif.LoadGif(true, path);
    EXPECT_EQ(form.gif.strGifFileName(), "");
    EXPECT_EQ(pixel(5, 5), 0xFF0A141Eu);  // the background colour
    EXPECT_TRUE(form.gif.isBlank())
        << "the GIF before is gone; the picture under the control shows";
    form.gif.StartTimer();
    EXPECT_EQ(warnings, std::vector<std::string>{"No animated gif file is selected."});

    form.gif.LoadGif(true, gif);
    form.gif.clearGif();
    EXPECT_TRUE(form.gif.isBlank()) << "cleared";
}

TEST_F(AnimatedGifCtlTest, AnEmptyNameOrAStoredEmptyNameParsesNothing) {
    form.gif.LoadGif(false, "ignored");
    EXPECT_EQ(form.gif.strGifFileName(), "");
    EXPECT_TRUE(warnings.empty());
    form.gif.LoadGif(true, "");
    EXPECT_EQ(form.gif.strGifFileName(), "");
    form.gif.StartTimer();
    EXPECT_EQ(warnings.size(), 1u);
}

TEST_F(AnimatedGifCtlTest, ABrokenGifReleasesThePointerAndCaptureAndLeavesNoFile) {
    Bytes truncated = threeFrames();
    truncated.resize(truncated.size() - 12);
    const std::string path = write("broken.gif", truncated);
    try {
        form.gif.LoadGif(true, path);
        FAIL() << "a truncated file loaded";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), 9);
    }
    EXPECT_EQ(form.gif.MousePointer(), 0);
    EXPECT_EQ(host.mousePointers(), (std::vector<int>{11, 0}));
    EXPECT_EQ(host.capture(), nullptr);
    EXPECT_EQ(form.gif.strGifFileName(), path);  // keeps the new name
    EXPECT_TRUE(tmpFolder.entries().empty());
}

TEST_F(AnimatedGifCtlTest, ANewBackColorClearsTheSurfaceAndALoadedGifDrawsOverIt) {
    const std::uint32_t grey = pixel(5, 5);
    form.gif.setBackColor(kBlack);  // nothing loaded: the whole surface
    for (auto [x, y] : {std::pair{0, 0}, {5, 5}, {9, 9}}) {
        EXPECT_EQ(pixel(x, y), 0xFF000000u) << x << "," << y;
    }

    form.gif.setBackColor(grey & 0xFFFFFFu);
    form.gif.LoadGif(true, write("three.gif", threeFrames()));
    form.gif.setBackColor(rgb(0, 0, 255));
    EXPECT_EQ(pixel(0, 0), 0xFFFF0000u) << "frame 0 over the cleared surface";
    EXPECT_EQ(pixel(5, 5), 0xFF0000FFu);
    EXPECT_FALSE(form.gif.Timer1.isRunning());
    EXPECT_TRUE(warnings.empty());
}

TEST_F(AnimatedGifCtlTest, StoredPropertiesOmitDefaultsAndKeepTheirOrder) {
    PropertyBag bag;
    form.gif.WriteProperties(bag);
    EXPECT_TRUE(bag.entries().empty());
    form.gif.setBorderStyle(1);
    form.gif.WriteProperties(bag);
    ASSERT_EQ(bag.entries().size(), 1u);
    EXPECT_EQ(bag.entries()[0].first, "BorderStyle");

    bag.clear();
    form.gif.setBackColor(0);
    form.gif.setStrGifFileName("/x.gif");
    form.gif.WriteProperties(bag);
    ASSERT_EQ(bag.entries().size(), 3u);
    EXPECT_EQ(bag.entries()[0].first, "BackColor");
    EXPECT_EQ(bag.entries()[1].first, "BorderStyle");
    EXPECT_EQ(bag.entries()[2].first, "strGifFileName");
}

TEST_F(AnimatedGifCtlTest, AStoredFileThatExistsIsShownAtTheFirstPaint) {
    const std::string path = write("stored.gif", threeFrames());
    for (bool exists : {true, false}) {
        SCOPED_TRACE(exists);
        GifForm other(host);
        PropertyBag bag;
        bag.WriteProperty("BorderStyle", std::int32_t{1}, std::int32_t{0});
        bag.WriteProperty("strGifFileName", exists ? path : dataFolder.path() + "/gone.gif",
                          std::string());
        other.gif.ReadProperties(bag);
        EXPECT_EQ(other.gif.borderStyle(), 1);
        EXPECT_EQ(other.gif.DisplaySavedGifFileName(), exists);
        other.gif.raisePaint();
        EXPECT_FALSE(other.gif.DisplaySavedGifFileName());
        EXPECT_EQ(other.gif.surface().pixel(0, 0), exists ? 0xFFFF0000u : 0xFFF0F0F0u);
    }
}

TEST_F(AnimatedGifCtlTest, SetBackColorHasNoDialog) {
    try {
        form.gif.SetBackColor();
        FAIL();
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), 91);
    }
}

}  // namespace
}  // namespace plivora
