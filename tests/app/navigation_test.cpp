#include <filesystem>

#include "support/app_fixture.h"
#include "support/other_user.h"
#include "thumbs/form2.h"

namespace plivora {
namespace {

class NavigationTest : public AppTest {
protected:
    void touch(const std::string& path) { writeFile(path, "x"); }
};

TEST_F(NavigationTest, TheFileListShowsOnlyPicturesInCaseInsensitiveOrder) {
    for (const char* name : {"b.GIF", "A.jpg", "c.jpeg", "d.Bmp", "e.ico", "f.cur", "g.png",
                             "h.txt", ".hidden.gif", "gif", "i.gif.bak", "C2.JPG"}) {
        touch(picturesDir + "/" + name);
    }
    std::filesystem::create_directory(picturesDir + "/folder.gif");
    start();
    const std::vector<std::string> expected = {"A.jpg", "b.GIF", "c.jpeg", "C2.JPG",
                                               "d.Bmp", "e.ico", "f.cur"};
    EXPECT_EQ(form1().File1.entries(), expected);
    EXPECT_EQ(program->sCurPath, picturesDir + "/");
    EXPECT_EQ(form1().Dir1.path(), picturesDir);
}

TEST_F(NavigationTest, DoubleClickOpensAFolderAndSingleClickOnlyRereadsTheFiles) {
    std::filesystem::create_directory(picturesDir + "/trip");
    touch(picturesDir + "/trip/sea.gif");
    start();
    Form1& f = form1();
    const auto& entries = f.Dir1.entries();
    int trip = -1;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].text == "trip") {
            trip = static_cast<int>(i);
        }
    }
    ASSERT_GE(trip, 0);

    touch(picturesDir + "/new.gif");
    f.Dir1.clickEntry(trip);
    EXPECT_EQ(f.Dir1.path(), picturesDir);
    EXPECT_EQ(f.File1.entries(), std::vector<std::string>{"new.gif"});

    f.Dir1.doubleClickEntry(trip);
    EXPECT_EQ(f.Dir1.path(), picturesDir + "/trip");
    EXPECT_EQ(f.File1.path(), picturesDir + "/trip");
    EXPECT_EQ(program->sCurPath, picturesDir + "/trip/");
    EXPECT_EQ(f.File1.entries(), std::vector<std::string>{"sea.gif"});
    // A folder change hides the thumbnail window's page buttons.
    EXPECT_FALSE(program->form2().cmdNextPage.isVisible());
    EXPECT_FALSE(program->form2().cmdPrevious.isVisible());
}

// Enter in the folder list opens the selected folder as a double click does, down into a
// subfolder and up to a folder above.
TEST_F(NavigationTest, EnterOpensTheSelectedFolder) {
    std::filesystem::create_directory(picturesDir + "/trip");
    touch(picturesDir + "/trip/sea.gif");
    start();
    Form1& f = form1();
    int opened = 0;
    f.Dir1.DblClick = [&opened] { ++opened; };
    const int trip = static_cast<int>(f.Dir1.entries().size()) - 1;
    ASSERT_EQ(f.Dir1.entries().back().text, "trip");

    f.Dir1.clickEntry(trip);
    f.Dir1.pressEnter();
    EXPECT_EQ(f.Dir1.path(), picturesDir + "/trip");
    EXPECT_EQ(program->sCurPath, picturesDir + "/trip/");
    EXPECT_EQ(f.File1.entries(), std::vector<std::string>{"sea.gif"});

    f.Dir1.clickEntry(f.Dir1.currentEntry() - 1);
    f.Dir1.pressEnter();
    EXPECT_EQ(f.Dir1.path(), picturesDir);
    EXPECT_EQ(program->sCurPath, picturesDir + "/");
    EXPECT_EQ(opened, 2);
}

