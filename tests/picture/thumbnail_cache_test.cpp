#include "picture/thumbnail_cache.h"
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>
#include <QBuffer>
#include <QCryptographicHash>
#include <QImage>
#include <QImageWriter>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include "picture/picture_loader.h"
#include "picture_test_data.h"
#include "support/files.h"
#include "support/temp_folder.h"
#include "win/error.h"

namespace plivora {
namespace {

namespace fs = std::filesystem;

int modeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return static_cast<int>(info.st_mode & 07777);
}

std::int64_t mtimeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return static_cast<std::int64_t>(info.st_mtime);
}

void setMtime(const std::string& path, std::int64_t seconds) {
    const utimbuf times{static_cast<time_t>(seconds), static_cast<time_t>(seconds)};
    ASSERT_EQ(::utime(path.c_str(), &times), 0);
}

class ThumbnailCacheTest : public testing::Test {
protected:
    void SetUp() override {
        root = temp.path();
        pictures = root + "/pictures";
        folder = root + "/cache/thumbnails";
        fs::create_directories(pictures);
    }

    ThumbnailCache cache() {
        return ThumbnailCache(folder, [this](const std::string& path) {
            ++loads;
            return LoadPicture(path);
        });
    }

    // A 400 x 300 JPEG with a colour ramp, so that a wrong scale or a swapped side shows.
    std::string jpeg(const std::string& name, int width = 400, int height = 300) {
        QImage image(width, height, QImage::Format_RGB32);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                image.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, 128));
            }
        }
        const std::string path = pictures + "/" + name;
        EXPECT_TRUE(QImageWriter(QString::fromStdString(path), "jpeg").write(image));
        return path;
    }

    std::string entryPath(const std::string& sub, const std::string& file) const {
        return folder + "/" + sub + "/" + ThumbnailCache::entryName(ThumbnailCache::fileUri(file));
    }

    // Writes an entry as another program might: Qt's writer, the keys given.
    void writeEntry(const std::string& path, QImage image,
                    const std::vector<std::pair<QString, QString>>& keys) {
        fs::create_directories(fs::path(path).parent_path());
        for (const auto& [key, value] : keys) {
            image.setText(key, value);
        }
        ASSERT_TRUE(QImageWriter(QString::fromStdString(path), "png").write(image));
    }

    TempFolder temp;
    std::string root;
    std::string pictures;
    std::string folder;
    std::atomic<int> loads = 0;
};

