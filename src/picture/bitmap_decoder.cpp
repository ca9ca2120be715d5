#include "picture/bitmap_decoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "picture/picture_decoder.h"
#include "picture/picture_input.h"
#include "win/error.h"

namespace plivora {
namespace {

constexpr std::uint64_t kFileHeaderBytes = 14;

// Compression values of the info header.
constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kRle8 = 1;
constexpr std::uint32_t kRle4 = 2;
constexpr std::uint32_t kBitFields = 3;
constexpr std::uint32_t kAlphaBitFields = 6;

// The colour space type of a V4 or V5 header that says a profile follows in the file.
constexpr std::uint32_t kProfileEmbedded = 0x4D424544;  // 'MBED'

[[noreturn]] void invalid() {
    throw Error(ErrorNumber::InvalidPicture);
}

std::uint16_t u16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t u32(const unsigned char* p) {
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

std::uint32_t u32BigEndian(const unsigned char* p) {
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) |
           std::uint32_t(p[3]);
}

// Reads up to `size` bytes at `offset`; how many it got.
std::size_t readAt(ByteReader& reader, std::uint64_t offset, void* buffer, std::size_t size) {
    return reader.seek(offset) ? reader.read(buffer, size) : 0;
}

void readExactlyAt(ByteReader& reader, std::uint64_t offset, void* buffer, std::size_t size) {
    if (readAt(reader, offset, buffer, size) != size) {
        invalid();
    }
}

// The bytes from an offset on, read in blocks. Each block is read from where the last one ended,
// so streams at two places of one reader may take turns.
class Stream {
public:
    Stream(ByteReader& reader, std::uint64_t offset)
        : m_reader(reader), m_buffer(1 << 16), m_next(offset) {}

    // The next byte, or -1 at the end of the data.
    int next() {
        if (m_pos == m_end && !refill()) {
            return -1;
        }
        return m_buffer[m_pos++];
    }

    // Fills `out` with the next `size` bytes; false when the data ends first.
    bool read(unsigned char* out, std::size_t size) {
        while (size > 0) {
            if (m_pos == m_end && !refill()) {
                return false;
            }
            const std::size_t count = std::min(size, m_end - m_pos);
            std::memcpy(out, m_buffer.data() + m_pos, count);
            m_pos += count;
            out += count;
            size -= count;
        }
        return true;
    }

private:
    bool refill() {
        m_pos = 0;
        m_end = readAt(m_reader, m_next, m_buffer.data(), m_buffer.size());
        m_next += m_end;
        return m_end > 0;
    }

    ByteReader& m_reader;
    std::vector<unsigned char> m_buffer;
    std::uint64_t m_next;
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
};

// One colour channel of a bit-field layout: the masked bits, shifted down, scaled from 0..max to
// 0..255 with rounding, through a table when the channel is at most 16 bits wide.
class Channel {
public:
    Channel() = default;
    explicit Channel(std::uint32_t mask)
        : m_mask(mask),
          m_shift(mask == 0 ? 0 : std::countr_zero(mask)),
          m_max(mask == 0 ? 0 : mask >> m_shift) {
        if (m_max <= 0xFFFF) {
            m_table.resize(m_max + 1);
            for (std::uint32_t value = 0; value <= m_max; ++value) {
                m_table[value] = scale(value);
            }
        }
    }

    bool present() const { return m_mask != 0; }
    std::uint32_t mask() const { return m_mask; }

    std::uint32_t operator()(std::uint32_t pixel) const {
        const std::uint32_t value = (pixel & m_mask) >> m_shift;
        return m_table.empty() ? scale(value) : m_table[value];
    }

private:
    std::uint8_t scale(std::uint32_t value) const {
        if (m_max == 0) {
            return 0;
        }
        return static_cast<std::uint8_t>((std::uint64_t(value) * 255 + m_max / 2) / m_max);
    }

