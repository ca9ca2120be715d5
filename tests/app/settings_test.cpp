#include <filesystem>
#include <random>

#include <unistd.h>

#include "app/settings_record.h"
#include "support/app_fixture.h"
#include "support/other_user.h"

namespace plivora {
namespace {

std::string record(const std::string& section, std::int32_t top, std::int32_t left,
                   const std::string& value, bool zeroValue = false) {
    SettingsRecord r;
    r.setSection(section);
    r.top = top;
    r.left = left;
    if (!zeroValue) {
        r.setValue(value);
    }
    const auto bytes = r.toBytes();
    return std::string(bytes.begin(), bytes.end());
}

std::string int32Bytes(std::int32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) {
        s[static_cast<std::size_t>(i)] =
            static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF);
    }
    return s;
}

using SettingsFileTest = AppTest;

TEST_F(SettingsFileTest, FirstStartCreatesAnEmptyFileAndANormalCloseWritesRecordTwo) {
    start();
    ASSERT_TRUE(std::filesystem::exists(settingsPath()));
    EXPECT_EQ(std::filesystem::file_size(settingsPath()), 0u);

    form1().move(1500, 1200, form1().width(), form1().height());
    EXPECT_TRUE(form1().unload(Form::kFormControlMenu));
    EXPECT_TRUE(host.quitRequested());

    const std::string bytes = readFile(settingsPath());
    ASSERT_EQ(bytes.size(), 110u);
    EXPECT_EQ(bytes.substr(0, 55), std::string(55, '\0'));
    const std::string expected = "[Form1Pos]" + std::string(7, ' ') + int32Bytes(1200) +
                                 int32Bytes(1500) + std::string(30, '\0');
    EXPECT_EQ(bytes.substr(55), expected);
}

TEST_F(SettingsFileTest, ArrangementRecordIsLaidOutByteForByte) {
    start();
    form1().writeShapeRecord();
    EXPECT_EQ(readFile(settingsPath()), "[Shape]" + std::string(10, ' ') + std::string(8, '\0') +
                                            "Horizontal" + std::string(20, ' '));
    form1().cmdShape.raiseClick();
    form1().cmdShape.raiseMouseUp(MouseButton::Right, 0, -50, -50);
    EXPECT_EQ(readFile(settingsPath()), "[Shape]" + std::string(10, ' ') + std::string(8, '\0') +
                                            "Vertical" + std::string(22, ' '));
}

