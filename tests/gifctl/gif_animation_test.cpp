#include "gifctl/gif_animation.h"
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <array>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <regex>
#include "gifctl/frame_clock.h"
#include "picture/picture_loader.h"
#include "support/files.h"
#include "support/gif_bytes.h"
#include "support/temp_folder.h"
#include "win/error.h"

namespace plivora {
namespace {

using namespace gif_bytes;

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kMagenta = RGB(255, 0, 255);  // the surface before anything is drawn
constexpr COLORREF kBackground = RGB(1, 2, 3);   // the control's back colour in most tests

// Red, green, blue and white: a four-entry global table.
const Bytes kPrimaries = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};

// Three full-screen 4 x 2 frames, red, green and blue, with delays 5, 7 and 9.
const Bytes kHeaderPart = join({header(), screen(4, 2, 0x81), kPrimaries});
const Bytes kControl1 = graphicControl(1, false, 7, 0);
const Bytes kImage1 = join({descriptor(0, 0, 4, 2), imageData(2, {1, 1, 1, 1, 1, 1, 1, 1})});
const Bytes kThreeFrames = join({
    kHeaderPart,
    loopingExtension(),
    graphicControl(1, false, 5, 0),
    descriptor(0, 0, 4, 2),
    imageData(2, {0, 0, 0, 0, 0, 0, 0, 0}),
    kControl1,
    kImage1,
    graphicControl(1, false, 9, 0),
    descriptor(0, 0, 4, 2),
    imageData(2, {2, 2, 2, 2, 2, 2, 2, 2}),
    kTrailer,
});

using testdata::readFile;

class FakeHost : public GifAnimationHost {
public:
    void setTimerInterval(int intervalMs) override { intervals.push_back(intervalMs); }
    void showWarning(const std::string& message) override { warnings.push_back(message); }
    COLORREF backColor() const override { return back; }
    double scaleWidth() const override { return width; }
    double scaleHeight() const override { return height; }
    int screenWidthPx() const override { return screenWidth; }
    int screenHeightPx() const override { return screenHeight; }

    std::vector<int> intervals;
    std::vector<std::string> warnings;
    COLORREF back = kBackground;
    // No inner size by default, so that ClearDisplay leaves the surface alone and every
    // background pixel a test sees comes from the canvas.
    double width = 0;
    double height = 0;
    // A screen wider than any file's canvas, so that only the tests that ask for it clip.
    int screenWidth = 32768;
    int screenHeight = 32768;
};

class GifAnimationTest : public ::testing::Test {
protected:
    static constexpr int kSurfaceWidth = 140;
    static constexpr int kSurfaceHeight = 100;

    std::string writeGif(const std::string& name, const Bytes& bytes) {
        std::string path = dataFolder.path() + "/" + name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
        return path;
    }

    // The core of the control's load: stop, clear, parse and show frame 0.
    void loadGif(const std::string& path) {
        animation->StopGif();
        animation->ClearDisplay();
        animation->ClearFrames();
        animation->setStrGifFileName(path);
        animation->ReadGifFrames();
        if (!animation->strGifFileName().empty()) {
            animation->setUserDelay(0);
            animation->PaintGif(0);
        }
    }

    COLORREF surfaceAt(int x, int y) const {
        return colorrefFromPixel(gdi.surfaceImage(surface).pixel(x, y));
    }

    // Checks every pixel of the surface against a function of its position.
    template <typename Expected>
    void expectSurface(Expected expected) const {
        int mismatches = 0;
        for (int y = 0; y < kSurfaceHeight; ++y) {
            for (int x = 0; x < kSurfaceWidth; ++x) {
                COLORREF want = expected(x, y);
                if (surfaceAt(x, y) != want && ++mismatches <= 5) {
                    ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex
                                  << surfaceAt(x, y) << " instead of " << want;
                }
            }
        }
        EXPECT_EQ(mismatches, 0);
    }

    // The surface after a w x h screen whose frame pixels `inside` gives: the canvas is rounded
    // up to 32 columns of background, the rest of the surface untouched.
    template <typename Inside>
    void expectCanvasOnSurface(int screenWidth, int screenHeight, Inside inside) const {
        int canvasWidth = (screenWidth + 31) & ~31;
        expectSurface([&](int x, int y) {
            if (y >= screenHeight || x >= canvasWidth) {
                return kMagenta;
            }
            return x < screenWidth ? inside(x, y) : kBackground;
        });
    }