    std::uint32_t m_mask = 0;
    int m_shift = 0;
    std::uint32_t m_max = 0;
    std::vector<std::uint8_t> m_table;
};

enum class DibKind { File, IconEntry };

// What the info header, its masks and its palette say.
struct Dib {
    long long width = 0;
    long long height = 0;  // the colour rows only; an icon entry's header counts the mask too
    bool topDown = false;
    int bitsPerPixel = 0;
    std::uint32_t compression = kRgb;
    Channel red, green, blue, alpha;  // for 16, 24 and 32 bits; no alpha mask means opaque
    // Every index a byte can hold; those past the file's palette are opaque black.
    std::array<std::uint32_t, 256> palette{};
    std::uint64_t pixelOffset = 0;  // where the rows (or the RLE stream) begin
    // A V5 header's embedded ICC profile, from the file's start; size 0 when there is none.
    std::uint64_t profileOffset = 0;
    std::uint64_t profileSize = 0;

    std::uint64_t rowBytes() const {
        return (std::uint64_t(width) * std::uint64_t(bitsPerPixel) + 31) / 32 * 4;
    }
};

bool validDepth(std::uint32_t compression, int bits) {
    switch (compression) {
        case kRgb:
            return bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16 || bits == 24 ||
                   bits == 32;
        case kRle8:
            return bits == 8;
        case kRle4:
            return bits == 4;
        case kBitFields:
        case kAlphaBitFields:
            return bits == 16 || bits == 24 || bits == 32;
        default:
            return false;
    }
}

// The info header as the file holds it, as many bytes as its own size field counts: 12 is the
// core header, 16 to 64 the OS/2 ones, 40, 52, 56, 108 and 124 the Windows ones.
struct InfoHeader {
    std::array<unsigned char, 124> bytes{};
    std::uint32_t size = 0;

