#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "forms/dir_list_box.h"
#include "forms/file_list_box.h"
#include "forms/form.h"
#include "headless/headless_host.h"
#include "support/files.h"
#include "support/temp_folder.h"
#include "win/error.h"

namespace plivora {
namespace {

class TestForm : public Form {
public:
    explicit TestForm(Host& host) : Form(host, "TestForm") {}
    FileListBox files{*this, "files"};
    DirListBox folders{*this, "folders"};
};

int errorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const Error& error) {
        return error.number();
    }
    return 0;
}

// The file list's selection lasts while its folder and pattern do: moving to another folder,
// changing the pattern or refreshing re-reads the folder and selects nothing; naming the folder it
// already shows (with or without its trailing '/') changes nothing and raises no PathChange, so a
// handler that drops what it knows about the folder does not run for nothing.
TEST(FileList, TheSelectionLastsUntilTheFolderOrPatternChanges) {
    TempFolder temp;
    const std::string here = temp.path() + "/here";
    const std::string there = temp.path() + "/there";
    std::filesystem::create_directories(here);
    std::filesystem::create_directories(there);
    for (const char* name : {"b.gif", "A.gif", "c.jpg"}) {
        testdata::writeFile(here + "/" + name, "x");
    }
    testdata::writeFile(there + "/d.gif", "x");

    HeadlessHost host;
    TestForm form(host);
    FileListBox& list = form.files;
    int pathChanges = 0;
    int clicks = 0;
    list.PathChange = [&] { ++pathChanges; };
    list.Click = [&] { ++clicks; };
    list.setPattern("*.gif");
    list.setPath(here);
    EXPECT_EQ(pathChanges, 1);
    EXPECT_EQ(list.entries(), (std::vector<std::string>{"A.gif", "b.gif"}));
    list.setListIndex(1);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(list.fileName(), "b.gif");

    for (const std::string& same : {here, here + "/"}) {
        SCOPED_TRACE(same);
        list.setPath(same);
        EXPECT_EQ(pathChanges, 1);
        EXPECT_EQ(list.listIndex(), 1);
    }
    // A folder that is not there leaves the list where it was.
    EXPECT_EQ(errorOf([&] { list.setPath(here + "/gone"); }), ErrorNumber::PathNotFound);
    EXPECT_EQ(list.path(), here);
    EXPECT_EQ(list.listIndex(), 1);

    // Clearing the selection is no click; a position past the last entry is refused.
    list.setListIndex(-1);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(list.fileName(), "");
    EXPECT_EQ(errorOf([&] { list.setListIndex(2); }), ErrorNumber::InvalidProcedureCall);
    EXPECT_EQ(errorOf([&] { list.list(-1); }), ErrorNumber::InvalidPropertyArrayIndex);
    EXPECT_EQ(list.list(2), "");

    list.setListIndex(0);
    testdata::writeFile(here + "/0.gif", "x");
    list.refresh();
    EXPECT_EQ(list.listIndex(), -1);
    EXPECT_EQ(list.entries(), (std::vector<std::string>{"0.gif", "A.gif", "b.gif"}));

    list.setListIndex(0);
    list.setPattern("*.jpg");
    EXPECT_EQ(list.listIndex(), -1);
    EXPECT_EQ(list.entries(), std::vector<std::string>{"c.jpg"});

    list.setListIndex(0);
    list.setPattern("*.gif");
    list.setPath(there);
    EXPECT_EQ(pathChanges, 2);
    EXPECT_EQ(list.listIndex(), -1);
    EXPECT_EQ(list.entries(), std::vector<std::string>{"d.gif"});
}

std::vector<std::string> paths(const DirListBox& list) {
    std::vector<std::string> result;
    for (const DirListBox::Entry& entry : list.entries()) {
        result.push_back(entry.path);
    }
    return result;
}

// The folder list shows one drive's tree: from the root of the drive that holds the folder (the
// drive known when the list moves, so a volume mounted meanwhile counts), never above it, and a
// folder whose name only begins with a drive's name is not on that drive.
TEST(FolderList, TheTreeStartsAtTheRootOfTheFoldersOwnDrive) {
    TempFolder temp;
    const std::string stick = temp.path() + "/stick";
    const std::string other = temp.path() + "/stick2";
    std::filesystem::create_directories(stick + "/pics/2024");
    std::filesystem::create_directories(stick + "/pics/old");
    std::filesystem::create_directories(other + "/pics");

    HeadlessHost host;
    host.setDrives({{"/", "/"}});
    TestForm form(host);
    DirListBox& list = form.folders;
    int changes = 0;
    list.Change = [&] { ++changes; };

    // The stick is mounted after the list was made.
    host.setDrives({{"/", "/"}, {stick + "/", "stick"}});
    list.setPath(stick + "/pics");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(paths(list), (std::vector<std::string>{stick, stick + "/pics", stick + "/pics/2024",
                                                     stick + "/pics/old"}));
    ASSERT_EQ(list.entries().size(), 4u);
    EXPECT_EQ(list.entries()[0].text, stick);  // a root shows its whole path
    EXPECT_EQ(list.entries()[1].text, "pics");
    EXPECT_EQ(list.entries()[2].level, 2);
    EXPECT_TRUE(list.entries()[1].open);
    EXPECT_FALSE(list.entries()[2].open);
    EXPECT_EQ(list.currentEntry(), 1);

    list.setPath(other + "/pics");
    ASSERT_FALSE(list.entries().empty());
    EXPECT_EQ(list.entries().front().path, "/");
    EXPECT_EQ(list.entries().front().text, "/");
    EXPECT_EQ(list.entries()[static_cast<std::size_t>(list.currentEntry())].path, other + "/pics");
}

}  // namespace
}  // namespace plivora