// A stored position whose title bar is out of reach of the work area (stored on a monitor since
// unplugged) is moved just inside it; one that leaves the title bar reachable is applied as it
// is, and so is the way back from a vertical start.
TEST_F(SettingsFileTest, AStoredPositionOutOfReachIsMovedInAndAReachableOneKept) {
    host.setScreen({0, 0, 1280, 800}, {0, 30, 1280, 770});
    host.setOtherWorkAreas({{1280, 0, 2560, 1024}});
    struct Case {
        const char* what;
        const char* shape;
        std::int32_t top;
        std::int32_t left;
        bool kept;
    };
    const Case cases[] = {
        {"far off", "Horizontal", -90000, 250000, false},
        {"far off, vertical", "Vertical", -90000, 250000, false},
        {"partly off, title bar reachable", "Horizontal", 9000, 17000, true},
        {"on the second screen", "Horizontal", 9000, 22500, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeFile(settingsPath(),
                  record("[Shape]", 0, 0, c.shape) + record("[Form1Pos]", c.top, c.left, "", true));
        start();
        Form1& f = form1();
        if (c.kept) {
            EXPECT_EQ(f.top(), static_cast<float>(c.top));
            EXPECT_EQ(f.left(), static_cast<float>(c.left));
        } else {
            EXPECT_EQ(f.top(), 30 * 15.0f) << "just below the work area's top";
            // Flush with its right edge, to the pixel.
            EXPECT_NEAR(f.left() + f.width(), 1280 * 15.0f, 15.0f);
        }
        if (f.blVertical != kFalse) {
            const float left = f.left();
            f.cmdShape.raiseClick();
            EXPECT_EQ(f.top(), 30 * 15.0f) << "the way back keeps the place it was moved to";
            EXPECT_EQ(f.left(), left);
        }
        program.reset();
    }
}

TEST_F(SettingsFileTest, ClosingMinimizedOrMaximizedKeepsTheOldPosition) {
    for (WindowState state : {WindowState::Minimized, WindowState::Maximized}) {
        SCOPED_TRACE(static_cast<int>(state));
        const std::string old = std::string(55, '\0') + record("[Form1Pos]", 700, 800, "", true);
        writeFile(settingsPath(), old);
        start();
        form1().move(3000, 3000, form1().width(), form1().height());
        form1().setWindowState(state);
        form1().unload(Form::kFormControlMenu);
        EXPECT_EQ(readFile(settingsPath()), old);
        program.reset();
    }
}

TEST_F(SettingsFileTest, FractionalTwipsAreStoredRoundedHalfToEven) {
    start();
    form1().move(100.5f, 101.5f, form1().width(), form1().height());
    form1().unload(Form::kFormControlMenu);
    const std::string bytes = readFile(settingsPath());
    ASSERT_EQ(bytes.size(), 110u);
    EXPECT_EQ(bytes.substr(55 + 17, 4), int32Bytes(102));  // top 101.5
    EXPECT_EQ(bytes.substr(55 + 21, 4), int32Bytes(100));  // left 100.5
}

TEST_F(SettingsFileTest, OnlyTheExactTrimmedWordVerticalOpensVertically) {
    struct Case {
        std::string section;
        std::string value;
        bool vertical;
    };
    const Case cases[] = {
        {"[Shape]", "Vertical", true},    {"   [Shape]", "   Vertical", true},
        {"[Shape]", "vertical", false},   {"[shape]", "Vertical", false},
        {"[Shape]", "Horizontal", false}, {"[Shape]", "Vertical\t", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.section + "|" + c.value);
        writeFile(settingsPath(), record(c.section, 0, 0, c.value));
        start();
        EXPECT_EQ(form1().blVertical != kFalse, c.vertical);
        EXPECT_EQ(form1().scaleWidth() == 3300.0f, c.vertical);
        program.reset();
    }
}

// The way back from a vertical start keeps the stored position, and the next close keeps it too.
TEST_F(SettingsFileTest, VerticalStartKeepsTheStoredPosition) {
    writeFile(settingsPath(),
              record("[Shape]", 0, 0, "Vertical") + record("[Form1Pos]", 600, 900, "", true));
    start();
    EXPECT_EQ(form1().top(), 600.0f);
    EXPECT_EQ(form1().left(), 900.0f);
    EXPECT_EQ(form1().width(), 3396.0f);
    form1().cmdShape.raiseClick();  // back to the designed arrangement
    EXPECT_EQ(form1().blVertical, kFalse);
    EXPECT_EQ(form1().top(), 600.0f);
    EXPECT_EQ(form1().left(), 900.0f);
    EXPECT_EQ(form1().clientWidthTwips(), 5928.0f);
    EXPECT_EQ(form1().File1.left(), 2640.0f);
    form1().unload(Form::kFormControlMenu);
    const std::string bytes = readFile(settingsPath());
    EXPECT_EQ(bytes.substr(55, 25), record("[Form1Pos]", 600, 900, "", true).substr(0, 25));
}

// Without a stored position the window stands at the top right of the work area, in either
// arrangement.
TEST_F(SettingsFileTest, FirstStartPlacesTheWindowAtTheTopRightOfTheWorkArea) {
    host.setScreen({0, 0, 1280, 800}, {0, 30, 1280, 770});
    for (const bool vertical : {false, true}) {
        SCOPED_TRACE(vertical);
        std::filesystem::remove(settingsPath());
        if (vertical) {
            writeFile(settingsPath(), record("[Shape]", 0, 0, "Vertical"));
        }
        start();
        const float right = (1280 - Form1::kStartMarginPixels) * 15.0f;
        EXPECT_EQ(form1().left() + form1().width(), right);
        EXPECT_EQ(form1().top(), (30 + Form1::kStartMarginPixels) * 15.0f);
        if (vertical) {
            form1().cmdShape.raiseClick();
            EXPECT_EQ(form1().left() + form1().width(), right);
            EXPECT_EQ(form1().top(), (30 + Form1::kStartMarginPixels) * 15.0f);
        }
        program.reset();
    }
}

TEST_F(SettingsFileTest, HostileSettingsFilesNeverStopTheStart) {
    std::mt19937 random(7);
    std::string noise(1 << 20, '\0');
    for (char& c : noise) {
        c = static_cast<char>(random());
    }
    const std::string contents[] = {
        "", "abc", std::string(54, 'x'), noise,
        record("[Form1Pos]", 1, 2, "x") + record("[Shape]", 0, 0, "Vertical")};
    for (const std::string& content : contents) {
        SCOPED_TRACE(content.size());
        writeFile(settingsPath(), content);
        start();
        EXPECT_TRUE(form1().isVisible());
        EXPECT_EQ(form1().blVertical, kFalse);
        form1().unload(Form::kFormControlMenu);
        // Only record 2 was rewritten; nothing beyond it was touched.
        const std::string after = readFile(settingsPath());
        EXPECT_EQ(after.size(), std::max<std::size_t>(content.size(), 110));
        if (content.size() > 110) {
            EXPECT_EQ(after.substr(110), content.substr(110));
        }
        program.reset();
    }
}

TEST_F(SettingsFileTest, UnwritablePlacesAreSkippedSilently) {
    // A folder where the settings file should be.
    std::filesystem::create_directory(settingsPath());
    start();
    EXPECT_TRUE(form1().isVisible());
    form1().unload(Form::kFormControlMenu);
    EXPECT_TRUE(std::filesystem::is_directory(settingsPath()));
    program.reset();
    std::filesystem::remove(settingsPath());

    if (::geteuid() != 0) {  // root writes through permissions
        std::filesystem::permissions(
            appDir, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        start();
        EXPECT_TRUE(form1().isVisible());
        form1().unload(Form::kFormControlMenu);
        EXPECT_FALSE(std::filesystem::exists(settingsPath()));
    }
}

TEST_F(SettingsFileTest, AFileThatMayBeReadButNotWrittenIsReadAndLeftUnchanged) {
    const std::string stored =
        record("[Shape]", 0, 0, "Vertical") + record("[Form1Pos]", 1800, 2400, "", true);
    writeFile(settingsPath(), stored);
    std::filesystem::permissions(settingsPath(), std::filesystem::perms::owner_read |
                                                     std::filesystem::perms::group_read |
                                                     std::filesystem::perms::others_read);
    testdata::OtherUser otherUser(root);
    start();
    EXPECT_EQ(form1().blVertical, kTrue);
    EXPECT_EQ(form1().top(), 1800.0f);
    EXPECT_EQ(form1().left(), 2400.0f);
    form1().cmdShape.raiseMouseUp(MouseButton::Left, 0, 0, 0);
    form1().unload(Form::kFormControlMenu);
    program.reset();
    EXPECT_EQ(readFile(settingsPath()), stored);
}

}  // namespace
}  // namespace plivora

namespace plivora {
namespace {

TEST_F(SettingsFileTest, AnOwnSettingsFolderTakesTheFile) {
    const std::string elsewhere = root + "/config";
    std::filesystem::create_directories(elsewhere);
    program = std::make_unique<Program>(host, ProgramPaths{picturesDir, appDir, ",", elsewhere});
    program->start();
    form1().unload(Form::kFormControlMenu);
    EXPECT_EQ(std::filesystem::file_size(elsewhere + "/qeliv.ini"), 110u);
    EXPECT_FALSE(std::filesystem::exists(settingsPath()));
}

}  // namespace
}  // namespace plivora