TEST_F(ThumbnailCacheTest, WritesAnEntryAsTheStandardSaysAndReadsItBack) {
    // The standard's own example of a name.
    EXPECT_EQ(ThumbnailCache::entryName("file:///home/jens/photos/me.png"),
              "c6ee772d9e49320e97ec29a7eb5b1697.png");

    const std::string path = jpeg("a b#\xC3\xA9.jpg");
    const std::string uri = "file://" + pictures + "/a%20b%23%C3%A9.jpg";
    EXPECT_EQ(ThumbnailCache::fileUri(pictures + "/./x/../a b#\xC3\xA9.jpg"), uri);
    const std::string md5 =
        QCryptographicHash::hash(QByteArray::fromStdString(uri), QCryptographicHash::Md5)
            .toHex()
            .toStdString();
    const std::string entry = folder + "/normal/" + md5 + ".png";

    const Picture first = cache().loadPicture(path, 60, 60);
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(first.width(), 400);
    ASSERT_TRUE(fs::exists(entry));
    EXPECT_EQ(fs::directory_iterator(folder + "/normal")->path(), entry);  // no temporary left
    EXPECT_EQ(modeOf(entry), 0600);
    EXPECT_EQ(modeOf(folder), 0700);
    EXPECT_EQ(modeOf(folder + "/normal"), 0700);

    const QImage png(QString::fromStdString(entry), "png");
    EXPECT_EQ(png.size(), QSize(128, 96));
    EXPECT_TRUE(png.hasAlphaChannel());
    EXPECT_EQ(png.text(QStringLiteral("Thumb::URI")).toStdString(), uri);
    EXPECT_EQ(png.text(QStringLiteral("Thumb::MTime")).toLongLong(), mtimeOf(path));
    EXPECT_EQ(png.text(QStringLiteral("Thumb::Size")).toLongLong(),
              static_cast<long long>(fs::file_size(path)));
    EXPECT_EQ(png.text(QStringLiteral("Thumb::Image::Width")), QStringLiteral("400"));
    EXPECT_EQ(png.text(QStringLiteral("Thumb::Image::Height")), QStringLiteral("300"));
    EXPECT_EQ(png.text(QStringLiteral("Thumb::Mimetype")), QStringLiteral("image/jpeg"));
    EXPECT_EQ(png.text(QStringLiteral("Software")), QStringLiteral("Plivora"));
    // Plain tEXt chunks, before the pixels, which every reader of the cache reads.
    const std::string bytes = testdata::readFile(entry);
    EXPECT_LT(bytes.find("tEXtThumb::URI" + std::string(1, '\0') + uri), bytes.find("IDAT"));

    // Read back: no decode for a thumbnail; the natural size from the keys; the full pixels
    // decoded from the file when asked for.
    const Picture second = cache().loadPicture(path, 60, 60);
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(second.width(), 400);
    EXPECT_EQ(second.height(), 300);
    EXPECT_EQ(second.imageForSize(60, 60).width, 128);
    EXPECT_EQ(second.fullImage().width, 400);
    EXPECT_EQ(loads, 2);
}

TEST_F(ThumbnailCacheTest, UsesAnotherProgramsValidEntries) {
    const std::string path = jpeg("photo.jpg");
    const QString uri = QString::fromStdString(ThumbnailCache::fileUri(path));
    const QString mtime = QString::number(mtimeOf(path));
    QImage small(128, 96, QImage::Format_RGB32);
    small.fill(Qt::green);

    // A "large" entry with the size keys serves; so does a "normal" one without them (the
    // standard does not require them), with the size the file's header gives.
    writeEntry(entryPath("large", path), small.scaled(256, 192),
               {{QStringLiteral("Thumb::URI"), uri},
                {QStringLiteral("Thumb::MTime"), mtime},
                {QStringLiteral("Thumb::Image::Width"), QStringLiteral("400")},
                {QStringLiteral("Thumb::Image::Height"), QStringLiteral("300")}});
    Picture picture = cache().loadPicture(path, 60, 60);
    EXPECT_EQ(picture.width(), 400);
    EXPECT_EQ(picture.height(), 300);
    EXPECT_EQ(picture.imageForSize(60, 60).width, 256);
    EXPECT_EQ(picture.imageForSize(60, 60).pixel(5, 5), 0xFF00FF00u);
    EXPECT_EQ(loads, 0);
    fs::remove(entryPath("large", path));
    writeEntry(entryPath("normal", path), small,
               {{QStringLiteral("Thumb::URI"), uri}, {QStringLiteral("Thumb::MTime"), mtime}});
    picture = cache().loadPicture(path, 60, 60);
    EXPECT_EQ(picture.width(), 400);
    EXPECT_EQ(picture.height(), 300);
    EXPECT_EQ(picture.imageForSize(60, 60).pixel(5, 5), 0xFF00FF00u);
    EXPECT_EQ(loads, 0);
    EXPECT_EQ(
        QImage(QString::fromStdString(entryPath("normal", path))).text(QStringLiteral("Software")),
        QString());

    // A photograph stored sideways: its EXIF orientation turns the 400 x 300 stored pixels
    // upright to 300 x 400, as the loader shows it, and an upright entry without size keys
    // serves at that size; a sideways one contradicts it and the file is decoded instead.
    QImage stored(400, 300, QImage::Format_RGB32);
    stored.fill(Qt::red);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(QImageWriter(&buffer, "jpeg").write(stored));
    const std::string turned = pictures + "/turned.jpg";
    testdata::writeFile(turned, testdata::withExifOrientation(data.toStdString(), 6, true));
    const QString turnedUri = QString::fromStdString(ThumbnailCache::fileUri(turned));
    const QString turnedTime = QString::number(mtimeOf(turned));
    writeEntry(
        entryPath("normal", turned), small.scaled(96, 128),
        {{QStringLiteral("Thumb::URI"), turnedUri}, {QStringLiteral("Thumb::MTime"), turnedTime}});
    picture = cache().loadPicture(turned, 60, 60);
    EXPECT_EQ(picture.width(), 300);
    EXPECT_EQ(picture.height(), 400);
    EXPECT_EQ(picture.imageForSize(60, 60).pixel(5, 5), 0xFF00FF00u);
    EXPECT_EQ(loads, 0);
    writeEntry(
        entryPath("normal", turned), small,
        {{QStringLiteral("Thumb::URI"), turnedUri}, {QStringLiteral("Thumb::MTime"), turnedTime}});
    picture = cache().loadPicture(turned, 60, 60);
    EXPECT_EQ(picture.width(), 300);
    EXPECT_EQ(loads, 1);
}