    const unsigned char* data() const { return bytes.data(); }
    bool isCore() const { return size == 12; }
    // How many palette entries the header counts; 0 when it counts none (the core header never
    // does).
    std::uint32_t colorsUsed() const { return size >= 36 ? u32(data() + 32) : 0; }
    // The core header's palette entries are three bytes (B, G, R), the others' four.
    std::uint64_t paletteEntryBytes() const { return isCore() ? 3 : 4; }
};

InfoHeader readInfoHeader(ByteReader& reader, std::uint64_t at) {
    InfoHeader header;
    readExactlyAt(reader, at, header.bytes.data(), 4);
    header.size = u32(header.data());
    if (!header.isCore() && (header.size < 16 || header.size > header.bytes.size())) {
        invalid();
    }
    readExactlyAt(reader, at, header.bytes.data(), header.size);
    return header;
}

// The picture's size, row order, depth and compression, checked: a depth the compression does
// not allow, a compression an OS/2 header gives another meaning, or a size the loader refuses is
// no picture. An icon entry's height counts its mask rows too; only the colour rows are kept.
Dib readGeometry(const InfoHeader& header, DibKind kind) {
    const unsigned char* h = header.data();
    Dib dib;
    if (header.isCore()) {
        dib.width = u16(h + 4);
        dib.height = u16(h + 6);
        dib.bitsPerPixel = u16(h + 10);
    } else {
        dib.width = static_cast<std::int32_t>(u32(h + 4));
        dib.height = static_cast<std::int32_t>(u32(h + 8));
        dib.bitsPerPixel = u16(h + 14);
        dib.compression = header.size >= 20 ? u32(h + 16) : kRgb;
        // In the OS/2 headers 3 and 4 mean Huffman 1D and RLE24, which are not decoded.
        const bool os2 = header.size != 40 && header.size != 52 && header.size != 56 &&
                         header.size != 108 && header.size != 124;
        if (os2 && dib.compression >= kBitFields) {
            invalid();
        }
    }
    if (dib.height < 0) {
        dib.topDown = true;
        dib.height = -dib.height;
    }
    if (kind == DibKind::IconEntry) {
        dib.height /= 2;
    }
    if (!validDepth(dib.compression, dib.bitsPerPixel)) {
        invalid();
    }
    checkPictureSize(dib.width, dib.height);
    return dib;
}

// The channel masks (red, green, blue, alpha) of 16-, 24- and 32-bit pixels, read from the header
// or from the bytes at `next` after it; gives where the bytes after any masks begin.
std::uint64_t readMasks(ByteReader& reader, const InfoHeader& header, DibKind kind,
                        std::uint64_t next, Dib& dib) {
    std::uint32_t masks[4] = {};
    if (dib.compression == kBitFields || dib.compression == kAlphaBitFields) {
        const int count = dib.compression == kAlphaBitFields ? 4 : 3;
        if (header.size >= 52) {
            // The masks are part of the header; V3 (56) and later add the alpha mask.
            for (int i = 0; i < 3 || (i < 4 && header.size >= 56); ++i) {
                masks[i] = u32(header.data() + 40 + 4 * i);
            }
        } else {
            unsigned char bytes[16] = {};
            readExactlyAt(reader, next, bytes, static_cast<std::size_t>(4 * count));
            for (int i = 0; i < count; ++i) {
                masks[i] = u32(bytes + 4 * i);
            }
            next += static_cast<std::uint64_t>(4 * count);
        }
    } else if (dib.bitsPerPixel == 16) {
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
    } else if (dib.bitsPerPixel >= 24) {
        masks[0] = 0xFF0000;
        masks[1] = 0x00FF00;
        masks[2] = 0x0000FF;
    }
    // An icon's 32-bit pixels carry alpha in the byte the colour masks leave; a file's do only
    // when its header gives an alpha mask.
    if (kind == DibKind::IconEntry && dib.bitsPerPixel == 32 && masks[3] == 0 &&
        ((masks[0] | masks[1] | masks[2]) & 0xFF000000u) == 0) {
        masks[3] = 0xFF000000u;
    }
    if (dib.bitsPerPixel >= 16) {
        dib.red = Channel(masks[0]);
        dib.green = Channel(masks[1]);
        dib.blue = Channel(masks[2]);
        dib.alpha = Channel(masks[3]);
    }
    return next;
}

// The palette at `next`: as many entries as the header counts (all the depth can index when it
// counts none). A count beyond the depth's reach is read only as far as an index can reach, but
// an entry's rows still follow the whole of it. Gives where the bytes after the palette begin.
std::uint64_t readPalette(ByteReader& reader, const InfoHeader& header, DibKind kind,
                          std::uint64_t fileDataOffset, std::uint64_t next, Dib& dib) {
    const std::uint64_t entryBytes = header.paletteEntryBytes();
    const std::uint64_t paletteCount = header.colorsUsed() != 0 ? header.colorsUsed()
                                       : dib.bitsPerPixel <= 8  ? (1u << dib.bitsPerPixel)
                                                                : 0;
    if (dib.bitsPerPixel <= 8) {
        std::uint64_t used = std::min<std::uint64_t>(paletteCount, 1u << dib.bitsPerPixel);
        // A file may keep fewer entries than its header implies (the core header counts none):
        // its rows begin where its file header says, and the palette ends there.
        if (kind == DibKind::File && fileDataOffset > next) {
            used = std::min(used, (fileDataOffset - next) / entryBytes);
        }
        std::vector<unsigned char> bytes(static_cast<std::size_t>(used * entryBytes));
        readExactlyAt(reader, next, bytes.data(), bytes.size());
        dib.palette.fill(0xFF000000u);
        for (std::size_t i = 0; i < used; ++i) {
            const unsigned char* entry = bytes.data() + i * entryBytes;
            dib.palette[i] = 0xFF000000u | (std::uint32_t(entry[2]) << 16) |
                             (std::uint32_t(entry[1]) << 8) | entry[0];
        }
    }
    return next + paletteCount * entryBytes;
}

// Where a V5 header's embedded profile lies; its offset counts from the start of the info header
// at `at`.
void findProfile(const InfoHeader& header, std::uint64_t at, Dib& dib) {
    if (header.size >= 124 && u32(header.data() + 56) == kProfileEmbedded) {
        dib.profileOffset = at + u32(header.data() + 112);
        dib.profileSize = u32(header.data() + 116);
    }
}

// Reads the info header at `at` and what follows it: masks, palette, the place of the profile and
// of the rows. A file's rows begin where its file header says (`fileDataOffset`) unless that
// points into the headers, where it cannot be meant; an entry's right after its palette.
Dib readDib(ByteReader& reader, std::uint64_t at, DibKind kind, std::uint64_t fileDataOffset) {
    const InfoHeader header = readInfoHeader(reader, at);
    Dib dib = readGeometry(header, kind);
    const std::uint64_t headersEnd = at + header.size;
    const std::uint64_t masksEnd = readMasks(reader, header, kind, headersEnd, dib);
    const std::uint64_t paletteEnd =
        readPalette(reader, header, kind, fileDataOffset, masksEnd, dib);
    findProfile(header, at, dib);
    dib.pixelOffset =
        kind == DibKind::File && fileDataOffset >= headersEnd ? fileDataOffset : paletteEnd;
    return dib;
}

// Turns one stored row into pixels.
void convertRow(const Dib& dib, const unsigned char* row, std::uint32_t* out) {
    const long long width = dib.width;
    const int bits = dib.bitsPerPixel;
    if (bits == 8) {
        for (long long x = 0; x < width; ++x) {
            out[x] = dib.palette[row[x]];
        }
        return;
    }
    if (bits < 8) {
        const unsigned mask = (1u << bits) - 1;
        for (long long x = 0; x < width; ++x) {
            const long long bit = x * bits;
            out[x] = dib.palette[(row[bit / 8] >> (8 - bits - bit % 8)) & mask];
        }
        return;
    }
    const int bytes = bits / 8;
    // The common layouts, 8 bits a channel in B, G, R (, A) order, without the tables.
    if (bits >= 24 && dib.red.mask() == 0xFF0000u && dib.green.mask() == 0x00FF00u &&
        dib.blue.mask() == 0x0000FFu && (!dib.alpha.present() || dib.alpha.mask() == 0xFF000000u)) {
        const bool alpha = dib.alpha.present();
        for (long long x = 0; x < width; ++x) {
            const unsigned char* p = row + x * bytes;
            const std::uint32_t a = alpha ? p[3] : 0xFFu;
            out[x] = (a << 24) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[1]) << 8) | p[0];
        }
        return;
    }
    for (long long x = 0; x < width; ++x) {
        const unsigned char* p = row + x * bytes;
        std::uint32_t value = p[0] | (std::uint32_t(p[1]) << 8);
        if (bytes >= 3) {
            value |= std::uint32_t(p[2]) << 16;
        }
        if (bytes == 4) {
            value |= std::uint32_t(p[3]) << 24;
        }
        const std::uint32_t a = dib.alpha.present() ? dib.alpha(value) : 0xFF;
        out[x] = (a << 24) | (dib.red(value) << 16) | (dib.green(value) << 8) | dib.blue(value);
    }
}

