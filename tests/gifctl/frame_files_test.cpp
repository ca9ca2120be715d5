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

TEST(WriteFrameFile, WritesThePartsIntoAPrivateFileNamedForTheFrame) {
    TempFolder tmpFolder{TempFolder::Tmpdir::PointHere};
    const std::uint8_t header[] = {'G', 'I', 'F', '8', '9', 'a'};
    const std::uint8_t closing[] = {0x00, 0x21, 0xF9, 0x3B};
    const std::array<std::span<const std::uint8_t>, 2> parts = {std::span(header),
                                                                std::span(closing)};
    std::string name = writeFrameFile(GetTempPathA(), 3, parts);
    EXPECT_TRUE(std::regex_match(name, std::regex(tmpFolder.path() + "/ 3[0-9A-F]{1,4}\\.GIF")));
    std::ifstream in(name, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(bytes, std::string("GIF89a\0\x21\xF9\x3B", 10));
    struct stat info {};
    ::lstat(name.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(tmpFolder.entries().size(), 1u);
}

}  // namespace
}  // namespace plivora
