#include "picture/thumbnail_cache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QByteArray>
#include <QCryptographicHash>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QSize>
#include <QString>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <new>
#include <optional>
#include <utility>

#include "picture/color_management.h"
#include "picture/image_scale.h"
#include "picture/picture_input.h"
#include "picture/picture_loader.h"
#include "win/error.h"
#include "win/file_system.h"

namespace plivora {
namespace {

namespace fs = std::filesystem;

constexpr const char* kSoftware = "Plivora";
constexpr const char* kFailFolder = "fail/plivora";

// The entry folders, smallest first, with the side their thumbnails fit into.
struct Flavour {
    const char* folder;
    int sidePx;
};
constexpr std::array<Flavour, 3> kFlavours = {
    {{"normal", kNormalThumbnailPx}, {"large", 256}, {"x-large", 512}}};

// A decimal count as the keys hold it: digits only, no sign, no more than fits.
std::optional<std::int64_t> parseCount(const QString& text) {
    if (text.isEmpty() || text.size() > 18) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return std::nullopt;
        }
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

QString qPath(const std::string& path) {
    return QString::fromStdString(path);
}

// An entry that belongs to the file: a PNG that decodes, no larger than its folder allows
// (maxSidePx 0: any folder's size), whose Thumb::URI and Thumb::MTime name the file as it is now,
// and whose Thumb::Size, when present, is the file's length. A null image otherwise; a missing,
// unreadable, damaged, foreign or outdated entry is an ordinary outcome that only means the
// picture is decoded.
QImage readValidEntry(const std::string& entryPath, const std::string& uri, const FileStamp& stamp,
                      int maxSidePx) {
    QImageReader reader(qPath(entryPath), "png");
    reader.setAutoTransform(false);
    // The size is checked before any pixels are read: no entry is larger than the largest folder
    // allows, whatever a damaged or hostile file claims.
    const int limit = maxSidePx > 0 ? maxSidePx : kFlavours.back().sidePx;
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > limit || size.height() > limit) {
        return QImage();
    }
    const QImage image = reader.read();
    if (image.isNull() || image.size() != size) {
        return QImage();
    }
    if (image.text(QStringLiteral("Thumb::URI")).toStdString() != uri ||
        parseCount(image.text(QStringLiteral("Thumb::MTime"))) != stamp.mtimeSeconds) {
        return QImage();
    }
    const QString length = image.text(QStringLiteral("Thumb::Size"));
    if (!length.isEmpty() && parseCount(length) != stamp.size) {
        return QImage();
    }
    return image;
}

struct Size {
    int width = 0;
    int height = 0;
};

// The natural size of the picture an entry shows: from the entry's Thumb::Image::Width and
// ::Height keys, or, since the standard leaves them out of its required keys, from the file's
// header (`fromHeader`, the size the loader reports: an EXIF orientation applied, a GIF's first
// image). None when neither gives one. An entry whose shape contradicts the size (beyond the
// rounding of one thumbnail pixel each way) is not trusted: it shows the picture otherwise than
// the loader does.
std::optional<Size> naturalSize(const QImage& entry,
                                const std::function<std::optional<Size>()>& fromHeader) {
    std::optional<std::int64_t> width =
        parseCount(entry.text(QStringLiteral("Thumb::Image::Width")));
    std::optional<std::int64_t> height =
        parseCount(entry.text(QStringLiteral("Thumb::Image::Height")));
    if (!width || !height) {
        const std::optional<Size> header = fromHeader();
        if (!header) {
            return std::nullopt;
        }
        width = header->width;
        height = header->height;
    }
    try {
        checkPictureSize(*width, *height);
    } catch (const Error&) {
        return std::nullopt;  // a size the loader would refuse
    }
    const long long skew = static_cast<long long>(entry.width()) * *height -
                           static_cast<long long>(entry.height()) * *width;
    if (std::llabs(skew) > *width + *height) {
        return std::nullopt;
    }
    return Size{static_cast<int>(*width), static_cast<int>(*height)};
}

// An entry's pixels, which are sRGB as the standard has them, in the display's colours.
Image entryImage(const QImage& decoded) {
    const QImage argb = decoded.convertToFormat(QImage::Format_ARGB32);
    if (argb.isNull()) {
        throw std::bad_alloc();
    }
    Image image(argb.width(), argb.height());
    for (int y = 0; y < argb.height(); ++y) {
        std::memcpy(image.pixels.data() + static_cast<std::size_t>(y) * argb.width(),
                    argb.constScanLine(y), static_cast<std::size_t>(argb.width()) * 4);
    }
    toDisplayColors(image, std::string());
    return image;
}

// A picture whose pixels, to draw it small, come from its cache entry. Its full pixels are
// decoded from the file when something asks for them; when the file no longer decodes to the
// same size (it changed or vanished since), the entry scaled up stands in, as for a reduced
// decode (Picture::fullImage never throws).
class CachedPictureSource : public PictureSource {
public:
    CachedPictureSource(std::string path, ThumbnailCache::Loader loader, Size natural, Image entry)
        : m_path(std::move(path)),
          m_loader(std::move(loader)),
          m_natural(natural),
          m_entry(std::move(entry)) {}

