#include <gtest/gtest.h>

#include <algorithm>

#include <QMimeData>
#include <QUrl>

#include "headless/headless_host.h"
#include "qt/clipboard_data.h"
#include "qt/conversions.h"

namespace plivora {
namespace {

TEST(Conversions, TwipsRoundToTheNearestPixelHalvesToEven) {
    struct Case {
        float twips;
        int pixels;
    };
    for (const Case& c : {Case{240, 16}, Case{612, 41}, Case{252, 17}, Case{7.5f, 0},
                          Case{22.5f, 2}, Case{37.5f, 2}, Case{-22.5f, -2}, Case{0, 0}}) {
        SCOPED_TRACE(c.twips);
        EXPECT_EQ(twipsToPixels(c.twips, 15.0f), c.pixels);
    }
    EXPECT_FLOAT_EQ(pixelsToTwips(41, 15.0f), 615.0f);
}

TEST(Conversions, ImageIsWrappedWithoutCopyAndKeepsItsPixels) {
    Image image(2, 1);
    image.setPixel(0, 0, 0x80FF0000u);
    image.setPixel(1, 0, 0xFF00FF00u);
    const QImage wrapped = wrapImage(image);
    EXPECT_EQ(wrapped.constBits(), reinterpret_cast<const uchar*>(image.pixels.data()));
    EXPECT_EQ(wrapped.pixel(0, 0), 0x80FF0000u);
    EXPECT_EQ(wrapped.pixel(1, 0), 0xFF00FF00u);
    const Image back = fromQImage(wrapped);
    EXPECT_EQ(back.width, 2);
    EXPECT_EQ(back.pixels, image.pixels);
    EXPECT_TRUE(wrapImage(Image()).isNull());
}

TEST(Conversions, CaptionLineBreaks) {
    EXPECT_EQ(captionToQString("Error #  53\rFile not found"),
              QStringLiteral("Error #  53\nFile not found"));
    EXPECT_EQ(captionToQString("a\r\nb\nc"), QStringLiteral("a\nb\nc"));
    EXPECT_EQ(captionToQString("caf\xc3\xa9"), QString::fromUtf8("caf\xc3\xa9"));
}

TEST(Conversions, ColoursResolveSystemColoursThroughTheHost) {
    HeadlessHost host;
    EXPECT_EQ(toQColor(rgb(255, 128, 128), host), QColor(255, 128, 128));
    EXPECT_EQ(toQColor(kButtonFace, host), QColor(0xF0, 0xF0, 0xF0));
    EXPECT_EQ(fromQColor(QColor(1, 2, 3)), rgb(1, 2, 3));
}

TEST(Conversions, FontsOfTheDesignedPlatform) {
    const QFont small = toQFont(Font{"Small Fonts", 3.0f, true});
    EXPECT_DOUBLE_EQ(small.pointSizeF(), kMinimumPointSize);
    EXPECT_TRUE(small.bold());
    const QFont arial = toQFont(Font{"Arial", 9.0f, false});
    EXPECT_EQ(arial.family(), QStringLiteral("Arial"));
    EXPECT_DOUBLE_EQ(arial.pointSizeF(), 9.0);
}

TEST(Conversions, MouseState) {
    EXPECT_EQ(toMouseButton(Qt::RightButton), MouseButton::Right);
    EXPECT_EQ(toMouseButtons(Qt::LeftButton | Qt::MiddleButton), 5);
    EXPECT_EQ(toShiftState(Qt::ShiftModifier | Qt::AltModifier), 5);
    EXPECT_EQ(toShiftState(Qt::ControlModifier), 2);
}

TEST(Conversions, DropDataTakesLocalFilesOnly) {
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QStringLiteral("/pics/a b.gif")),
                   QUrl(QStringLiteral("https://example.org/c.gif")),
                   QUrl::fromLocalFile(QStringLiteral("/pics"))});
    const DropData dropped = toDropData(files);
    ASSERT_TRUE(dropped.files);
    EXPECT_EQ(*dropped.files, (std::vector<std::string>{"/pics/a b.gif", "/pics"}));

    QMimeData text;
    text.setText(QStringLiteral("/pics/a.gif"));
    EXPECT_FALSE(toDropData(text).files);

    QMimeData remote;
    remote.setUrls({QUrl(QStringLiteral("https://example.org/c.gif"))});
    EXPECT_FALSE(toDropData(remote).files);
}