    TempFolder dataFolder;  // the test's own files
    // TMPDIR while the test runs; made after the folder above, which lies in the system's one
    TempFolder tmpFolder{TempFolder::Tmpdir::PointHere};
    GdiContext gdi;
    SurfaceId surface = gdi.createSurface(kSurfaceWidth, kSurfaceHeight, kMagenta);
    HDC ownDc = gdi.GetDC(surface);
    FakeHost host;
    std::unique_ptr<GifAnimation> animation = std::make_unique<GifAnimation>(gdi, ownDc, host);
};

TEST_F(GifAnimationTest, StartsStoppedWithUniqueTransparentColours) {
    EXPECT_TRUE(animation->StopRender());
    EXPECT_TRUE(animation->ChangeTransparentColor());
    EXPECT_EQ(animation->hdc(), ownDc);
    EXPECT_EQ(animation->UserDelay(), 0);
    EXPECT_EQ(gdi.bitmapInfo(gdi.selectedBitmap(animation->canvasDc()))->bitsPerPixel, 1)
        << "the canvas DC starts like every new memory DC";
}

TEST_F(GifAnimationTest, UserDelayIsClampedToOneToAThousand) {
    const std::pair<int, int> cases[] = {{0, 1},     {-7, 1},      {1, 1},
                                         {500, 500}, {1000, 1000}, {5000, 1000}};
    for (auto [written, read] : cases) {
        animation->setUserDelay(written);
        EXPECT_EQ(animation->UserDelay(), read) << written;
    }
}

TEST_F(GifAnimationTest, LoadSplitsEveryFrameAndLeavesNoFileBehind) {
    loadGif(writeGif("three.gif", kThreeFrames));
    EXPECT_EQ(animation->NumberofFrames(), 2);
    ASSERT_EQ(animation->frames().size(), 3u);
    const COLORREF colours[] = {kRed, kGreen, kBlue};
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE("frame " + std::to_string(k));
        Image pixels = animation->frames()[static_cast<std::size_t>(k)].toImage();
        EXPECT_EQ(pixels.width, 4);
        EXPECT_EQ(pixels.height, 2);
        for (std::uint32_t pixel : pixels.pixels) {
            EXPECT_EQ(pixel, pixelFromColorref(colours[k]));
        }
    }
    EXPECT_TRUE(tmpFolder.entries().empty());
    EXPECT_EQ(animation->canvasWidth(), 32);
    EXPECT_EQ(animation->canvasHeight(), 2);
    EXPECT_EQ(animation->CurrentFrame(), 0);
    EXPECT_EQ(animation->UserDelay(), 1);
    EXPECT_TRUE(host.intervals.size() == 1 && host.intervals[0] == 0) << "loading never starts";
    expectCanvasOnSurface(4, 2, [](int, int) { return kRed; });
}

TEST_F(GifAnimationTest, FrameFilesAreWrittenPrivatelyByteForByteAndNeverNamed) {
    struct Capture {
        std::string name;
        std::string bytes;
        unsigned mode = 0;
        std::size_t filesPresent = 0;
    };
    std::vector<Capture> captures;
    animation->setPictureLoader([&](const std::string& path) {
        struct stat info {};
        ::stat(path.c_str(), &info);
        captures.push_back(
            {path, readFile(path), info.st_mode & 0777u, tmpFolder.entries().size()});
        return LoadPicture(path);
    });
    loadGif(writeGif("three.gif", kThreeFrames));

    ASSERT_EQ(captures.size(), 3u);
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE("frame " + std::to_string(k));
        const Capture& capture = captures[static_cast<std::size_t>(k)];
        // The loader reads the open file; the temporary folder never shows a name for it.
        EXPECT_TRUE(std::regex_match(capture.name, std::regex("/proc/self/fd/[0-9]+")))
            << capture.name;
        Bytes expected = frameFileBytes(animation->stream(), k);
        EXPECT_EQ(capture.bytes, std::string(expected.begin(), expected.end()));
        EXPECT_EQ(capture.mode, 0600u);
        EXPECT_EQ(capture.filesPresent, 0u);
    }
    // Frame 1's file, written out independently: the header part, its graphic control and image
    // (the image data's terminator included), then 21 F9 3B.
    Bytes frame1 = join({kHeaderPart, kControl1, kImage1, {0x21, 0xF9, 0x3B}});
    EXPECT_EQ(captures[1].bytes, std::string(frame1.begin(), frame1.end()));
    EXPECT_TRUE(tmpFolder.entries().empty());

    // They are made in TMPDIR: without that folder no frame file can be made.
    ::setenv("TMPDIR", (tmpFolder.path() + "/missing").c_str(), 1);
    animation->setStrGifFileName(writeGif("three.gif", kThreeFrames));
    try {
        animation->ReadGifFrames();
        ADD_FAILURE() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), ErrorNumber::PathFileAccessError);
    }
    ::setenv("TMPDIR", tmpFolder.path().c_str(), 1);
}