// Another program's valid "normal" entry that is too small for the request (one made for
// smaller icons) is decoded past and left as it is: the decode writes no entry of ours over it.
TEST_F(ThumbnailCacheTest, LeavesAValidNormalEntryThatIsTooSmallForTheRequest) {
    const std::string path = jpeg("photo.jpg");
    QImage small(64, 48, QImage::Format_RGB32);
    small.fill(Qt::green);
    writeEntry(
        entryPath("normal", path), small,
        {{QStringLiteral("Thumb::URI"), QString::fromStdString(ThumbnailCache::fileUri(path))},
         {QStringLiteral("Thumb::MTime"), QString::number(mtimeOf(path))},
         {QStringLiteral("Thumb::Image::Width"), QStringLiteral("400")},
         {QStringLiteral("Thumb::Image::Height"), QStringLiteral("300")}});
    const Picture picture = cache().loadPicture(path, 200, 200);
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(picture.width(), 400);
    const QImage kept(QString::fromStdString(entryPath("normal", path)));
    EXPECT_EQ(kept.size(), QSize(64, 48));
    EXPECT_EQ(kept.text(QStringLiteral("Software")), QString());
}

TEST_F(ThumbnailCacheTest, IgnoresAnEntryThatDoesNotMatchTheFile) {
    const std::string path = jpeg("photo.jpg");
    const QString uri = QString::fromStdString(ThumbnailCache::fileUri(path));
    const QString mtime = QString::number(mtimeOf(path));
    const QString size = QString::number(fs::file_size(path));
    QImage good(128, 96, QImage::Format_RGB32);
    good.fill(Qt::green);
    struct Case {
        const char* what;
        QImage image;
        std::vector<std::pair<QString, QString>> keys;
    };
    const std::vector<Case> cases = {
        {"another time",
         good,
         {{QStringLiteral("Thumb::URI"), uri},
          {QStringLiteral("Thumb::MTime"), QString::number(mtimeOf(path) - 1)}}},
        {"another file",
         good,
         {{QStringLiteral("Thumb::URI"), uri + QStringLiteral("x")},
          {QStringLiteral("Thumb::MTime"), mtime}}},
        {"no time", good, {{QStringLiteral("Thumb::URI"), uri}}},
        {"another length",
         good,
         {{QStringLiteral("Thumb::URI"), uri},
          {QStringLiteral("Thumb::MTime"), mtime},
          {QStringLiteral("Thumb::Size"), size + QStringLiteral("0")}}},
        {"a shape that contradicts the size",
         good.scaled(96, 128),
         {{QStringLiteral("Thumb::URI"), uri}, {QStringLiteral("Thumb::MTime"), mtime}}},
        {"too large for its folder",
         good.scaled(256, 192),
         {{QStringLiteral("Thumb::URI"), uri}, {QStringLiteral("Thumb::MTime"), mtime}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        loads = 0;
        writeEntry(entryPath("normal", path), c.image, c.keys);
        EXPECT_NE(cache().loadPicture(path, 60, 60).imageForSize(60, 60).pixel(5, 5), 0xFF00FF00u);
        EXPECT_EQ(loads, 1);
    }
    // A damaged entry: decoded, and replaced by a valid one that serves the next time.
    const std::string entry = entryPath("normal", path);
    const std::string bytes = testdata::readFile(entry);
    std::ofstream(entry, std::ios::binary | std::ios::trunc) << bytes.substr(0, bytes.size() / 2);
    loads = 0;
    cache().loadPicture(path, 60, 60);
    cache().loadPicture(path, 60, 60);
    EXPECT_EQ(loads, 1);
}

TEST_F(ThumbnailCacheTest, RemembersAFileThatIsNoPictureUntilItChanges) {
    const std::string path = pictures + "/notes.jpg";
    std::ofstream(path) << "not a picture";
    for (int round = 0; round < 2; ++round) {
        try {
            cache().loadPicture(path, 60, 60);
            ADD_FAILURE() << "a text file gave a picture";
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), ErrorNumber::InvalidPicture);
        }
    }
    EXPECT_EQ(loads, 1);
    const QImage failure(QString::fromStdString(entryPath("fail/plivora", path)), "png");
    EXPECT_EQ(failure.text(QStringLiteral("Thumb::URI")).toStdString(),
              ThumbnailCache::fileUri(path));
    EXPECT_FALSE(fs::exists(entryPath("normal", path)));

    // Another program's thumbnail of the same file (made with a decoder of its own) does not
    // turn it into a picture: our failure entry wins.
    QImage foreign(128, 96, QImage::Format_RGB32);
    foreign.fill(Qt::green);
    writeEntry(
        entryPath("normal", path), foreign,
        {{QStringLiteral("Thumb::URI"), QString::fromStdString(ThumbnailCache::fileUri(path))},
         {QStringLiteral("Thumb::MTime"), QString::number(mtimeOf(path))},
         {QStringLiteral("Thumb::Image::Width"), QStringLiteral("400")},
         {QStringLiteral("Thumb::Image::Height"), QStringLiteral("300")}});
    try {
        cache().loadPicture(path, 60, 60);
        ADD_FAILURE() << "another program's thumbnail gave a picture";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), ErrorNumber::InvalidPicture);
    }
    EXPECT_EQ(loads, 1);
    fs::remove(entryPath("normal", path));

    // The file was replaced by a picture: the failure no longer holds.
    const std::string picture = jpeg("notes.jpg");
    setMtime(picture, mtimeOf(picture) + 10);
    EXPECT_EQ(cache().loadPicture(picture, 60, 60).width(), 400);
    EXPECT_EQ(loads, 2);
}

TEST_F(ThumbnailCacheTest, NeverCachesItsOwnFilesNorAnythingWhenOff) {
    fs::create_directories(folder + "/normal");
    pictures = folder + "/normal";
    const std::string inside = jpeg("thumb.jpg");
    cache().loadPicture(inside, 60, 60);
    cache().loadPicture(inside, 60, 60);
    EXPECT_EQ(loads, 2);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder + "/normal"), fs::directory_iterator()),
              1);

    pictures = root + "/pictures";
    const std::string outside = jpeg("photo.jpg");
    ThumbnailCache off("", [this](const std::string& p) {
        ++loads;
        return LoadPicture(p);
    });
    off.loadPicture(outside, 60, 60);
    off.loadPicture(outside, 60, 60);
    EXPECT_EQ(loads, 4);
    EXPECT_FALSE(fs::exists(entryPath("normal", outside)));
}

}  // namespace
}  // namespace plivora
