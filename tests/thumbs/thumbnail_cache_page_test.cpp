#include <sys/stat.h>

#include <QImage>
#include <QImageWriter>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "picture/thumbnail_cache.h"
#include "support/app_fixture.h"
#include "thumbs/form2.h"

namespace plivora {
namespace {

namespace fs = std::filesystem;

// What the user sees of a page: each item's text and the icon beside it.
struct Page {
    std::vector<std::string> texts;
    std::vector<Image> icons;
};

class ThumbnailCachePageTest : public AppTest {
protected:
    void writeJpeg(const std::string& name, int width, int height) {
        QImage image(width, height, QImage::Format_RGB32);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                image.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, 90));
            }
        }
        ASSERT_TRUE(
            QImageWriter(QString::fromStdString(picturesDir + "/" + name), "jpeg").write(image));
    }

    Page viewAll() {
        program.reset();
        start();
        form1().cmdViewAll.raiseClick();
        Form2& thumbs = program->form2();
        Page page;
        for (const ListView::Item& item : thumbs.lvMain.items()) {
            page.texts.push_back(item.text);
            page.icons.push_back(thumbs.ilNormal.find(item.iconKey)->image);
        }
        EXPECT_EQ(program->openWarningWindows(), 0);
        return page;
    }

    static void expectSamePage(const Page& page, const Page& expected) {
        EXPECT_EQ(page.texts, expected.texts);
        ASSERT_EQ(page.icons.size(), expected.icons.size());
        for (std::size_t i = 0; i < page.icons.size(); ++i) {
            SCOPED_TRACE(expected.texts[i]);
            ASSERT_EQ(page.icons[i].width, expected.icons[i].width);
            ASSERT_EQ(page.icons[i].height, expected.icons[i].height);
            int worst = 0;
            for (std::size_t p = 0; p < page.icons[i].pixels.size(); ++p) {
                for (int shift = 0; shift < 32; shift += 8) {
                    const int a = static_cast<int>((page.icons[i].pixels[p] >> shift) & 0xFF);
                    const int b = static_cast<int>((expected.icons[i].pixels[p] >> shift) & 0xFF);
                    worst = std::max(worst, std::abs(a - b));
                }
            }
            EXPECT_LE(worst, 6);
        }
    }

    std::string entry(const std::string& sub, const std::string& name) const {
        return thumbnailFolder + "/" + sub + "/" +
               ThumbnailCache::entryName(ThumbnailCache::fileUri(picturesDir + "/" + name));
    }
};

TEST_F(ThumbnailCachePageTest, ThePageLooksTheSameWithoutCacheColdWarmOrUnwritable) {
    writeJpeg("a tall.jpg", 90, 700);  // its icon is a narrow column from a 16 x 128 entry
    writeBmp(picturesDir + "/b.bmp", 70, 50);
    writeFile(picturesDir + "/c.jpg", "no picture");
    writeJpeg("d.jpg", 800, 600);
    const Page expected = viewAll();
    ASSERT_EQ(expected.texts.size(), 4u);
    EXPECT_EQ(expected.texts[3], "d.jpg\r\n800 x 600");

    thumbnailFolder = root + "/cache/thumbnails";
    for (const char* run : {"cold", "warm"}) {
        SCOPED_TRACE(run);
        host.setBackgroundWork(std::string(run) == "cold");  // cold: entries written off-thread
        expectSamePage(viewAll(), expected);
        EXPECT_TRUE(fs::exists(entry("normal", "a tall.jpg")));
        EXPECT_TRUE(fs::exists(entry("normal", "b.bmp")));
        EXPECT_TRUE(fs::exists(entry("fail/plivora", "c.jpg")));
        EXPECT_TRUE(fs::exists(entry("normal", "d.jpg")));
    }
    // The last picture that loaded came from the cache; its full pixels come from the file.
    const Picture& last = program->form2().imgShadow.picture();
    EXPECT_EQ(last.width(), 800);
    EXPECT_EQ(last.fullImage().width, 800);
    EXPECT_EQ(last.fullImage().height, 600);

    // A cache that cannot be written to (its folders are files, its root read-only).
    thumbnailFolder = root + "/unwritable/thumbnails";
    fs::create_directories(thumbnailFolder);
    writeFile(thumbnailFolder + "/normal", "");
    writeFile(thumbnailFolder + "/fail", "");
    ASSERT_EQ(::chmod(thumbnailFolder.c_str(), 0500), 0);
    expectSamePage(viewAll(), expected);
    ::chmod(thumbnailFolder.c_str(), 0700);
}

}  // namespace
}  // namespace plivora