TEST_F(GifAnimationTest, AFileThatIsNotAGifEmptiesTheNameAndKeepsNoFrames) {
    loadGif(writeGif("three.gif", kThreeFrames));
    HBITMAP canvas = animation->canvasBitmap();
    host.width = kSurfaceWidth;
    host.height = kSurfaceHeight;
    loadGif(writeGif("picture.png", Bytes{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0}));
    EXPECT_EQ(animation->strGifFileName(), "");
    for (const GifFrame& frame : animation->frames()) {
        EXPECT_TRUE(frame.isNull());
    }
    EXPECT_TRUE(animation->stream().records.empty());
    EXPECT_EQ(animation->canvasBitmap(), canvas) << "the canvas stays";
    expectSurface([](int, int) { return kBackground; });  // cleared, nothing drawn
}

TEST_F(GifAnimationTest, AFileWithoutImagesHasNoFramesAndNoFiles) {
    loadGif(writeGif("three.gif", kThreeFrames));
    int loads = 0;
    animation->setPictureLoader([&](const std::string& path) {
        ++loads;
        return LoadPicture(path);
    });
    loadGif(writeGif("empty.gif", join({kHeaderPart, loopingExtension(), kTrailer})));
    EXPECT_EQ(animation->NumberofFrames(), -1);
    EXPECT_TRUE(animation->frames().empty());
    EXPECT_EQ(loads, 0) << "no segment of the previous file is used";
    EXPECT_TRUE(tmpFolder.entries().empty());
    animation->setCurrentFrame(0);
    animation->StartTimer();  // nothing to play: a warning, and no clock ticking at 1 ms
    EXPECT_EQ(animation->timerInterval(), 0);
    EXPECT_EQ(host.warnings, std::vector<std::string>{GifAnimation::kNoFileMessage});
    animation->Timer1_Timer();  // nothing to draw, and no fault
    EXPECT_EQ(animation->CurrentFrame(), 0);
}

TEST_F(GifAnimationTest, TruncatedFilesAreErrorNineAndWriteNoFrameFile) {
    const std::pair<const char*, Bytes> cases[] = {
        {"empty file", Bytes{}},
        {"header cut short", Bytes(kHeaderPart.begin(), kHeaderPart.begin() + 12)},
        {"image data cut short", Bytes(kThreeFrames.begin(), kThreeFrames.end() - 10)},
        {"no byte after the last image", Bytes(kThreeFrames.begin(), kThreeFrames.end() - 1)},
    };
    int loads = 0;
    animation->setPictureLoader([&](const std::string& path) {
        ++loads;
        return LoadPicture(path);
    });
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        animation->setStrGifFileName(writeGif("cut.gif", bytes));
        try {
            animation->ReadGifFrames();
            ADD_FAILURE() << "no error";
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), ErrorNumber::SubscriptOutOfRange);
        }
        EXPECT_TRUE(tmpFolder.entries().empty());
    }
    EXPECT_EQ(loads, 0);
}

TEST_F(GifAnimationTest, AMissingFileIsFileNotFound) {
    animation->setStrGifFileName(dataFolder.path() + "/nothing.gif");
    try {
        animation->ReadGifFrames();
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), ErrorNumber::FileNotFound);
    }
}