    int width() const override { return m_natural.width; }
    int height() const override { return m_natural.height; }

    const Image& fullImage() override {
        if (const Picture* picture = decoded()) {
            return picture->fullImage();
        }
        return standIn();
    }

    const Image& imageForSize(int widthPx, int heightPx) override {
        if (m_entry.width >= std::min(widthPx, m_natural.width) &&
            m_entry.height >= std::min(heightPx, m_natural.height)) {
            return m_entry;
        }
        if (const Picture* picture = decoded()) {
            return picture->imageForSize(widthPx, heightPx);
        }
        return standIn();
    }

    std::size_t heldBytes() const override {
        return pixelBytes(m_entry) + pixelBytes(m_standIn) + m_decoded.heldBytes();
    }

private:
    const Picture* decoded() {
        if (!m_decodeAttempted) {
            m_decodeAttempted = true;
            try {
                Picture picture = m_loader(m_path);
                if (picture.width() == m_natural.width && picture.height() == m_natural.height) {
                    m_decoded = std::move(picture);
                }
            } catch (const Error&) {
                // The file vanished or no longer decodes: the stand-in serves.
            } catch (const std::bad_alloc&) {
            }
        }
        return m_decoded.isNull() ? nullptr : &m_decoded;
    }

    const Image& standIn() {
        if (m_standIn.isNull() && !m_standInAttempted) {
            m_standInAttempted = true;
            try {
                m_standIn = scaleImage(m_entry, m_natural.width, m_natural.height);
            } catch (const std::bad_alloc&) {
                // Not even the stand-in's memory could be had; the entry's pixels serve.
            }
        }
        return m_standIn.isNull() ? m_entry : m_standIn;
    }

    std::string m_path;
    ThumbnailCache::Loader m_loader;
    Size m_natural;
    Image m_entry;
    Picture m_decoded;
    Image m_standIn;
    bool m_decodeAttempted = false;
    bool m_standInAttempted = false;
};

// ---- Writing ----

std::uint32_t crc32(const char* data, std::size_t size, std::uint32_t crc = 0) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i) {
        crc = table[(crc ^ static_cast<unsigned char>(data[i])) & 0xFFu] ^ (crc >> 8);
    }
    return ~crc;
}

void appendBigEndian(QByteArray& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.append(static_cast<char>((value >> shift) & 0xFFu));
    }
}

// An uncompressed PNG text chunk (tEXt): the key, a zero byte, the text, both Latin-1 (every
// key and text written here is ASCII).
QByteArray textChunk(const char* key, const std::string& text) {
    QByteArray body("tEXt");
    body.append(key);
    body.append('\0');
    body.append(text.data(), static_cast<qsizetype>(text.size()));
    QByteArray chunk;
    appendBigEndian(chunk, static_cast<std::uint32_t>(body.size() - 4));
    chunk.append(body);
    appendBigEndian(chunk, crc32(body.constData(), static_cast<std::size_t>(body.size())));
    return chunk;
}

using TextKeys = std::vector<std::pair<const char*, std::string>>;

