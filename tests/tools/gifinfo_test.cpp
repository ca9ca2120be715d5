// plivora-gifinfo, run as its own process on GIF files written byte by byte.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/files.h"
#include "support/gif_bytes.h"
#include "support/temp_folder.h"

extern char** environ;

namespace plivora {
namespace {

using namespace gif_bytes;

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

using testdata::readFile;

Bytes readBytes(const std::string& path) {
    const std::string s = readFile(path);
    return Bytes(s.begin(), s.end());
}

void writeBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

QJsonObject parse(const std::string& out) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(out), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << out;
    return doc.object();
}

// The GIF the tests inspect, kept in its parts so that the frame files can be assembled from
// them. A 40 x 20 screen with a four-entry global table (black, red, green, blue):
//   frame 0: looping extension, control block (disposal 1, 6 s), the whole screen in red;
//   frame 1: a comment, control block (disposal 2, 0.3 s, entry 0 transparent), 4 x 2 at (4, 2)
//            with a local table: entry 0 (10, 20, 30), entry 1 (200, 100, 50);
//   frame 2: no control block, 2 x 2 at (8, 4) in blue.
struct ThreeFrames {
    Bytes prefix =
        join({header(), screen(40, 20, 0x81), {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255}});
    Bytes frame0 = join({loopingExtension(), graphicControl(1, false, 600, 0),
                         descriptor(0, 0, 40, 20), imageData(2, std::vector<int>(800, 1))});
    Bytes frame1 = join({comment("between"),
                         graphicControl(2, true, 30, 0),
                         descriptor(4, 2, 4, 2, 0x81),
                         {10, 20, 30, 200, 100, 50, 0, 0, 0, 255, 255, 255},
                         imageData(2, {0, 1, 1, 0, 0, 1, 1, 0})});
    Bytes frame2 = join({descriptor(8, 4, 2, 2), imageData(2, {3, 3, 3, 3})});

    Bytes file() const { return join({prefix, frame0, frame1, frame2, kTrailer}); }
    // The single-image file of a frame: the header part, the frame's blocks without the image
    // data's terminator, then 0x00 0x21 0xF9 0x3B.
    Bytes frameFile(const Bytes& frame) const {
        return join({prefix, Bytes(frame.begin(), frame.end() - 1), {0x00, 0x21, 0xF9, 0x3B}});
    }
};

class GifInfoTest : public ::testing::Test {
protected:
    ToolRun run(const std::vector<std::string>& arguments) {
        const std::string outPath = dataFolder.path() + "/stdout";
        const std::string errPath = dataFolder.path() + "/stderr";
        std::vector<std::string> all{PLIVORA_GIFINFO};
        all.insert(all.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& a : all) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        pid_t pid = 0;
        ToolRun result;
        if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
            int status = 0;
            ::waitpid(pid, &status, 0);
            result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        result.out = readFile(outPath);
        result.err = readFile(errPath);
        return result;
    }

    std::string write(const std::string& name, const Bytes& bytes) {
        const std::string path = dataFolder.path() + "/" + name;
        writeBytes(path, bytes);
        return path;
    }

    TempFolder dataFolder;  // the test's own files
    // TMPDIR while the test runs, inherited by the tool; made after the folder above, which lies
    // in the system's one
    TempFolder tmpFolder{TempFolder::Tmpdir::PointHere};
    ThreeFrames gif;
};

TEST_F(GifInfoTest, ReportsTheRecordsTheCanvasAndTheIntervalsOfThreeTicks) {
    const std::string path = write("three.gif", gif.file());
    const ToolRun r = run({"--ticks", "3", path});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const QJsonObject json = parse(r.out);
    EXPECT_EQ(json["strGifFileName"].toString().toStdString(), path);
    EXPECT_EQ(json["NumberofFrames"].toInt(), 2);
    EXPECT_EQ(json["canvas"].toObject()["width"].toInt(), 64);  // 40 rounded up to 32s
    EXPECT_EQ(json["canvas"].toObject()["height"].toInt(), 20);
    EXPECT_TRUE(json["error"].isNull());

    struct Record {
        int left, top, width, height, delay, disposal;
        bool transparent;
        int transparentIndex;
        bool localTable;
        std::string key;  // "" for null
    };
    const Record expected[] = {{0, 0, 40, 20, 600, 1, false, 0, false, ""},
                               {4, 2, 4, 2, 30, 2, true, 0, true, "0A141E"},
                               {8, 4, 2, 2, 0, 0, false, 0, false, ""}};
    const QJsonArray records = json["records"].toArray();
    ASSERT_EQ(records.size(), 3);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const QJsonObject got = records[i].toObject();
        const Record& e = expected[i];
        EXPECT_EQ(got["left"].toInt(), e.left);
        EXPECT_EQ(got["top"].toInt(), e.top);
        EXPECT_EQ(got["width"].toInt(), e.width);
        EXPECT_EQ(got["height"].toInt(), e.height);
        EXPECT_EQ(got["delay"].toInt(), e.delay);
        EXPECT_EQ(got["disposal"].toInt(), e.disposal);
        EXPECT_EQ(got["transparent"].toBool(), e.transparent);
        EXPECT_EQ(got["transparentIndex"].toInt(), e.transparentIndex);
        EXPECT_EQ(got["localTable"].toBool(), e.localTable);
        EXPECT_EQ(got["key"].toString().toStdString(), e.key);
    }
    // 250 after StartTimer; each tick then waits for the frame it will draw next: frame 1
    // (30 cs + the user delay of 1 ms), frame 2 (no control block: 0, raised to 10 ms), then
    // frame 0 again (600 cs, five seconds or more: 100 ms + 1).
    EXPECT_EQ(json["intervals"].toArray(), (QJsonArray{250, 301, 10, 101}));
    EXPECT_TRUE(tmpFolder.entries().empty());
}

