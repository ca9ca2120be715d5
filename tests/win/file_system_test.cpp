#include <dirent.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/temp_folder.h"
#include "win/file_system.h"

namespace plivora {
namespace {

// Entries whose type the folder itself does not tell: only these may cost a file-status call.
std::uint64_t entriesWithoutType(const std::string& folder) {
    std::uint64_t count = 0;
    DIR* dir = ::opendir(folder.c_str());
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.' && (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK)) {
            ++count;
        }
    }
    ::closedir(dir);
    return count;
}

TEST(FolderListing, TakesEachEntrysTypeFromTheFolderAndFollowsLinks) {
    const TempFolder folder;
    const std::string root = folder.path();
    for (int i = 0; i < 500; ++i) {
        std::ofstream(root + "/p" + std::to_string(i) + ".jpg") << "x";
    }
    std::ofstream(root + "/notes.txt") << "x";
    std::ofstream(root + "/.hidden.jpg") << "x";
    std::filesystem::create_directory(root + "/Sub");
    std::filesystem::create_directory(root + "/folder.jpg");
    std::filesystem::create_symlink(root + "/p1.jpg", root + "/link.jpg");
    std::filesystem::create_symlink(root + "/Sub", root + "/linked");
    std::filesystem::create_symlink(root + "/gone.jpg", root + "/dangling.jpg");

    const std::uint64_t before = listingStatusCalls();
    const std::vector<std::string> files = listFiles(root, "*.JPG");
    const std::vector<std::string> folders = listSubfolders(root);
    const std::uint64_t calls = listingStatusCalls() - before;

    EXPECT_EQ(files.size(), 501u);  // 500 pictures and the link to one
    EXPECT_EQ(files.front(), "link.jpg");
    EXPECT_EQ(folders, (std::vector<std::string>{"folder.jpg", "linked", "Sub"}));
    // Links are looked at by both listings (the file list only when the name matches).
    EXPECT_LE(calls, 2 * entriesWithoutType(root));
}

TEST(FileSystem, NamesSortLikeAFileListAndPatternsIgnoreCase) {
    std::vector<std::string> names = {"b.gif", "B.gif", "a.GIF", "_x.gif", "A2.jpg", "a10.jpg"};
    std::sort(names.begin(), names.end(), lessCaseInsensitive);
    EXPECT_EQ(names,
              (std::vector<std::string>{"_x.gif", "a.GIF", "a10.jpg", "A2.jpg", "B.gif", "b.gif"}));
    const std::string pattern = "*.gif;*.jpeg;*.jpg;*.bmp;*.ico;*.cur";
    EXPECT_TRUE(matchesPattern("X.JPEG", pattern));
    EXPECT_TRUE(matchesPattern("c.Cur", pattern));
    EXPECT_FALSE(matchesPattern("x.png", pattern));
    EXPECT_FALSE(matchesPattern("x.gif.txt", pattern));
    EXPECT_EQ(normalizeFolder("/a//b/./c/"), "/a/b/c");
    EXPECT_EQ(normalizeFolder("/"), "/");
    EXPECT_EQ(normalizeFolder("/a/b/.."), "/a");
}

TEST(SettingsFolder, AWritableProgramFolderKeepsTheFileBesideTheProgram) {
    const TempFolder folder;
    const std::string root = folder.path();
    EXPECT_EQ(settingsFolderFor(root), root);
    // A folder the program cannot write to sends the file to the user's configuration folder.
    ::setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    EXPECT_EQ(settingsFolderFor(root + "/no-such-folder"), root + "/config/plivora");
    EXPECT_TRUE(std::filesystem::is_directory(root + "/config/plivora"));
    // An installed program's folder never holds the file, even for a user who may write there.
    EXPECT_EQ(settingsFolderFor("/usr/bin"), root + "/config/plivora");
    ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace plivora
