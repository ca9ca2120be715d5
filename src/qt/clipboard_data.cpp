#include "qt/clipboard_data.h"

#include <QList>
#include <QMimeData>
#include <QUrl>

#include <string>
#include <utility>

#include "qt/conversions.h"

namespace plivora {

namespace {

constexpr std::size_t kHeaderLength = 20;

std::uint32_t readUint32(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    return static_cast<std::uint32_t>(bytes[offset]) |
           (static_cast<std::uint32_t>(bytes[offset + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes[offset + 2]) << 16) |
           (static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
}

// Where the name list of a file-drop block begins; none when the block is shorter than its
// header or the offset points into the header or past the block.
std::optional<std::size_t> nameListOffset(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() < kHeaderLength) {
        return std::nullopt;
    }
    const std::size_t offset = readUint32(bytes, 0);
    if (offset < kHeaderLength || offset >= bytes.size()) {
        return std::nullopt;
    }
    return offset;
}

// The names of the list at `offset`, in characters of `Char`'s size (little-endian), each ended
// by a zero character, the list by one more. Bytes after the last whole character are not read.
// None when a name or the list runs off the end of the block.
template <typename Char>
std::optional<std::vector<std::basic_string<Char>>> readNameList(
    const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    const std::size_t units = (bytes.size() - offset) / sizeof(Char);
    auto unitAt = [&](std::size_t index) {
        const std::size_t at = offset + index * sizeof(Char);
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < sizeof(Char); ++i) {
            value |= static_cast<std::uint32_t>(bytes[at + i]) << (8 * i);
        }
        return static_cast<Char>(value);
    };
    std::vector<std::basic_string<Char>> names;
    std::size_t index = 0;
    while (index < units) {
        if (unitAt(index) == 0) {
            return names;  // the closing zero of the list
        }
        std::basic_string<Char> name;
        while (index < units && unitAt(index) != 0) {
            name.push_back(unitAt(index));
            ++index;
        }
        if (index == units) {
            return std::nullopt;  // a name runs off the end of the block
        }
        names.push_back(std::move(name));
        ++index;
    }
    return std::nullopt;
}

// 16-bit names are Unicode; the file system names them in UTF-8.
std::vector<std::string> utf8Names(const std::vector<std::u16string>& wideNames) {
    std::vector<std::string> names;
    for (const std::u16string& name : wideNames) {
        names.push_back(
            toStdString(QString::fromUtf16(name.data(), static_cast<qsizetype>(name.size()))));
    }
    return names;
}

}  // namespace

std::optional<std::vector<std::string>> parseFileDropBlock(const std::vector<std::uint8_t>& bytes) {
    const std::optional<std::size_t> offset = nameListOffset(bytes);
    if (!offset) {
        return std::nullopt;
    }
    if (readUint32(bytes, 16) == 0) {
        // 8-bit names are the file system's own bytes.
        return readNameList<char>(bytes, *offset);
    }
    const std::optional<std::vector<std::u16string>> wideNames =
        readNameList<char16_t>(bytes, *offset);
    if (!wideNames) {
        return std::nullopt;
    }
    return utf8Names(*wideNames);
}

namespace {

const QString kPlainText = QStringLiteral("text/plain");

void setText(QMimeData& mime, const std::string& text) {
    const QByteArray bytes(text.data(), static_cast<qsizetype>(text.size()));
    mime.setData(kPlainText, bytes);
    if (bytes.isValidUtf8()) {
        mime.setData(QStringLiteral("text/plain;charset=utf-8"), bytes);
    }
}

}  // namespace

QMimeData* fileListMimeData(const std::vector<std::string>& paths,
                            const std::optional<std::string>& text) {
    auto* mime = new QMimeData;
    QList<QUrl> urls;
    QByteArray gnomeList("copy");
    for (const std::string& path : paths) {
        const QUrl url = fileUrl(path);
        urls.push_back(url);
        gnomeList += '\n';
        gnomeList += url.toEncoded();
    }
    mime->setUrls(urls);
    mime->setData(QStringLiteral("x-special/gnome-copied-files"), gnomeList);
    if (text) {
        setText(*mime, *text);
    }
    return mime;
}

QMimeData* textMimeData(const std::string& text) {
    auto* mime = new QMimeData;
    setText(*mime, text);
    return mime;
}

std::string clipboardTextOf(const QMimeData& mime) {
    return mime.data(kPlainText).toStdString();
}

}  // namespace plivora
