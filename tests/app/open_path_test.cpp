// The file or folder named on the command line: where the lists start and what is shown.
#include <filesystem>

#include "app/form11.h"
#include "support/app_fixture.h"
#include "thumbs/form2.h"

namespace plivora {
namespace {

class OpenPathTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        trip = picturesDir + "/trip";
        std::filesystem::create_directory(trip);
        writeBmp(trip + "/a.bmp", 10, 10);
        writeBmp(trip + "/b.bmp", 30, 20);
    }

    Program& startWith(const std::string& openPath) {
        program = std::make_unique<Program>(
            host, ProgramPaths{picturesDir, appDir, ",", {}, {}, openPath});
        program->start();
        return *program;
    }

    // The text of the one warning window on screen, or "" when there is none.
    std::string warningText() const {
        std::string text;
        for (Form* form : host.liveForms()) {
            if (auto* warning = dynamic_cast<Form11*>(form);
                warning != nullptr && warning->isVisible()) {
                text = warning->Label1.caption();
            }
        }
        return text;
    }

    std::string trip;
};

TEST_F(OpenPathTest, AFolderIsWhereTheListsStart) {
    // Relative to the current folder, with a trailing slash as a shell completes it.
    startWith("trip/");
    Form1& f = form1();
    EXPECT_EQ(f.Dir1.path(), trip);
    EXPECT_EQ(f.File1.path(), trip);
    EXPECT_EQ(program->sCurPath, trip + "/");
    EXPECT_EQ(f.File1.entries(), (std::vector<std::string>{"a.bmp", "b.bmp"}));
    EXPECT_EQ(f.File1.listIndex(), -1);
    EXPECT_EQ(program->openWarningWindows(), 0);
}

TEST_F(OpenPathTest, APictureIsChosenInTheFileListAsAClickChoosesIt) {
    startWith(picturesDir + "/./trip/../trip/b.bmp");
    Form1& f = form1();
    EXPECT_EQ(f.Dir1.path(), trip);
    EXPECT_EQ(f.File1.listIndex(), 1);
    EXPECT_EQ(f.caption(), trip + "/b.bmp");
    EXPECT_EQ(f.lblDimension.caption(), "30 x 20");
    EXPECT_EQ(f.lblRatio.caption(), "100%");
    EXPECT_EQ(program->form2().sSelectedFile, trip + "/b.bmp");
    EXPECT_FALSE(f.lblErrorMessage.isVisible());
}

TEST_F(OpenPathTest, FilesTheListLeavesOutAreShownAsADropShowsThem) {
    writeBmp(trip + "/.hidden.bmp", 40, 12);
    startWith(trip + "/.hidden.bmp");
    EXPECT_EQ(form1().File1.listIndex(), -1);
    EXPECT_EQ(form1().caption(), trip + "/.hidden.bmp");
    EXPECT_EQ(form1().lblDimension.caption(), "40 x 12");
    EXPECT_EQ(form1().Dir1.path(), trip);
    program.reset();

    writeFile(trip + "/notes.txt", "not a picture\n");
    startWith(trip + "/notes.txt");
    EXPECT_TRUE(form1().lblErrorMessage.isVisible());
    EXPECT_EQ(form1().lblErrorMessage.caption(), "Unidentified ''notes.txt''");
    EXPECT_EQ(program->openWarningWindows(), 0);
}

TEST_F(OpenPathTest, APathThatCannotBeOpenedIsReportedAndTheListsStartOnTheCurrentFolder) {
    startWith("missing/photo.jpg");
    EXPECT_EQ(program->openWarningWindows(), 1);
    EXPECT_EQ(warningText(), "Cannot open missing/photo.jpg\rError #  53\rFile not found");
    EXPECT_EQ(form1().Dir1.path(), picturesDir);
    EXPECT_EQ(program->sCurPath, picturesDir + "/");
    EXPECT_TRUE(form1().isVisible());
}

}  // namespace
}  // namespace plivora