std::size_t imageRow(const Dib& dib, long long storedRow) {
    return static_cast<std::size_t>(dib.topDown ? storedRow : dib.height - 1 - storedRow);
}

// Reads the uncompressed rows; the caller has checked that the data holds all of them.
void readRows(ByteReader& reader, const Dib& dib, ScaledRows& rows) {
    Stream stream(reader, dib.pixelOffset);
    std::vector<unsigned char> row(static_cast<std::size_t>(dib.rowBytes()));
    for (long long y = 0; y < dib.height; ++y) {
        if (!stream.read(row.data(), row.size())) {
            invalid();
        }
        const int at = static_cast<int>(imageRow(dib, y));
        convertRow(dib, row.data(), rows.row(at));
        rows.addRow(at);
    }
}

// Decodes an RLE8 or RLE4 stream one row at a time, each row starting transparent: pixels the
// stream skips with a delta or an end of line, or leaves after an early end of bitmap, stay so.
// Runs past the right edge are clipped.
void readRle(ByteReader& reader, const Dib& dib, ScaledRows& rows) {
    Stream stream(reader, dib.pixelOffset);
    const bool four = dib.compression == kRle4;
    long long x = 0;
    long long y = 0;  // stored row; while it is within the picture, its row is open in `line`
    std::uint32_t* line = nullptr;
    auto openRow = [&] {
        line = rows.row(static_cast<int>(imageRow(dib, y)));
        std::fill_n(line, static_cast<std::size_t>(dib.width), 0x00000000u);
    };
    // Hands over the rows down to stored row `to` (each one the stream passes, as it is).
    auto moveDown = [&](long long to) {
        while (y < to && y < dib.height) {
            rows.addRow(static_cast<int>(imageRow(dib, y)));
            ++y;
            if (y < dib.height) {
                openRow();
            }
        }
        y = std::max(y, to);
    };
    auto put = [&](unsigned index) {
        if (x < dib.width && y < dib.height) {
            line[x] = dib.palette[index & 0xFF];
        }
        ++x;
    };
    auto next = [&] {
        const int byte = stream.next();
        if (byte < 0) {
            invalid();  // the stream ended before its last row or its end-of-bitmap code
        }
        return static_cast<unsigned>(byte);
    };
    openRow();
    while (y < dib.height) {
        const unsigned count = next();
        const unsigned value = next();
        if (count > 0) {
            // A run: one index repeated, or for RLE4 two alternating.
            for (unsigned i = 0; i < count && x < dib.width; ++i) {
                put(four ? (i % 2 == 0 ? value >> 4 : value & 0x0F) : value);
            }
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            moveDown(y + 1);
        } else if (value == 1) {  // end of bitmap: the rows left stay transparent
            moveDown(dib.height);
        } else if (value == 2) {  // delta: right and up (down in the picture) from here
            x += next();
            moveDown(y + next());
        } else {  // absolute: `value` indices follow, padded to a whole number of words
            const unsigned bytes = four ? (value + 1) / 2 : value;
            for (unsigned i = 0; i < bytes; ++i) {
                const unsigned byte = next();
                if (four) {
                    put(byte >> 4);
                    if (2 * i + 1 < value) {
                        put(byte & 0x0F);
                    }
                } else {
                    put(byte);
                }
            }
            if (bytes % 2 == 1) {
                next();
            }
        }
    }
}