TEST_F(GifAnimationTest, AFrameTheLoaderRejectsIsDeletedToo) {
    std::vector<bool> existed;
    animation->setPictureLoader([&](const std::string& path) {
        existed.push_back(std::filesystem::exists(path));
        if (existed.size() == 2) {
            throw Error(ErrorNumber::InvalidPicture);
        }
        return LoadPicture(path);
    });
    animation->setStrGifFileName(writeGif("three.gif", kThreeFrames));
    try {
        animation->ReadGifFrames();
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), ErrorNumber::InvalidPicture);
    }
    EXPECT_EQ(existed, (std::vector<bool>{true, true}));
    EXPECT_TRUE(tmpFolder.entries().empty());
    EXPECT_EQ(animation->frames().size(), 1u) << "frames loaded before it stay";
    EXPECT_EQ(animation->NumberofFrames(), 2);

    animation->setPictureLoader([](const std::string&) { return Picture(); });
    try {
        animation->ReadGifFrames();
        FAIL() << "a null picture was taken";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), ErrorNumber::InvalidPicture);
    }
    EXPECT_TRUE(tmpFolder.entries().empty());
}

TEST_F(GifAnimationTest, AHundredPixelScreenGetsA128PixelCanvasOfBackground) {
    Bytes file = join({header(), screen(100, 3, 0x81), kPrimaries, descriptor(0, 0, 100, 3),
                       imageData(2, std::vector<int>(300, 1)), kTrailer});
    loadGif(writeGif("wide.gif", file));
    EXPECT_EQ(animation->canvasWidth(), 128);
    EXPECT_EQ(gdi.bitmapInfo(animation->canvasBitmap())->width, 128);
    EXPECT_EQ(gdi.bitmapInfo(animation->canvasBitmap())->bitsPerPixel, 32)
        << "compatible with the drawing surface, not with the canvas DC";
    EXPECT_EQ(animation->frameRect().left, 0);
    EXPECT_EQ(animation->frameRect().width, 100);
    expectCanvasOnSurface(100, 3, [](int, int) { return kGreen; });
}

TEST_F(GifAnimationTest, ScreensWiderThan32736PixelsOverflow) {
    auto wide = [](int width) {
        return join({header(), screen(width, 1, 0x81), kPrimaries, descriptor(0, 0, 1, 1),
                     imageData(2, {0}), kTrailer});
    };
    animation->setStrGifFileName(writeGif("widest.gif", wide(32736)));
    animation->ReadGifFrames();
    EXPECT_EQ(animation->canvasWidth(), 32736);

    HBITMAP canvas = animation->canvasBitmap();
    animation->setStrGifFileName(writeGif("too-wide.gif", wide(32737)));
    try {
        animation->ReadGifFrames();
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), ErrorNumber::Overflow);
    }
    EXPECT_EQ(animation->frames().size(), 1u) << "the frames are loaded";
    EXPECT_EQ(animation->canvasBitmap(), canvas) << "no new canvas";
}

TEST_F(GifAnimationTest, ClearDisplayFillsTheRoundedScaleWithTheNearestBackColour) {
    gdi.systemColors().setColor(COLOR_BTNFACE, RGB(240, 240, 240));
    host.back = 0x8000000F;  // the button face
    host.width = 3.5;        // rounds to 4
    host.height = 2.5;       // rounds to 2, halves going to the even neighbour
    animation->ClearDisplay();
    expectSurface([](int x, int y) { return x < 4 && y < 2 ? RGB(240, 240, 240) : kMagenta; });
    EXPECT_EQ(animation->backgroundSolidColor(), RGB(240, 240, 240));
    EXPECT_EQ(animation->NearestSolidColor(kBlue), kBlue);

    animation->setHdc(HDC{});
    host.back = kRed;
    animation->ClearDisplay();  // no surface: nothing
    EXPECT_EQ(surfaceAt(0, 0), RGB(240, 240, 240));
}

TEST(FrameClock, IntervalsFollowTheDelayRule) {
    const std::pair<int, int> cases[] = {{0, 1},     {10, 101},   {499, 4991},
                                         {500, 101}, {1000, 101}, {65535, 101}};
    for (auto [delay, interval] : cases) {
        EXPECT_EQ(frameIntervalMs(delay, 1), interval) << "delay " << delay;
    }
    EXPECT_EQ(frameIntervalMs(10, 1000), 1100);
    EXPECT_EQ(frameTimerIntervalMs(0, 1), kTimerResolutionMs) << "never faster than 10 ms";
    EXPECT_EQ(frameTimerIntervalMs(0, 0), kTimerResolutionMs) << "never 0, which would stop";
    EXPECT_EQ(frameTimerIntervalMs(10, 1), 101);
}