// The image as an 8-bit RGBA PNG with the keys as tEXt chunks right after the header, where
// readers that stop at the pixels still find them (Qt's writer would compress longer texts into
// zTXt chunks, which not every reader of the cache reads). Empty when encoding fails.
QByteArray encodePng(const QImage& image, const TextKeys& keys) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    // Light compression (zlib level 2): a photograph's entry is about a sixth larger than at
    // Qt's default level and is written in about a quarter of the time, which the page waits for.
    writer.setQuality(70);
    if (!writer.write(image)) {
        return QByteArray();
    }
    // The 8-byte signature, then IHDR: length 13, so 25 bytes with its type and CRC.
    constexpr qsizetype kAfterHeader = 8 + 25;
    if (png.size() < kAfterHeader || png.mid(12, 4) != "IHDR") {
        return QByteArray();
    }
    QByteArray chunks;
    for (const auto& [key, text] : keys) {
        chunks.append(textChunk(key, text));
    }
    png.insert(kAfterHeader, chunks);
    return png;
}

// Creates the folder and its missing parents with mode 0700, as the standard asks of every
// folder of the cache. False when it cannot be had.
bool makeFolder(const std::string& folder) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) == 0) {
        return S_ISDIR(info.st_mode);
    }
    const std::size_t slash = folder.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !makeFolder(folder.substr(0, slash))) {
        return false;
    }
    return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

// Writes the entry whole under a temporary name in its folder (mode 0600, as mkstemp makes it)
// and renames it into place, so that no reader ever sees half an entry and two writers of the
// same entry leave one of their two.
bool writeAtomically(const std::string& folder, const std::string& name, const QByteArray& png) {
    if (png.isEmpty() || !makeFolder(folder)) {
        return false;
    }
    std::string temporary = folder + "/." + name + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        return false;
    }
    const char* data = png.constData();
    std::size_t left = static_cast<std::size_t>(png.size());
    bool ok = true;
    while (ok && left > 0) {
        const ssize_t wrote = ::write(fd, data, left);
        if (wrote < 0 && errno == EINTR) {
            continue;
        }
        ok = wrote > 0;
        if (ok) {
            data += wrote;
            left -= static_cast<std::size_t>(wrote);
        }
    }
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temporary.c_str(), (folder + "/" + name).c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
    }
    return ok;
}

std::string mimeType(PictureFormat format) {
    switch (format) {
        case PictureFormat::Gif:
            return "image/gif";
        case PictureFormat::Jpeg:
            return "image/jpeg";
        case PictureFormat::Bmp:
            return "image/bmp";
        case PictureFormat::Icon:
            return "image/vnd.microsoft.icon";
        case PictureFormat::Cursor:
            return "image/x-win-bitmap";
        case PictureFormat::Png:
        case PictureFormat::Unknown:
            break;
    }
    return std::string();
}

QImage wrap(const Image& image) {
    return QImage(reinterpret_cast<const uchar*>(image.pixels.data()), image.width, image.height,
                  static_cast<qsizetype>(image.width) * 4, QImage::Format_ARGB32);
}

// The picture's "normal" entry: fitted into 128 x 128 pixels with its shape kept (at least one
// pixel each way), never enlarged.
QByteArray normalEntry(const Picture& picture, const std::string& path, const std::string& uri,
                       const FileStamp& stamp) {
    int width = picture.width();
    int height = picture.height();
    if (std::max(width, height) > kNormalThumbnailPx) {
        const PixelSize fitted = fitSize(width, height, kNormalThumbnailPx, kNormalThumbnailPx);
        width = std::max(1, fitted.width);
        height = std::max(1, fitted.height);
    }
    // The picture's pixels are in the display's colours; the entry is sRGB, as other programs
    // read it.
    Image pixels = scaleImage(picture.imageForSize(width, height), width, height);
    displayToSrgb(pixels);
    TextKeys keys = {{"Thumb::URI", uri},
                     {"Thumb::MTime", std::to_string(stamp.mtimeSeconds)},
                     {"Thumb::Size", std::to_string(stamp.size)},
                     {"Thumb::Image::Width", std::to_string(picture.width())},
                     {"Thumb::Image::Height", std::to_string(picture.height())}};
    try {
        if (std::string mime = mimeType(pictureFormat(PictureInput::fromFile(path)));
            !mime.empty()) {
            keys.emplace_back("Thumb::Mimetype", std::move(mime));
        }
    } catch (const Error&) {
        // The file went away after it was decoded: the entry is made without its type.
    }
    keys.emplace_back("Software", kSoftware);
    return encodePng(wrap(pixels), keys);
}