TEST_F(GifInfoTest, WritesTheDecodedFramesAndTheCanvasAfterEveryTick) {
    const std::string path = write("three.gif", gif.file());
    const std::string out = dataFolder.path() + "/png";
    const ToolRun r = run({"--back", "102030", "--ticks", "3", "--out", out, path});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto rgb = [&](const std::string& name, int x, int y) {
        const QImage image(QString::fromStdString(out + "/" + name));
        EXPECT_FALSE(image.isNull()) << name;
        return image.isNull() ? 0u : image.pixel(x, y) & 0xFFFFFFu;
    };
    const QImage frame1(QString::fromStdString(out + "/frame_001.png"));
    EXPECT_EQ(frame1.size(), QSize(4, 2));
    EXPECT_FALSE(frame1.hasAlphaChannel());
    EXPECT_EQ(rgb("frame_001.png", 0, 0), 0x0A141Eu);  // the transparent entry's own colour
    EXPECT_EQ(rgb("frame_001.png", 1, 0), 0xC86432u);
    EXPECT_EQ(QImage(QString::fromStdString(out + "/canvas_000.png")).size(), QSize(64, 20));

    const std::uint32_t back = 0x102030, red = 0xFF0000, blue = 0x0000FF, brown = 0xC86432;
    struct Probe {
        const char* canvas;
        int x, y;
        std::uint32_t colour;
    };
    const Probe probes[] = {
        {"canvas_000.png", 0, 0, red},    // frame 0 drawn by the load
        {"canvas_000.png", 50, 0, back},  // the canvas beyond the screen width
        {"canvas_001.png", 4, 2, red},    // tick 1 draws frame 0
        {"canvas_002.png", 4, 2, back},   // frame 1 clears first, its key pixel shows that
        {"canvas_002.png", 5, 2, brown}, {"canvas_002.png", 0, 0, back},
        {"canvas_003.png", 8, 4, blue},  // frame 2 over what frame 1 left
        {"canvas_003.png", 5, 3, brown},
    };
    for (const Probe& p : probes) {
        SCOPED_TRACE(std::string(p.canvas) + " " + std::to_string(p.x) + "," + std::to_string(p.y));
        EXPECT_EQ(rgb(p.canvas, p.x, p.y), p.colour);
    }
    EXPECT_FALSE(std::filesystem::exists(out + "/canvas_004.png"));
}

TEST_F(GifInfoTest, ShowsTheRecolouredKeyAndTheOpaqueFramesOwnColours) {
    // Global table white, white, red, black. Frame 0 draws entry 0 as an opaque white; frame 1
    // keys on entry 0, whose colour entry 1 shares, so its file alone gets a navy entry 0.
    const Bytes file = join({header(),
                             screen(4, 1, 0x81),
                             {255, 255, 255, 255, 255, 255, 255, 0, 0, 0, 0, 0},
                             descriptor(0, 0, 4, 1),
                             imageData(2, {0, 0, 2, 3}),
                             graphicControl(1, true, 0, 0),
                             descriptor(0, 0, 4, 1),
                             imageData(2, {0, 1, 1, 0}),
                             kTrailer});
    const std::string out = dataFolder.path() + "/png";
    const ToolRun r = run({"--out", out, write("shared.gif", file)});
    ASSERT_EQ(r.status, 0) << r.err;
    const QJsonArray records = parse(r.out)["records"].toArray();
    ASSERT_EQ(records.size(), 2);
    EXPECT_TRUE(records[0].toObject()["key"].isNull());
    EXPECT_EQ(records[1].toObject()["key"].toString(), QStringLiteral("000080"));
    const QImage frame0(QString::fromStdString(out + "/frame_000.png"));
    ASSERT_FALSE(frame0.isNull());
    EXPECT_EQ(frame0.pixel(0, 0), qRgb(255, 255, 255)) << "not the navy of frame 1's key";
    const QImage frame1(QString::fromStdString(out + "/frame_001.png"));
    EXPECT_EQ(frame1.pixel(0, 0), qRgb(0, 0, 128));
    EXPECT_EQ(frame1.pixel(1, 0), qRgb(255, 255, 255));
}