TEST_F(GifAnimationTest, TicksDrawTheFramesInTurnAtTheNextFramesInterval) {
    loadGif(writeGif("three.gif", kThreeFrames));
    animation->StartTimer();
    EXPECT_EQ(host.intervals.back(), 250);
    EXPECT_FALSE(animation->StopRender());

    struct Tick {
        COLORREF drawn;
        int nextFrame;
        int interval;
    };
    const Tick ticks[] = {
        {kRed, 1, 71},    // frame 0 drawn; frame 1's delay 7 -> 71 ms
        {kGreen, 2, 91},  // frame 2's delay 9
        {kBlue, 0, 51},   // wraps; frame 0's delay 5
        {kRed, 1, 71},
    };
    for (const Tick& tick : ticks) {
        SCOPED_TRACE("tick drawing " + std::to_string(tick.drawn));
        animation->Timer1_Timer();
        EXPECT_EQ(surfaceAt(0, 0), tick.drawn);
        EXPECT_EQ(surfaceAt(3, 1), tick.drawn);
        EXPECT_EQ(animation->CurrentFrame(), tick.nextFrame);
        EXPECT_EQ(host.intervals.back(), tick.interval);
    }
}

TEST_F(GifAnimationTest, StopAndStartResumeWithTheNextFrameAndALoadStartsOver) {
    loadGif(writeGif("three.gif", kThreeFrames));
    animation->StartTimer();
    animation->Timer1_Timer();  // frame 0
    animation->Timer1_Timer();  // frame 1
    animation->StopGif();
    EXPECT_TRUE(animation->StopRender());
    EXPECT_EQ(host.intervals.back(), 0);

    animation->Timer1_Timer();  // a tick already queued does nothing
    EXPECT_EQ(surfaceAt(0, 0), kGreen);
    EXPECT_EQ(animation->CurrentFrame(), 2);

    animation->StartTimer();
    EXPECT_EQ(host.intervals.back(), 250);
    animation->Timer1_Timer();
    EXPECT_EQ(surfaceAt(0, 0), kBlue);

    loadGif(writeGif("three.gif", kThreeFrames));
    EXPECT_EQ(animation->CurrentFrame(), 0);
    EXPECT_TRUE(animation->StopRender() == false) << "PaintGif(0) showed frame 0";
    EXPECT_EQ(host.intervals.back(), 0);
    animation->StartTimer();
    animation->Timer1_Timer();
    EXPECT_EQ(surfaceAt(0, 0), kRed);
}

TEST_F(GifAnimationTest, WithoutAFileShowingAndPlayingWarn) {
    animation->PaintGif(0);
    animation->StartTimer();
    EXPECT_EQ(host.warnings, (std::vector<std::string>{"No animated gif file is selected.",
                                                       "No animated gif file is selected."}));
    EXPECT_TRUE(host.intervals.empty());
    EXPECT_TRUE(animation->StopRender());
}

TEST_F(GifAnimationTest, RenderingDrawsNothingWhileStoppedOrForAFrameThatDoesNotExist) {
    loadGif(writeGif("three.gif", kThreeFrames));
    const std::uint64_t changes = gdi.changeCount(gdi.selectedBitmap(ownDc));
    animation->RenderGif(3);
    animation->RenderGif(-1);
    animation->StopGif();
    animation->RenderGif(1);
    EXPECT_EQ(gdi.changeCount(gdi.selectedBitmap(ownDc)), changes);
    EXPECT_EQ(surfaceAt(0, 0), kRed);
}

// A 100 x 100 red screen, then a 20 x 20 green frame at (10, 10) with the given disposal.
Bytes disposalFile(int disposal) {
    return join({header(), screen(100, 100, 0x81), kPrimaries, descriptor(0, 0, 100, 100),
                 imageData(2, std::vector<int>(10000, 0)), graphicControl(disposal, false, 0, 0),
                 descriptor(10, 10, 20, 20), imageData(2, std::vector<int>(400, 1)), kTrailer});
}