// The embedded profile's bytes; empty when there is none or it lies past the file's end (the
// picture is then shown as sRGB, as one without a profile).
std::string readProfile(ByteReader& reader, const Dib& dib) {
    const std::uint64_t fileEnd = reader.size();
    if (dib.profileSize == 0 || dib.profileOffset > fileEnd ||
        dib.profileSize > fileEnd - dib.profileOffset) {
        return std::string();
    }
    std::string profile(static_cast<std::size_t>(dib.profileSize), '\0');
    if (readAt(reader, dib.profileOffset, profile.data(), profile.size()) != profile.size()) {
        return std::string();
    }
    return profile;
}

// Refuses uncompressed rows of `dib` that do not all lie within `dataEnd`, before the pixel
// memory is taken.
void checkRowsPresent(const Dib& dib, std::uint64_t dataEnd) {
    if (dib.pixelOffset > dataEnd ||
        dib.rowBytes() > (dataEnd - dib.pixelOffset) / std::uint64_t(dib.height)) {
        invalid();
    }
}

bool isRle(const Dib& dib) {
    return dib.compression == kRle8 || dib.compression == kRle4;
}

// The pixels' size as `decodeSize` chooses it; none when only the header was asked for.
std::optional<PixelSize> chosenSize(const Dib& dib, const DecodeSize& decodeSize) {
    const PixelSize natural{static_cast<int>(dib.width), static_cast<int>(dib.height)};
    return decodeSize ? decodeSize(natural) : natural;
}