// A failure entry: the standard asks only for the keys; the image is one transparent pixel.
QByteArray failureEntry(const std::string& uri, const FileStamp& stamp) {
    QImage pixel(1, 1, QImage::Format_ARGB32);
    pixel.fill(Qt::transparent);
    return encodePng(pixel, {{"Thumb::URI", uri},
                             {"Thumb::MTime", std::to_string(stamp.mtimeSeconds)},
                             {"Software", kSoftware}});
}

std::string canonicalFolder(const std::string& folder) {
    if (folder.empty()) {
        return folder;
    }
    std::error_code error;
    const fs::path canonical = fs::weakly_canonical(fs::absolute(folder, error), error);
    return error ? fs::path(folder).lexically_normal().string() : canonical.string();
}

// ---- The stages of a load ----

// How the cache names one file: its URI, the name of its entries, and its length and times as
// they were when the load began.
struct CacheKey {
    std::string uri;
    std::string name;
    FileStamp stamp;
};

// The key of a file the cache may hold; none when the cache is off (no folder), when the file
// lies inside the cache folder (a thumbnail of a thumbnail would be written beside the thumbnail
// each time the folder is shown), or when it is not a readable regular file (the standard keeps
// unreadable files out of the cache; the loader says what is wrong with it).
std::optional<CacheKey> cacheKey(const std::string& cacheFolder, const std::string& path) {
    if (cacheFolder.empty()) {
        return std::nullopt;
    }
    const fs::path file = fs::path(canonicalFolder(fs::path(path).parent_path().string()));
    const std::string folderPrefix = cacheFolder == "/" ? cacheFolder : cacheFolder + "/";
    if ((file.string() + "/").compare(0, folderPrefix.size(), folderPrefix) == 0) {
        return std::nullopt;
    }
    const std::optional<FileStamp> stamp = fileStamp(path);
    if (!stamp || ::access(path.c_str(), R_OK) != 0) {
        return std::nullopt;
    }
    std::string uri = ThumbnailCache::fileUri(path);
    std::string name = ThumbnailCache::entryName(uri);
    return CacheKey{std::move(uri), std::move(name), *stamp};
}

bool hasFailureEntry(const std::string& cacheFolder, const CacheKey& key) {
    return !readValidEntry(cacheFolder + "/" + kFailFolder + "/" + key.name, key.uri, key.stamp, 0)
                .isNull();
}

// What the entries of a file gave: the picture of the first one that serves the request, and
// whether a valid "normal" entry exists (served or not).
struct EntryLookup {
    std::optional<Picture> picture;
    bool hasNormalEntry = false;
};

// Tries the file's entries, smallest first, for one that is trusted and at least as large as the
// picture is drawn at the request's size.
EntryLookup lookUpEntry(const std::string& cacheFolder, const std::string& path,
                        const CacheKey& key, const ThumbnailCache::Loader& loader, int widthPx,
                        int heightPx) {
    // The file's header is read once, and only for an entry without its size keys.
    std::optional<std::optional<Size>> header;
    auto fromHeader = [&]() -> std::optional<Size> {
        if (!header) {
            try {
                const PixelSize size = pictureNaturalSize(path);
                header = Size{size.width, size.height};
            } catch (const Error&) {
                header = std::optional<Size>();  // no picture by its header: the loader says why
            }
        }
        return *header;
    };
    EntryLookup lookup;
    for (const Flavour& flavour : kFlavours) {
        const QImage entry = readValidEntry(cacheFolder + "/" + flavour.folder + "/" + key.name,
                                            key.uri, key.stamp, flavour.sidePx);
        if (entry.isNull()) {
            continue;
        }
        lookup.hasNormalEntry = lookup.hasNormalEntry || flavour.sidePx == kNormalThumbnailPx;
        const std::optional<Size> natural = naturalSize(entry, fromHeader);
        if (!natural) {
            continue;  // not trusted: another entry may serve
        }
        // The picture is drawn fitted into the request with its shape kept, never larger than
        // its own pixels.
        const PixelSize drawn = fitSize(natural->width, natural->height, widthPx, heightPx);
        if (entry.width() < std::min(drawn.width, natural->width) ||
            entry.height() < std::min(drawn.height, natural->height)) {
            continue;  // too small for the request: a larger one may serve
        }
        try {
            lookup.picture = Picture(
                std::make_shared<CachedPictureSource>(path, loader, *natural, entryImage(entry)));
            return lookup;
        } catch (const std::bad_alloc&) {
            break;  // the loader decodes instead, and reports a real shortage of memory
        }
    }
    return lookup;
}