// A double-click that cannot open its folder leaves the lists where they were and says why.
TEST_F(NavigationTest, AFolderThatVanishedOrCannotBeReadLeavesTheListsAndSaysWhy) {
    std::filesystem::create_directory(picturesDir + "/gone");
    std::filesystem::create_directory(picturesDir + "/locked");
    std::filesystem::permissions(picturesDir + "/locked", std::filesystem::perms::none);
    start();
    Form1& f = form1();
    const auto entryOf = [&f](const std::string& name) {
        const auto& entries = f.Dir1.entries();
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (entries[i].text == name) {
                return static_cast<int>(i);
            }
        }
        ADD_FAILURE() << name << " is not listed";
        return -1;
    };
    const int gone = entryOf("gone");
    std::filesystem::remove(picturesDir + "/gone");
    testdata::OtherUser otherUser(root);
    for (const auto& [name, number] : {std::pair{"gone", 76}, std::pair{"locked", 70}}) {
        SCOPED_TRACE(name);
        f.Dir1.doubleClickEntry(name == std::string("gone") ? gone : entryOf(name));
        EXPECT_EQ(f.Dir1.path(), picturesDir);
        ASSERT_EQ(host.handlerFailures().size(), 1u);
        EXPECT_EQ(host.handlerFailures()[0].number, number);
        host.clearHandlerFailures();
    }

    // Dropped, the unreadable folder is reported in a warning box.
    f.File1.raiseOLEDragDrop(DropData{std::vector<std::string>{picturesDir + "/locked"}});
    EXPECT_EQ(f.Dir1.path(), picturesDir);
    EXPECT_EQ(program->openWarningWindows(), 1);
}

TEST_F(NavigationTest, AnUnreadableDriveShowsTheErrorTextAndKeepsTheFolder) {
    host.setDrives({{"/", "/"}, {"/no-such-drive/", "/no-such-drive"}});
    touch(picturesDir + "/a.gif");
    start();
    Form1& f = form1();
    f.Drive1.setListIndex(1);
    EXPECT_TRUE(f.lblErrorMessage.isVisible());
    EXPECT_EQ(f.lblErrorMessage.caption(), "Error #  68\rDevice unavailable");
    EXPECT_EQ(f.Dir1.path(), picturesDir);
    EXPECT_EQ(f.File1.entries(), std::vector<std::string>{"a.gif"});
    EXPECT_EQ(f.Drive1.listIndex(), 1);  // not set back

    // Choosing a good drive (back at its current folder) does not hide the text.
    f.Drive1.setListIndex(0);
    EXPECT_EQ(f.Dir1.path(), picturesDir);
    EXPECT_TRUE(f.lblErrorMessage.isVisible());
}

// The folder list shows one drive's tree; opening a mount point moves the drive list, and each
// drive comes back at the folder last shown on it.
TEST_F(NavigationTest, TheListsAgreeAboutTheDriveAndEachDriveKeepsItsFolder) {
    const std::string stick = picturesDir + "/stick";
    std::filesystem::create_directories(stick + "/holiday");
    host.setDrives({{"/", "/"}, {stick + "/", "stick"}});
    start();
    Form1& f = form1();
    f.Dir1.setPath(stick);
    EXPECT_EQ(f.Drive1.drive(), stick + "/");
    ASSERT_FALSE(f.Dir1.entries().empty());
    EXPECT_EQ(f.Dir1.entries().front().path, stick);  // never above the volume's root
    f.Dir1.setPath(stick + "/holiday");

    f.Drive1.setListIndex(0);
    EXPECT_EQ(f.Dir1.path(), picturesDir);
    EXPECT_EQ(f.Dir1.entries().front().path, "/");
    f.Drive1.setListIndex(1);
    EXPECT_EQ(f.Dir1.path(), stick + "/holiday");
    EXPECT_EQ(program->sCurPath, stick + "/holiday/");
}

class DropTest : public NavigationTest {
protected:
    void drop(std::vector<std::string> files) {
        form1().File1.raiseOLEDragDrop(DropData{std::move(files)});
    }
};

TEST_F(DropTest, SeveralPicturesAreShownInTurnAndTheLastStays) {
    const std::string other = root + "/other";
    std::filesystem::create_directory(other);
    writeBmp(other + "/one.bmp", 10, 10);
    writeBmp(other + "/two.bmp", 20, 10);
    writeBmp(other + "/three.bmp", 30, 10);
    start();
    drop({other + "/one.bmp", other + "/two.bmp", other + "/three.bmp"});
    Form1& f = form1();
    EXPECT_EQ(f.caption(), other + "/three.bmp");
    EXPECT_EQ(f.lblDimension.caption(), "30 x 10");
    EXPECT_EQ(f.Dir1.path(), other);
    EXPECT_EQ(program->sCurPath, other + "/");
    EXPECT_EQ(f.File1.listIndex(), -1);
    EXPECT_FALSE(f.lblErrorMessage.isVisible());
}