TEST_F(GifAnimationTest, DisposalTwoClearsTheWholeCanvasBeforeTheFrame) {
    loadGif(writeGif("dispose2.gif", disposalFile(2)));
    animation->PaintGif(1);
    expectCanvasOnSurface(100, 100, [](int x, int y) {
        bool inFrame = x >= 10 && x < 30 && y >= 10 && y < 30;
        return inFrame ? kGreen : kBackground;
    });
}

TEST_F(GifAnimationTest, DisposalThreeDrawsOverWhatTheCanvasHolds) {
    loadGif(writeGif("dispose3.gif", disposalFile(3)));
    animation->PaintGif(1);
    expectCanvasOnSurface(100, 100, [](int x, int y) {
        bool inFrame = x >= 10 && x < 30 && y >= 10 && y < 30;
        return inFrame ? kGreen : kRed;
    });
}

// Table: 0 transparent (10, 20, 30), 1 the same colour but opaque, 2 white, 3 black. Frame 0 is
// white, white, white, black; frame 1 (transparent index 0) is key, opaque twin, key, black.
const Bytes kTransparentFile = join({
    header(),
    screen(4, 1, 0x81),
    {10, 20, 30, 10, 20, 30, 255, 255, 255, 0, 0, 0},
    descriptor(0, 0, 4, 1),
    imageData(2, {2, 2, 2, 3}),
    graphicControl(1, true, 0, 0),
    descriptor(0, 0, 4, 1),
    imageData(2, {0, 1, 0, 3}),
    kTrailer,
});

TEST_F(GifAnimationTest, TransparentPixelsShowTheCanvasAndARecolouredTwinStays) {
    loadGif(writeGif("transparent.gif", kTransparentFile));
    const GdiObjectCounts before = gdi.objectCounts();
    animation->PaintGif(1);
    EXPECT_EQ(gdi.objectCounts(), before) << "every DC, bitmap and brush of the blit is gone";
    const COLORREF expected[] = {kWhite, RGB(10, 20, 30), kWhite, kBlack};
    expectCanvasOnSurface(4, 1, [&](int x, int) { return expected[x]; });
}

TEST_F(GifAnimationTest, WithoutRecolouringTheOpaqueTwinIsKeyedAwayToo) {
    animation->setChangeTransparentColor(false);
    loadGif(writeGif("transparent.gif", kTransparentFile));
    animation->PaintGif(1);
    const COLORREF expected[] = {kWhite, kWhite, kWhite, kBlack};
    expectCanvasOnSurface(4, 1, [&](int x, int) { return expected[x]; });
}