// Decodes the rows of `dib` whose data must lie within `dataEnd`.
Image decodePixels(ByteReader& reader, const Dib& dib, std::uint64_t dataEnd,
                   const DecodeSize& decodeSize) {
    if (!isRle(dib)) {
        checkRowsPresent(dib, dataEnd);
    }
    const std::optional<PixelSize> size = chosenSize(dib, decodeSize);
    if (!size) {
        return Image();
    }
    ScaledRows rows({static_cast<int>(dib.width), static_cast<int>(dib.height)}, *size);
    if (isRle(dib)) {
        readRle(reader, dib, rows);
    } else {
        readRows(reader, dib, rows);
    }
    return rows.finish();
}

}  // namespace

Image decodeBitmapFile(ByteReader& reader, const DecodeSize& decodeSize, std::string* iccProfile) {
    unsigned char head[kFileHeaderBytes] = {};
    readExactlyAt(reader, 0, head, sizeof head);
    if (head[0] != 'B' || head[1] != 'M') {
        invalid();
    }
    const Dib dib = readDib(reader, kFileHeaderBytes, DibKind::File, u32(head + 10));
    Image image = decodePixels(reader, dib, reader.size(), decodeSize);
    if (iccProfile) {
        *iccProfile = readProfile(reader, dib);
    }
    return image;
}

IconEntry chooseIconEntry(ByteReader& reader) {
    unsigned char head[6] = {};
    readExactlyAt(reader, 0, head, sizeof head);
    const std::size_t count = u16(head + 4);
    std::vector<unsigned char> directory(16 * count);
    readExactlyAt(reader, sizeof head, directory.data(), directory.size());

    IconEntry best;
    long long bestArea = 0;
    long long bestDepth = -1;
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned char* entry = directory.data() + 16 * i;
        const std::uint64_t offset = u32(entry + 12);
        unsigned char image[26] = {};
        if (offset >= reader.size() || readAt(reader, offset, image, sizeof image) < 16) {
            continue;  // the entry points past the file: it holds no image
        }
        static const unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
        const bool png = std::memcmp(image, kPngSignature, sizeof kPngSignature) == 0;
        long long width = 0;
        long long height = 0;
        long long depth = 0;
        if (png) {
            // The IHDR chunk: width, height, bits per sample and colour type (samples per pixel).
            static const int kSamples[7] = {1, 0, 3, 1, 2, 0, 4};
            width = u32BigEndian(image + 16);
            height = u32BigEndian(image + 20);
            depth = image[24] * (image[25] < 7 ? kSamples[image[25]] : 0);
        } else if (u32(image) == 12) {
            width = u16(image + 4);
            height = u16(image + 6) / 2;
            depth = u16(image + 10);
        } else {
            width = static_cast<std::int32_t>(u32(image + 4));
            height = static_cast<std::int32_t>(u32(image + 8));
            height = (height < 0 ? -height : height) / 2;
            depth = u16(image + 14);
        }
        // PNG sides beyond 2^31 - 1 are not allowed; within it the area cannot overflow.
        if (width <= 0 || height <= 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF) {
            continue;
        }
        const long long area = width * height;
        if (area > bestArea || (area == bestArea && depth > bestDepth)) {
            best.offset = offset;
            best.size = std::min<std::uint64_t>(u32(entry + 8), reader.size() - offset);
            best.isPng = png;
            bestArea = area;
            bestDepth = depth;
        }
    }
    if (bestArea == 0) {
        invalid();
    }
    return best;
}

