#include <filesystem>

#include "app/number_format.h"
#include "app_fixture.h"
#include "thumbs/form2.h"

namespace plivora {
namespace {

// Choices that arrive while an earlier picture is still being shown: the animation control's
// load lets events run, which is where a held arrow key or a second click comes in.
class QuickChoicesTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        for (int i = 0; i < kFiles; ++i) {
            // Each file has its own size, so labels from two files cannot agree by chance.
            writeBmp(picturesDir + "/p" + std::to_string(10 + i) + ".bmp", 10 + i, 20 + i);
        }
    }

    void expectShowing(int i) {
        // Appended rather than "p" + std::to_string(...): GCC 12 at -O3 takes the literal's
        // insert for an overlapping copy (-Wrestrict).
        const std::string name = std::string("p").append(std::to_string(10 + i)).append(".bmp");
        const std::string full = picturesDir + "/" + name;
        Form1& f = form1();
        EXPECT_EQ(f.File1.listIndex(), i);
        EXPECT_EQ(f.caption(), full);
        EXPECT_EQ(f.sPictureFile, name);
        EXPECT_EQ(f.lblDimension.caption(),
                  std::to_string(10 + i) + " x " + std::to_string(20 + i));
        EXPECT_EQ(
            f.lblFileSize.caption(),
            formatThousands(static_cast<std::int64_t>(std::filesystem::file_size(full)), ",") +
                " bytes");
        EXPECT_EQ(f.imgShow.width(), static_cast<float>((10 + i) * 15));
        EXPECT_EQ(program->form2().sSelectedFile, full);
        EXPECT_EQ(program->form2().imgShadow.height(), static_cast<float>((20 + i) * 15));
    }

    static constexpr int kFiles = 6;
};

TEST_F(QuickChoicesTest, AClickDuringTheDisplayOfAnotherFileShowsOnlyTheSecond) {
    start();
    host.postAction([&] { form1().File1.setListIndex(4); });
    form1().File1.setListIndex(1);
    expectShowing(4);
    EXPECT_EQ(host.deepestDoEvents(), 1);
}

TEST_F(QuickChoicesTest, AHeldArrowKeyNeverNestsAndEndsOnTheLastFile) {
    start();
    // Each key press arrives during the display of the one before, as auto-repeat does.
    constexpr int kPresses = 200;
    int pressed = 0;
    std::function<void()> press = [&] {
        ++pressed;
        if (pressed < kPresses) {
            host.postAction(press);
        }
        form1().File1.setListIndex(pressed % kFiles);
    };
    press();
    EXPECT_EQ(pressed, kPresses);
    expectShowing(kPresses % kFiles);
    EXPECT_EQ(host.deepestDoEvents(), 1);
}

}  // namespace
}  // namespace plivora