// Decodes the file. Only a file that is no picture is remembered as failed: a missing,
// unreadable or too large file, or a shortage of memory, may load another time.
Picture decodeRememberingFailure(const std::string& cacheFolder, const std::string& path,
                                 const CacheKey& key, const ThumbnailCache::Loader& loader) {
    try {
        return loader(path);
    } catch (const Error& error) {
        if (error.number() == ErrorNumber::InvalidPicture && fileStamp(path) == key.stamp) {
            writeAtomically(cacheFolder + "/" + kFailFolder, key.name,
                            failureEntry(key.uri, key.stamp));
        }
        throw;
    }
}

// Leaves the decoded picture's "normal" entry, unless the file changed while it was decoded
// (then neither version gets one). Whether the entry could be written changes nothing for the
// caller: a cache that cannot be written to is one the picture is decoded for next time too.
void writeNormalEntry(const std::string& cacheFolder, const std::string& path, const CacheKey& key,
                      const Picture& picture) {
    if (fileStamp(path) != key.stamp) {
        return;
    }
    try {
        writeAtomically(cacheFolder + "/normal", key.name,
                        normalEntry(picture, path, key.uri, key.stamp));
    } catch (const std::bad_alloc&) {
        // No memory for the entry: the picture is shown without one.
    }
}

}  // namespace

ThumbnailCache::ThumbnailCache(std::string folder, Loader loader)
    : m_folder(canonicalFolder(folder)), m_loader(std::move(loader)) {}

std::string ThumbnailCache::fileUri(const std::string& path) {
    std::error_code error;
    fs::path absolute = fs::path(path).is_absolute() ? fs::path(path) : fs::absolute(path, error);
    const std::string normal = absolute.lexically_normal().string();
    static constexpr const char* kKept = "-_.!~*'()/&=:@+$,";
    static constexpr const char* kHex = "0123456789ABCDEF";
    std::string uri = "file://";
    for (const char c : normal) {
        const auto byte = static_cast<unsigned char>(c);
        const bool kept = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                          (byte >= '0' && byte <= '9') ||
                          (byte != 0 && std::strchr(kKept, c) != nullptr);
        if (kept) {
            uri += c;
        } else {
            uri += '%';
            uri += kHex[byte >> 4];
            uri += kHex[byte & 0xF];
        }
    }
    return uri;
}

std::string ThumbnailCache::entryName(const std::string& uri) {
    const QByteArray digest = QCryptographicHash::hash(
        QByteArray(uri.data(), static_cast<qsizetype>(uri.size())), QCryptographicHash::Md5);
    return digest.toHex().toStdString() + ".png";
}

Picture ThumbnailCache::loadPicture(const std::string& path, int widthPx, int heightPx) const {
    const std::optional<CacheKey> key = cacheKey(m_folder, path);
    if (!key) {
        return m_loader(path);
    }
    // Our own failure entry comes first: the file, as it is now, is no picture for our loader,
    // whatever thumbnail another program made of it (with a decoder of its own, or of another
    // version of the file with the same time).
    if (hasFailureEntry(m_folder, *key)) {
        throw Error(ErrorNumber::InvalidPicture);
    }
    EntryLookup lookup = lookUpEntry(m_folder, path, *key, m_loader, widthPx, heightPx);
    if (lookup.picture) {
        return std::move(*lookup.picture);
    }
    Picture picture = decodeRememberingFailure(m_folder, path, *key, m_loader);
    // A valid "normal" entry that is too small for the request (one for a finer screen's icons)
    // is left as it is.
    if (!lookup.hasNormalEntry) {
        writeNormalEntry(m_folder, path, *key, picture);
    }
    return picture;
}

std::string userThumbnailFolder() {
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache != nullptr && cache[0] == '/') {
        return std::string(cache) + "/thumbnails";
    }
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        return std::string(home) + "/.cache/thumbnails";
    }
    return std::string();
}

}  // namespace plivora
