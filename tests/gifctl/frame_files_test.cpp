#include "gifctl/frame_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

#include "support/temp_folder.h"
#include "win/error.h"
#include "win/temp_files.h"

namespace plivora {
namespace {

namespace fs = std::filesystem;

TEST(FrameFilePrefix, IsTheNumberWithALeadingSpaceAndAZeroCharacter) {
    EXPECT_EQ(frameFilePrefix(0), std::string(" 0\0", 3));
    EXPECT_EQ(frameFilePrefix(7), std::string(" 7\0", 3));
    EXPECT_EQ(frameFilePrefix(12), std::string(" 12\0", 4));
    EXPECT_EQ(frameFilePrefix(-1), std::string("-1\0", 3));
}

TEST(MakeTempFileName, GivesAFreeNameWithTheExtensionAndLeavesNoFile) {
    TempFolder tmpFolder{TempFolder::Tmpdir::PointHere};
    std::string name = MakeTempFileName(tmpFolder.path(), frameFilePrefix(12), "GIF");
    EXPECT_TRUE(std::regex_match(name, std::regex(tmpFolder.path() + "/ 12[0-9A-F]{1,4}\\.GIF")))
        << name;
    EXPECT_TRUE(tmpFolder.entries().empty()) << "the unique file is deleted at once";

    std::string kept = MakeTempFileName(tmpFolder.path(), "abc", "");
    EXPECT_TRUE(std::regex_match(kept, std::regex(tmpFolder.path() + "/abc[0-9A-F]{1,4}\\.TMP")));
    EXPECT_TRUE(tmpFolder.entries().empty());
}

TEST(MakeTempFileName, AnEmptyFolderMeansTheCurrentOne) {
    TempFolder dataFolder;
    fs::path previous = fs::current_path();
    fs::current_path(dataFolder.path());
    std::string name = MakeTempFileName("", "p", "GIF");
    fs::current_path(previous);
    EXPECT_EQ(fs::path(name).parent_path(), fs::path(dataFolder.path()));
}

TEST(MakeTempFileName, AFolderWithoutRoomForAFileIsAnAccessError) {
    TempFolder tmpFolder{TempFolder::Tmpdir::PointHere};
    try {
        MakeTempFileName(tmpFolder.path() + "/missing", "p", "GIF");
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), ErrorNumber::PathFileAccessError);
    }
}

// Both kinds: the loader reads the parts through the path while the file is open, the file is
// the owner's alone, and the temporary folder never lists it, so nothing there can outlive the
// process.
TEST(FrameFile, WritesThePartsIntoAPrivateFileTheFolderNeverShows) {
    TempFolder tmpFolder{TempFolder::Tmpdir::PointHere};
    const std::uint8_t header[] = {'G', 'I', 'F', '8', '9', 'a'};
    const std::uint8_t closing[] = {0x00, 0x21, 0xF9, 0x3B};
    const std::array<std::span<const std::uint8_t>, 2> parts = {std::span(header),
                                                                std::span(closing)};
    for (FrameFile::Kind kind : {FrameFile::Kind::Unnamed, FrameFile::Kind::Named}) {
        SCOPED_TRACE(kind == FrameFile::Kind::Unnamed ? "unnamed" : "named");
        std::string path;
        {
            const FrameFile file(GetTempPathA(), 3, parts, kind);
            path = file.path();
            EXPECT_TRUE(std::regex_match(path, std::regex("/proc/self/fd/[0-9]+"))) << path;
            for (int read = 0; read < 2; ++read) {  // each open reads from the start
                std::ifstream in(path, std::ios::binary);
                std::string bytes{std::istreambuf_iterator<char>(in),
                                  std::istreambuf_iterator<char>()};
                EXPECT_EQ(bytes, std::string("GIF89a\0\x21\xF9\x3B", 10));
            }
            struct stat info {};
            ASSERT_EQ(::stat(path.c_str(), &info), 0);
            EXPECT_EQ(info.st_mode & 0777, 0600u);
            EXPECT_EQ(info.st_nlink, 0u) << "the file has no name";
            EXPECT_TRUE(tmpFolder.entries().empty());
        }
        EXPECT_FALSE(fs::exists(path)) << "closed with the object";
        try {
            FrameFile(tmpFolder.path() + "/missing", 3, parts, kind);
            ADD_FAILURE() << "no error for a missing folder";
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), ErrorNumber::PathFileAccessError);
        }
    }
}

}  // namespace
}  // namespace plivora
