#include "qt/clipboard_data.h"

#include <QList>
#include <QMimeData>
#include <QUrl>

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

}  // namespace

std::optional<std::vector<std::string>> parseFileDropBlock(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() < kHeaderLength) {
        return std::nullopt;
    }
    const std::size_t offset = readUint32(bytes, 0);
    const bool wide = readUint32(bytes, 16) != 0;
    if (offset < kHeaderLength || offset >= bytes.size()) {
        return std::nullopt;
    }
    std::vector<std::string> names;
    if (!wide) {
        std::size_t pos = offset;
        while (pos < bytes.size()) {
            if (bytes[pos] == 0) {
                return names;  // the closing zero of the list
            }
            std::size_t end = pos;
            while (end < bytes.size() && bytes[end] != 0) {
                ++end;
            }
            if (end == bytes.size()) {
                return std::nullopt;  // a name runs off the end of the block
            }
            names.emplace_back(reinterpret_cast<const char*>(bytes.data() + pos), end - pos);
            pos = end + 1;
        }
        return std::nullopt;
    }
    const std::size_t units = (bytes.size() - offset) / 2;
    auto unitAt = [&](std::size_t index) {
        const std::size_t at = offset + index * 2;
        return static_cast<char16_t>(bytes[at] | (bytes[at + 1] << 8));
    };
    std::size_t index = 0;
    while (index < units) {
        if (unitAt(index) == 0) {
            return names;
        }
        std::u16string name;
        while (index < units && unitAt(index) != 0) {
            name.push_back(unitAt(index));
            ++index;
        }
        if (index == units) {
            return std::nullopt;
        }
        // 16-bit names are Unicode; the file system names them in UTF-8.
        names.push_back(
            toStdString(QString::fromUtf16(name.data(), static_cast<qsizetype>(name.size()))));
        ++index;
    }
    return std::nullopt;
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
