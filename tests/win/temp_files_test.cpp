#include "win/temp_files.h"
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include "support/files.h"
#include "support/temp_folder.h"
#include "win/error.h"

namespace plivora {
namespace {

namespace fs = std::filesystem;

class TempFilesTest : public ::testing::Test {
protected:
    static unsigned mode(const std::string& path) {
        struct stat info {};
        ::lstat(path.c_str(), &info);
        return info.st_mode & 0777;
    }

    // The tests set TMPDIR as they need; the folder puts back the one they found.
    TempFolder m_temp{TempFolder::Tmpdir::PointHere};
    const std::string m_folder = m_temp.path();
};

TEST_F(TempFilesTest, TempPathComesFromTmpdirAndEndsInASlash) {
    ::setenv("TMPDIR", "/var/scratch", 1);
    EXPECT_EQ(GetTempPathA(), "/var/scratch/");
    ::setenv("TMPDIR", "/var/scratch/", 1);
    EXPECT_EQ(GetTempPathA(), "/var/scratch/");
    ::setenv("TMPDIR", "", 1);
    EXPECT_EQ(GetTempPathA(), "/tmp/");
    ::unsetenv("TMPDIR");
    EXPECT_EQ(GetTempPathA(), "/tmp/");
}

TEST_F(TempFilesTest, TempFileNameCreatesAUniquePrivateEmptyFile) {
    std::string first;
    std::string second;
    unsigned number = GetTempFileNameA(m_folder, std::string("ab\0zz", 5), 0, first);
    ASSERT_NE(number, 0u);
    GetTempFileNameA(m_folder + "/", "abcdef", 0, second);

    EXPECT_TRUE(std::regex_match(first, std::regex(m_folder + "/ab[0-9A-F]{1,4}\\.TMP")))
        << first << ": the prefix stops at its zero character";
    EXPECT_TRUE(std::regex_match(second, std::regex(m_folder + "/abc[0-9A-F]{1,4}\\.TMP")))
        << second << ": at most three prefix characters";
    char hex[8];
    std::snprintf(hex, sizeof hex, "%X", number);
    EXPECT_EQ(first, m_folder + "/ab" + hex + ".TMP");
    EXPECT_NE(first, second);
    for (const std::string& name : {first, second}) {
        EXPECT_TRUE(fs::is_regular_file(name));
        EXPECT_EQ(fs::file_size(name), 0u);
        EXPECT_EQ(mode(name), 0600u);
    }
}

TEST_F(TempFilesTest, TempFileNameWithAGivenNumberOnlyFormsTheName) {
    std::string name;
    EXPECT_EQ(GetTempFileNameA(m_folder, "x", 0x1A2B, name), 0x1A2Bu);
    EXPECT_EQ(name, m_folder + "/x1A2B.TMP");
    EXPECT_FALSE(fs::exists(name));
}

TEST_F(TempFilesTest, TempFileNameFailsInAMissingFolder) {
    std::string name = "unchanged";
    EXPECT_EQ(GetTempFileNameA(m_folder + "/missing", "x", 0, name), 0u);
    EXPECT_EQ(name, "unchanged");
}

TEST_F(TempFilesTest, NewPrivateFileHoldsThePartsInOrder) {
    const std::uint8_t a[] = {'G', 'I', 'F'};
    const std::uint8_t b[] = {0x00, 0x3B};
    const std::array<std::span<const std::uint8_t>, 3> parts = {std::span(a), std::span(b),
                                                                std::span<const std::uint8_t>()};
    std::string path = m_folder + "/frame.GIF";
    writeNewPrivateFile(path, parts);
    EXPECT_EQ(testdata::readFile(path), std::string("GIF\0;", 5));
    EXPECT_EQ(mode(path), 0600u);
}

TEST_F(TempFilesTest, NewPrivateFileNeverReplacesOrFollowsWhatIsThere) {
    const std::uint8_t bytes[] = {'n', 'e', 'w'};
    const std::array<std::span<const std::uint8_t>, 1> parts = {std::span(bytes)};

    std::string existing = m_folder + "/existing";
    std::ofstream(existing) << "old";
    std::string target = m_folder + "/target";
    std::ofstream(target) << "target";
    std::string link = m_folder + "/link";
    fs::create_symlink(target, link);
    std::string dangling = m_folder + "/dangling";
    fs::create_symlink(m_folder + "/nowhere", dangling);

    for (const std::string& path : {existing, link, dangling}) {
        SCOPED_TRACE(path);
        try {
            writeNewPrivateFile(path, parts);
            ADD_FAILURE() << "written";
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), 58);
        }
    }
    EXPECT_EQ(testdata::readFile(existing), "old");
    EXPECT_EQ(testdata::readFile(target), "target");
    EXPECT_FALSE(fs::exists(m_folder + "/nowhere"));

    try {
        writeNewPrivateFile(m_folder + "/missing/file", parts);
        ADD_FAILURE() << "written";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), ErrorNumber::PathFileAccessError);
    }
}

TEST_F(TempFilesTest, DeleteFileRemovesAFileOnce) {
    std::string path = m_folder + "/gone";
    std::ofstream(path) << "x";
    EXPECT_TRUE(deleteFile(path));
    EXPECT_FALSE(fs::exists(path));
    EXPECT_FALSE(deleteFile(path));
}

}  // namespace
}  // namespace plivora