TEST_F(GifInfoTest, CopiesEachFrameFileAsTheControlWroteIt) {
    const std::string path = write("three.gif", gif.file());
    const std::string frames = dataFolder.path() + "/frames";
    const ToolRun r = run({"--frame-files", frames, path});
    ASSERT_EQ(r.status, 0) << r.err;
    // The looping extension goes with frame 0 only, the comment with the frame after it.
    EXPECT_EQ(readBytes(frames + "/frame_000.gif"), gif.frameFile(gif.frame0));
    EXPECT_EQ(readBytes(frames + "/frame_001.gif"), gif.frameFile(gif.frame1));
    EXPECT_EQ(readBytes(frames + "/frame_002.gif"), gif.frameFile(gif.frame2));
    EXPECT_FALSE(std::filesystem::exists(frames + "/frame_003.gif"));
    EXPECT_TRUE(tmpFolder.entries().empty());
}

TEST_F(GifInfoTest, AFailedLoadIsReportedInTheJsonWithExitStatusZero) {
    Bytes truncated = gif.file();
    truncated.resize(truncated.size() - 3);               // inside the last image's data
    constexpr std::uintmax_t kHuge = 300u * 1024 * 1024;  // sparse, past the 256 MB GIF cap
    struct Case {
        const char* name;
        Bytes bytes;
        std::uintmax_t size;  // the file is extended to this size when larger
        int error;            // 0: no error
        const char* description;
    };
    const Case cases[] = {
        {"truncated.gif", truncated, 0, 9, "Subscript out of range"},
        {"empty.gif", {}, 0, 9, "Subscript out of range"},
        {"huge.gif", header(), kHuge, 7, "Out of memory"},
        {"photo.jpg", join({{0xFF, 0xD8, 0xFF, 0xE0}, text("JFIF not a gif")}), 0, 0, ""},
        {"notes.txt", text("GIF is a picture format"), 0, 0, ""},
        // Only the signature of a file that is no GIF is read, however large the file.
        {"huge.bmp", text("BM"), kHuge, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = write(c.name, c.bytes);
        if (c.size > c.bytes.size()) {
            std::filesystem::resize_file(path, c.size);
        }
        const ToolRun r = run({"--ticks", "2", path});
        EXPECT_EQ(r.status, 0);
        const QJsonObject json = parse(r.out);
        EXPECT_EQ(json["strGifFileName"].toString().toStdString(), c.error ? path : "");
        EXPECT_EQ(json["records"].toArray().size(), 0);
        if (c.error) {
            EXPECT_EQ(json["error"].toObject()["number"].toInt(), c.error);
            EXPECT_EQ(json["error"].toObject()["description"].toString(), c.description);
        } else {
            EXPECT_TRUE(json["error"].isNull());
            // Without a file the timer does not start and no tick comes.
            EXPECT_EQ(json["intervals"].toArray(), QJsonArray{0});
            EXPECT_EQ(r.err, "warning: No animated gif file is selected.\n");
        }
        std::filesystem::remove(path);
    }
    EXPECT_TRUE(tmpFolder.entries().empty());
}

TEST_F(GifInfoTest, FileNamesAreEscapedIntoValidJson) {
    // A missing file keeps its name, so the name comes back in the JSON.
    const std::string name = dataFolder.path() +
                             "/a\"b\\c\nd\te\x01"
                             "f\xC3\xA9g\xFFh\xE2\x82.gif";
    const ToolRun r = run({name});
    ASSERT_EQ(r.status, 0);
    const QJsonObject json = parse(r.out);
    const QString expected = QString::fromStdString(dataFolder.path()) +
                             QStringLiteral(u"/a\"b\\c\nd\te\u0001f\u00e9g\u00ffh\u00e2\u0082.gif");
    EXPECT_EQ(json["strGifFileName"].toString(), expected);
    EXPECT_EQ(json["error"].toObject()["number"].toInt(), 53);
    EXPECT_NE(r.out.find(R"(\u00ffh\u00e2\u0082.gif)"), std::string::npos) << r.out;
}

TEST_F(GifInfoTest, BadUsageExitsWithTwoAndTheUsage) {
    const std::string path = write("three.gif", gif.file());
    const std::vector<std::vector<std::string>> calls = {
        {},
        {path, path},
        {"--ticks", "-1", path},
        {"--ticks", "lots", path},
        {"--ticks", "100001", path},
        {"--back", "GGGGGG", path},
        {"--back", "12345", path},
        {path, "--out"},
        {"--verbose", path},
    };
    for (const auto& call : calls) {
        SCOPED_TRACE(testing::PrintToString(call));
        const ToolRun r = run(call);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("usage: plivora-gifinfo"), std::string::npos);
    }
    // An output folder that cannot be made is a failure of the tool, not of the file.
    const ToolRun blocked = run({"--out", path, path});
    EXPECT_EQ(blocked.status, 1);
    EXPECT_NE(blocked.err.find("cannot make the folder"), std::string::npos);
}

}  // namespace
}  // namespace plivora