// Recolouring keeps every opaque pixel in its own colour: a frame that draws the shared global
// entry as an opaque colour keeps it, a black key among black entries and a new value that the
// table holds already move up to a free value.
TEST_F(GifAnimationTest, OpaquePixelsKeepTheirColourWhateverTheTableHolds) {
    constexpr COLORREF kTwin = RGB(10, 20, 30);
    constexpr COLORREF kHalf = RGB(5, 10, 15);
    struct Case {
        const char* name;
        Bytes file;
        std::vector<std::array<COLORREF, 4>> framesShown;  // the canvas after each frame in turn
    };
    const Case cases[] = {
        {"frame 0 draws entry 0 opaque, frame 1 keys on it",
         join({header(),
               screen(4, 1, 0x81),
               {255, 255, 255, 255, 255, 255, 255, 0, 0, 0, 0, 0},
               descriptor(0, 0, 4, 1),
               imageData(2, {0, 0, 2, 3}),
               graphicControl(1, true, 0, 0),
               descriptor(0, 0, 4, 1),
               imageData(2, {0, 1, 1, 0}),
               kTrailer}),
         {{kWhite, kWhite, kRed, kBlack}, {kWhite, kWhite, kWhite, kBlack}}},
        {"a black key among black entries",
         join({header(),
               screen(4, 1, 0x81),
               {0, 0, 0, 0, 0, 0, 255, 255, 255, 0, 0, 0},
               graphicControl(1, true, 0, 0),
               descriptor(0, 0, 4, 1),
               imageData(2, {0, 1, 2, 3}),
               kTrailer}),
         {{kBackground, kBlack, kWhite, kBlack}}},
        {"half the second largest is an entry already",
         join({header(),
               screen(4, 1, 0x81),
               {10, 20, 30, 10, 20, 30, 255, 255, 255, 5, 10, 15},
               graphicControl(1, true, 0, 0),
               descriptor(0, 0, 4, 1),
               imageData(2, {0, 1, 2, 3}),
               kTrailer}),
         {{kBackground, kTwin, kWhite, kHalf}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        loadGif(writeGif("recoloured.gif", c.file));
        for (std::size_t k = 0; k < c.framesShown.size(); ++k) {
            SCOPED_TRACE("frame " + std::to_string(k));
            animation->PaintGif(static_cast<int>(k));
            expectCanvasOnSurface(4, 1, [&](int x, int) { return c.framesShown[k][x]; });
        }
    }
}

TEST_F(GifAnimationTest, TheEndReleasesEveryObjectItMade) {
    loadGif(writeGif("transparent.gif", kTransparentFile));
    animation->PaintGif(1);
    loadGif(writeGif("three.gif", kThreeFrames));  // the old canvas and frames are released
    EXPECT_EQ(gdi.objectCounts().bitmaps, 1) << "the canvas; the frames are kept apart";
    animation.reset();
    const GdiObjectCounts counts = gdi.objectCounts();
    EXPECT_EQ(counts.bitmaps, 0);
    EXPECT_EQ(counts.brushes, 0);
    EXPECT_EQ(counts.deviceContexts, 1) << "only the control's own DC";
}

// Three 64 x 32 frames of the four primaries in diagonal stripes, each shifted by one.
Bytes stripesFile() {
    Bytes file = join({header(), screen(64, 32, 0x81), kPrimaries});
    for (int k = 0; k < 3; ++k) {
        std::vector<int> indexes;
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 64; ++x) {
                indexes.push_back((x + y + k) % 4);
            }
        }
        file = join({file, descriptor(0, 0, 64, 32), imageData(2, indexes)});
    }
    return join({file, kTrailer});
}

TEST_F(GifAnimationTest, TheFrameStoreKeepsTheDecodedPixelsAtAByteAPixel) {
    std::vector<Image> decoded;
    animation->setPictureLoader([&](const std::string& path) {
        Picture picture = LoadPicture(path);
        decoded.push_back(picture.fullImage());
        return picture;
    });
    loadGif(writeGif("stripes.gif", stripesFile()));
    ASSERT_EQ(animation->frames().size(), 3u);
    ASSERT_EQ(decoded.size(), 3u);
    for (std::size_t k = 0; k < 3; ++k) {
        SCOPED_TRACE("frame " + std::to_string(k));
        const GifFrame& frame = animation->frames()[k];
        EXPECT_TRUE(frame.isIndexed());
        Image kept = frame.toImage();
        for (std::uint32_t& pixel : decoded[k].pixels) {
            pixel |= 0xFF000000u;  // as a colour bitmap holds them
        }
        EXPECT_EQ(kept.width, 64);
        EXPECT_EQ(kept.height, 32);
        EXPECT_TRUE(kept.pixels == decoded[k].pixels);
    }
    // 3 x 64 x 32 indices and three lists of four colours, not four bytes a pixel.
    EXPECT_EQ(animation->frameStoreBytes(), 3u * 64 * 32 + 3 * 4 * 4);

    // A loader whose picture has more colours than an index can name: kept whole, drawn as is.
    Image manyColours(64, 32);
    for (std::size_t i = 0; i < manyColours.pixels.size(); ++i) {
        manyColours.pixels[i] = 0xFF000000u | static_cast<std::uint32_t>(i * 2053u);
    }
    animation->setPictureLoader([&](const std::string&) { return Picture(manyColours); });
    loadGif(writeGif("stripes.gif", stripesFile()));
    EXPECT_FALSE(animation->frames()[0].isIndexed());
    EXPECT_EQ(animation->frameStoreBytes(), 3u * 64 * 32 * 4);
    expectCanvasOnSurface(64, 32,
                          [&](int x, int y) { return colorrefFromPixel(manyColours.pixel(x, y)); });
}