// A file name is bytes and need not be UTF-8: a Latin-1 name from an old archive goes into a
// URL and comes back unchanged, and a file manager's URI list, which percent-encodes the name's
// bytes, drops that very file.
TEST(Conversions, FileNamesPassThroughUrlsByteForByte) {
    const std::string latin1("/pics/caf\xe9.bmp");
    for (const std::string& path :
         {latin1, std::string("/pics/caf\xc3\xa9 50%.gif"), std::string("/p/a#b?c[d].gif")}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(localFilePath(fileUrl(path)), path);
    }
    EXPECT_EQ(fileUrl(latin1).toEncoded(), QByteArray("file:///pics/caf%E9.bmp"));

    QMimeData fileManager;
    fileManager.setData(QStringLiteral("text/uri-list"),
                        "file:///pics/caf%E9.bmp\r\nfile://server/share/a.gif\r\n");
    const DropData dropped = toDropData(fileManager);
    ASSERT_TRUE(dropped.files);
    EXPECT_EQ(*dropped.files, (std::vector<std::string>{latin1, "//server/share/a.gif"}));
}

std::vector<std::uint8_t> dropBlock(std::uint32_t offset, std::uint32_t wide,
                                    const std::string& names) {
    // The whole block at its final size: GCC 12 at -O2 misreads an insert at the end of a
    // 20-byte vector as a write past it (-Warray-bounds).
    std::vector<std::uint8_t> block(20 + names.size(), 0);
    block[0] = static_cast<std::uint8_t>(offset);
    block[16] = static_cast<std::uint8_t>(wide);
    std::copy(names.begin(), names.end(), block.begin() + 20);
    return block;
}

TEST(FileDropBlock, NamesAreReadUpToTheClosingZero) {
    using Names = std::vector<std::string>;
    struct Case {
        const char* what;
        std::vector<std::uint8_t> block;
        std::optional<Names> names;
    };
    const std::string twoNames("/p/a.gif\0/p/b.gif\0\0", 19);
    const std::string wideName("/\0a\0\0\0\0\0", 8);
    const std::vector<Case> cases = {
        {"two names", dropBlock(20, 0, twoNames), Names{"/p/a.gif", "/p/b.gif"}},
        {"no names", dropBlock(20, 0, std::string(1, '\0')), Names{}},
        {"wide names", dropBlock(20, 1, wideName), Names{"/a"}},
        {"missing closing zero", dropBlock(20, 0, std::string("/p/a.gif\0", 9)), std::nullopt},
        {"name runs off the end", dropBlock(20, 0, "/p/a.gif"), std::nullopt},
        {"offset inside the header", dropBlock(4, 0, twoNames), std::nullopt},
        {"offset past the end", dropBlock(200, 0, twoNames), std::nullopt},
        {"short header", std::vector<std::uint8_t>(12, 0), std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(parseFileDropBlock(c.block), c.names);
    }
    EXPECT_EQ(dropBlock(20, 0, twoNames).size(), 39u);  // the size the block format gives
}

TEST(FileDropBlock, MimeDataOffersTheFilesToFileManagers) {
    std::unique_ptr<QMimeData> mime(fileListMimeData({"/p/a b.gif", "/p/c.gif"}, std::nullopt));
    EXPECT_EQ(mime->urls(), (QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("/p/a b.gif")),
                                         QUrl::fromLocalFile(QStringLiteral("/p/c.gif"))}));
    EXPECT_EQ(mime->data(QStringLiteral("x-special/gnome-copied-files")),
              QByteArray("copy\nfile:///p/a%20b.gif\nfile:///p/c.gif"));
    std::unique_ptr<QMimeData> withText(fileListMimeData({"/p/c.gif"}, std::string("note")));
    EXPECT_EQ(withText->text(), QStringLiteral("note"));
    EXPECT_EQ(withText->data(QStringLiteral("text/plain;charset=utf-8")), QByteArray("note"));
}

// A name that is not UTF-8 reaches the clipboard as its bytes: percent-encoded in the URI lists,
// as it is in the plain text, which then claims no UTF-8 charset.
TEST(FileDropBlock, ANameThatIsNotUtf8KeepsItsBytes) {
    const std::string path("/p/caf\xe9.bmp");
    std::unique_ptr<QMimeData> mime(fileListMimeData({path}, path));
    EXPECT_EQ(mime->data(QStringLiteral("text/uri-list")), QByteArray("file:///p/caf%E9.bmp\r\n"));
    EXPECT_EQ(mime->data(QStringLiteral("x-special/gnome-copied-files")),
              QByteArray("copy\nfile:///p/caf%E9.bmp"));
    EXPECT_EQ(clipboardTextOf(*mime), path);
    EXPECT_FALSE(mime->hasFormat(QStringLiteral("text/plain;charset=utf-8")));

    std::unique_ptr<QMimeData> text(textMimeData(path));
    EXPECT_EQ(text->data(QStringLiteral("text/plain")).toStdString(), path);
    EXPECT_FALSE(text->hasFormat(QStringLiteral("text/plain;charset=utf-8")));
}

}  // namespace
}  // namespace plivora