TEST_F(DropTest, AFolderStopsTheDropAndLaterEntriesAreIgnored) {
    const std::string folder = root + "/trip.v2";
    std::filesystem::create_directory(folder);
    writeBmp(root + "/after.bmp", 10, 10);
    start();
    drop({folder, root + "/after.bmp"});
    EXPECT_EQ(form1().Dir1.path(), folder);
    EXPECT_EQ(form1().caption(), "Plivora - Image Viewer");
}

TEST_F(DropTest, AFileWithAFourLetterExtensionIsShown) {
    writeBmp(root + "/photo.jpeg", 12, 8);  // content decides, not the name
    start();
    drop({root + "/photo.jpeg"});
    EXPECT_EQ(form1().caption(), root + "/photo.jpeg");
    EXPECT_EQ(form1().Dir1.path(), root);
}

TEST_F(DropTest, ADriveRootMovesTheListsAndTheDropGoesOn) {
    const std::string drive = root + "/mnt";
    std::filesystem::create_directories(drive + "/pics");
    writeBmp(drive + "/pics/cat.bmp", 16, 16);
    host.setDrives({{"/", "/"}, {drive + "/", drive}});
    start();
    Form1& f = form1();
    ASSERT_EQ(f.Drive1.listIndex(), 0);
    // With or without its trailing '/', a drive's root is a drive root.
    for (const std::string& rootPath : {drive + "/", drive}) {
        SCOPED_TRACE(rootPath);
        f.Drive1.setListIndex(0);
        f.setCaption("");
        drop({rootPath, drive + "/pics/cat.bmp"});
        EXPECT_EQ(f.Drive1.drive(), drive + "/");
        EXPECT_EQ(f.Dir1.path(), drive + "/pics");
        EXPECT_EQ(f.caption(), drive + "/pics/cat.bmp");
    }
}

TEST_F(DropTest, APathOnAnotherFileSystemMovesTheDriveList) {
    const std::string drive = root + "/usb";
    std::filesystem::create_directories(drive + "/pics");
    writeBmp(drive + "/pics/cat.bmp", 16, 16);
    host.setDrives({{"/", "/"}, {drive + "/", drive}});
    start();
    drop({drive + "/pics/cat.bmp"});
    EXPECT_EQ(form1().Drive1.drive(), drive + "/");
    EXPECT_EQ(form1().Dir1.path(), drive + "/pics");
    EXPECT_EQ(form1().File1.listIndex(), -1);
}

TEST_F(DropTest, AnUnloadableFileShowsTheUnidentifiedTextAndStops) {
    writeBmp(root + "/good.bmp", 10, 10);
    writeFile(root + "/bad.gif", "not a picture");
    start();
    Form1& f = form1();
    drop({root + "/good.bmp"});
    const Picture shown = f.imgShow.picture();
    ASSERT_FALSE(shown.isNull());
    drop({root + "/bad.gif", root + "/good.bmp"});
    EXPECT_TRUE(f.lblErrorMessage.isVisible());
    EXPECT_EQ(f.lblErrorMessage.caption(), "Unidentified ''bad.gif''");
    EXPECT_EQ(f.imgShow.picture(), shown);
    EXPECT_EQ(f.caption(), root + "/good.bmp");
}

TEST_F(DropTest, DataWithoutAFileListShowsTheErrorText) {
    start();
    form1().File1.raiseOLEDragDrop(DropData{std::nullopt});
    EXPECT_TRUE(form1().lblErrorMessage.isVisible());
    EXPECT_EQ(form1().lblErrorMessage.caption().rfind("Error #  461\r", 0), 0u);
}

TEST_F(DropTest, AMissingFolderPartShowsTheErrorText) {
    start();
    drop({root + "/nowhere/x.bmp"});
    EXPECT_TRUE(form1().lblErrorMessage.isVisible());
    EXPECT_EQ(form1().lblErrorMessage.caption(), "Unidentified ''x.bmp''");
}

}  // namespace
}  // namespace plivora