Image decodeIconBitmap(ByteReader& reader, const IconEntry& entry, const DecodeSize& decodeSize,
                       std::string* iccProfile) {
    const Dib dib = readDib(reader, entry.offset, DibKind::IconEntry, 0);
    if (isRle(dib)) {
        invalid();  // an icon's mask rows follow its colour rows, which RLE leaves unplaced
    }
    const std::uint64_t fileEnd = reader.size();
    checkRowsPresent(dib, fileEnd);
    // The AND mask: one bit per pixel, rows padded to 32 bits, in the colour rows' order; a set
    // bit makes the pixel transparent.
    const std::uint64_t maskRowBytes = (std::uint64_t(dib.width) + 31) / 32 * 4;
    const std::uint64_t maskOffset = dib.pixelOffset + dib.rowBytes() * std::uint64_t(dib.height);
    const bool hasMask =
        maskOffset <= fileEnd && maskRowBytes <= (fileEnd - maskOffset) / std::uint64_t(dib.height);
    // A profile where the mask would stand means the entry was written without one: its bytes
    // are no mask, and the pixels stay opaque.
    const std::uint64_t maskEnd = maskOffset + maskRowBytes * std::uint64_t(dib.height);
    const bool profileInMask = dib.profileSize != 0 && dib.profileOffset < maskEnd &&
                               maskOffset < dib.profileOffset + dib.profileSize;
    const bool ownAlpha = dib.bitsPerPixel == 32 && dib.alpha.present();
    if (!hasMask && !ownAlpha && !profileInMask) {
        invalid();
    }
    const std::optional<PixelSize> size = chosenSize(dib, decodeSize);
    if (!size) {
        return Image();
    }

    const auto width = static_cast<std::size_t>(dib.width);
    std::vector<unsigned char> colourRow(static_cast<std::size_t>(dib.rowBytes()));
    std::vector<unsigned char> maskRow(static_cast<std::size_t>(maskRowBytes));
    // A 32-bit entry's alpha serves unless it is zero everywhere: then it was never written, and
    // the pixels are opaque where the mask, if there is one, leaves them. Whether it is, a first
    // pass over the colour rows tells, before any row is kept.
    bool keepAlpha = false;
    if (ownAlpha) {
        Stream colours(reader, dib.pixelOffset);
        std::vector<std::uint32_t> line(width);
        for (long long y = 0; y < dib.height && !keepAlpha; ++y) {
            if (!colours.read(colourRow.data(), colourRow.size())) {
                invalid();
            }
            convertRow(dib, colourRow.data(), line.data());
            keepAlpha = std::any_of(line.begin(), line.end(),
                                    [](std::uint32_t argb) { return (argb >> 24) != 0; });
        }
    }
    const bool applyMask = !keepAlpha && hasMask && !profileInMask;

    ScaledRows rows({static_cast<int>(dib.width), static_cast<int>(dib.height)}, *size);
    Stream colours(reader, dib.pixelOffset);
    Stream mask(reader, maskOffset);
    for (long long y = 0; y < dib.height; ++y) {
        if (!colours.read(colourRow.data(), colourRow.size()) ||
            (applyMask && !mask.read(maskRow.data(), maskRow.size()))) {
            invalid();
        }
        const int at = static_cast<int>(imageRow(dib, y));
        std::uint32_t* out = rows.row(at);
        convertRow(dib, colourRow.data(), out);
        if (ownAlpha && !keepAlpha) {
            for (std::size_t x = 0; x < width; ++x) {
                out[x] |= 0xFF000000u;
            }
        }
        if (applyMask) {
            for (std::size_t x = 0; x < width; ++x) {
                if ((maskRow[x / 8] >> (7 - x % 8)) & 1) {
                    out[x] &= 0x00FFFFFFu;
                }
            }
        }
        rows.addRow(at);
    }
    Image image = rows.finish();
    if (iccProfile) {
        *iccProfile = readProfile(reader, dib);
    }
    return image;
}

namespace {

class BitmapFileDecoder : public RowPictureDecoder {
public:
    bool sniff(std::span<const unsigned char> head) const override {
        return hasSignature(head, {'B', 'M'});
    }
    Image decodeRows(ByteReader& reader, const DecodeSize& decodeSize,
                     std::string* iccProfile) const override {
        return decodeBitmapFile(reader, decodeSize, iccProfile);
    }
};

}  // namespace

const PictureDecoder& bitmapFileDecoder() {
    static const BitmapFileDecoder decoder;
    return decoder;
}

}  // namespace plivora