// A 100 x 100 red screen; a 20 x 20 green frame at (10, 10) drawn over it; a 20 x 20 blue frame
// at (30, 30) that first clears the canvas.
const Bytes kLargerThanTheScreen = join({
    header(),
    screen(100, 100, 0x81),
    kPrimaries,
    descriptor(0, 0, 100, 100),
    imageData(2, std::vector<int>(10000, 0)),
    descriptor(10, 10, 20, 20),
    imageData(2, std::vector<int>(400, 1)),
    graphicControl(2, false, 0, 0),
    descriptor(30, 30, 20, 20),
    imageData(2, std::vector<int>(400, 2)),
    kTrailer,
});

TEST_F(GifAnimationTest, AGifLargerThanTheScreenKeepsAndPlaysItsVisiblePart) {
    host.screenWidth = 24;
    host.screenHeight = 16;
    loadGif(writeGif("large.gif", kLargerThanTheScreen));
    EXPECT_EQ(animation->canvasWidth(), 24);
    EXPECT_EQ(animation->canvasHeight(), 16);
    EXPECT_EQ(gdi.bitmapInfo(animation->canvasBitmap())->width, 24);
    EXPECT_EQ(gdi.bitmapInfo(animation->canvasBitmap())->height, 16);
    ASSERT_EQ(animation->frames().size(), 3u);
    const std::pair<int, int> kept[] = {{24, 16}, {14, 6}, {0, 0}};
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(animation->frames()[k].width(), kept[k].first) << k;
        EXPECT_EQ(animation->frames()[k].height(), kept[k].second) << k;
    }
    EXPECT_TRUE(animation->hasFrames());
    EXPECT_EQ(animation->frameStoreBytes(), 24u * 16 + 14 * 6 + 2 * 4);

    auto onCanvas = [](int x, int y, COLORREF colour) {
        return x < 24 && y < 16 ? colour : kMagenta;
    };
    animation->PaintGif(1);
    expectSurface([&](int x, int y) { return onCanvas(x, y, x >= 10 && y >= 10 ? kGreen : kRed); });
    animation->PaintGif(2);  // nothing of it is visible; its disposal still clears the canvas
    expectSurface([&](int x, int y) { return onCanvas(x, y, kBackground); });
}

TEST_F(GifAnimationTest, AProcessKilledDuringALoadLeavesNoFrameFile) {
    const std::string path = writeGif("three.gif", kThreeFrames);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The child loads until the loader has the first frame file, says so and waits to be
        // killed; it never returns into the test.
        ::close(ready[0]);
        animation->setPictureLoader([&](const std::string&) -> Picture {
            const char byte = 1;
            if (::write(ready[1], &byte, 1) != 1) {
                ::_exit(3);
            }
            for (;;) {
                ::pause();
            }
        });
        animation->setStrGifFileName(path);
        try {
            animation->ReadGifFrames();
        } catch (const Error&) {
            ::_exit(2);
        }
        ::_exit(1);
    }
    ::close(ready[1]);
    char byte = 0;
    const ssize_t got = ::read(ready[0], &byte, 1);
    ::close(ready[0]);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_EQ(got, 1) << "the child reached no frame file";
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    EXPECT_TRUE(tmpFolder.entries().empty()) << *tmpFolder.entries().begin();
}

}  // namespace
}  // namespace plivora

namespace plivora {
namespace {

// A picture that says it is far larger than any frame may be, without pixels to show for it.
class ClaimedSizeSource : public PictureSource {
public:
    int width() const override { return 20000; }
    int height() const override { return 20000; }
    const Image& fullImage() override { return m_image; }
    const Image& imageForSize(int, int) override { return m_image; }

private:
    Image m_image;
};

TEST_F(GifAnimationTest, ADecodedFrameLargerThanTheWalkReadIsRefusedAndItsFileDeleted) {
    animation->setPictureLoader(
        [](const std::string&) { return Picture(std::make_shared<ClaimedSizeSource>()); });
    animation->setStrGifFileName(writeGif("three.gif", kThreeFrames));
    try {
        animation->ReadGifFrames();
        ADD_FAILURE() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), ErrorNumber::OutOfMemory);
    }
    EXPECT_TRUE(tmpFolder.entries().empty());
}

}  // namespace
}  // namespace plivora
