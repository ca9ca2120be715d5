#include "gifctl/gif_stream.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "win/error.h"

namespace plivora {

namespace {

constexpr std::uint8_t kImageSeparator = 0x2C;
constexpr std::uint8_t kExtensionIntroducer = 0x21;
constexpr std::uint8_t kTrailer = 0x3B;
constexpr std::uint8_t kApplicationLabel = 0xFF;
constexpr std::uint8_t kCommentLabel = 0xFE;
constexpr std::uint8_t kGraphicControlLabel = 0xF9;
constexpr std::uint8_t kPlainTextLabel = 0x01;
// The signature with its version and the logical screen descriptor.
constexpr std::int64_t kHeaderBytes = 13;
// The image separator and the descriptor's nine bytes; a local table follows them.
constexpr std::int64_t kImageDescriptorBytes = 10;

// The file image read by position, the first byte at position 1. Every read is checked; a
// position outside the file is error 9, the way a truncated file is reported.
class FileImage {
public:
    explicit FileImage(std::vector<std::uint8_t>& bytes) : m_bytes(bytes) {}

    std::int64_t length() const { return static_cast<std::int64_t>(m_bytes.size()); }

    std::uint8_t at(std::int64_t pos) const { return m_bytes[index(pos)]; }
    int word(std::int64_t pos) const { return at(pos) | (at(pos + 1) << 8); }
    void set(std::int64_t pos, std::uint8_t value) { m_bytes[index(pos)] = value; }

    // Follows a chain of data sub-blocks whose last data byte so far is at `q`: while the byte
    // after it (the next size byte) is not 0, steps over that sub-block. Returns the position of
    // the chain's last data byte; its terminator follows it.
    std::int64_t followChain(std::int64_t q) const {
        while (at(q + 1) != 0) {
            q = q + 1 + at(q + 1);
        }
        return q;
    }

private:
    std::size_t index(std::int64_t pos) const {
        if (pos < 1 || pos > length()) {
            throw Error(ErrorNumber::SubscriptOutOfRange);
        }
        return static_cast<std::size_t>(pos - 1);
    }

    std::vector<std::uint8_t>& m_bytes;
};

int tableEntries(std::uint8_t sizeCode) {
    return 1 << (sizeCode + 1);
}

// A three-bit field assembled from its bits, highest first.
std::uint8_t threeBits(std::uint8_t byte, int lowestBit) {
    return static_cast<std::uint8_t>((byte >> lowestBit) & 0x07);
}

COLORREF entryColour(const std::uint8_t* table, int entry) {
    const std::uint8_t* rgb = table + 3 * entry;
    return RGB(rgb[0], rgb[1], rgb[2]);
}

// Half of a whole number, rounded to the nearest integer with halves going to the even one.
std::uint32_t halfRoundedToEven(std::uint32_t value) {
    std::uint32_t half = value / 2;
    if (value % 2 == 1 && half % 2 == 1) {
        ++half;
    }
    return half;
}

// The colour that makes a frame's transparent entry unique in its table, or nothing when it is
// unique already. `table` holds the frame's entries as the file has them, never another frame's
// recolouring. The new value is half the second largest entry value, rounded with halves to the
// even number. Where that is still the value of an entry (every other entry black gives black
// again, or the table holds that value already), keying on it would remove opaque pixels after
// all, so the nearest 24-bit value above it that no entry holds is taken instead.
std::optional<COLORREF> uniqueTransparentColour(const std::uint8_t* table, int entries,
                                                int transparent) {
    // The entry must lie inside the table; one beyond it has no bytes of its own to recolour
    // (writing there would change the blocks that follow the table).
    if (transparent >= entries) {
        return std::nullopt;
    }
    const COLORREF key = entryColour(table, transparent);
    std::vector<COLORREF> values;
    values.reserve(static_cast<std::size_t>(entries));
    bool collision = false;
    for (int e = 0; e < entries; ++e) {
        values.push_back(entryColour(table, e));
        if (e != transparent && values.back() == key) {
            collision = true;
        }
    }
    if (!collision) {
        return std::nullopt;
    }
    std::uint32_t largest = 0;
    std::uint32_t second = 0;
    for (COLORREF v : values) {
        if (v > largest) {
            second = largest;
            largest = v;
        } else if (v > second) {
            second = v;
        }
    }
    // At most 256 values are held and the start is at most 0x800000, so a free value below
    // 0x1000000 is always found.
    std::sort(values.begin(), values.end());
    COLORREF replacement = halfRoundedToEven(second);
    while (std::binary_search(values.begin(), values.end(), replacement)) {
        ++replacement;
    }
    return replacement;
}

void setEntryColour(std::uint8_t* table, int entry, COLORREF colour) {
    table[3 * entry] = static_cast<std::uint8_t>(colour & 0xFF);
    table[3 * entry + 1] = static_cast<std::uint8_t>((colour >> 8) & 0xFF);
    table[3 * entry + 2] = static_cast<std::uint8_t>((colour >> 16) & 0xFF);
}

// The walk's stages. Positions count from 1, as FileImage reads them.

// The logical screen descriptor and the global table after it. Returns the length of the header
// part that every frame file starts with: signature, screen descriptor and global table.
std::int64_t readScreen(const FileImage& image, GifScreen& screen) {
    screen.width = image.word(7);
    screen.height = image.word(9);
    std::uint8_t flags = image.at(11);
    screen.backgroundIndex = image.at(12);
    screen.pixelAspectRatio = image.at(13);
    screen.hasGlobalTable = (flags & 0x80) != 0;
    screen.colourResolution = threeBits(flags, 4);
    screen.globalTableSorted = (flags & 0x08) != 0;
    screen.globalTableSizeCode = threeBits(flags, 0);

    std::int64_t headerLength = kHeaderBytes;
    if (screen.hasGlobalTable) {
        int n = 3 * tableEntries(screen.globalTableSizeCode);
        for (int b = 0; b < n; ++b) {
            screen.globalTable[static_cast<std::size_t>(b)] = image.at(kHeaderBytes + 1 + b);
        }
        headerLength += n;
    }
    return headerLength;
}

// Whether the application extension at `pos` is an ICC colour profile block: its identifier and
// authentication code read "ICCRGBG1012".
bool isColorProfileBlock(const FileImage& image, std::int64_t pos) {
    static constexpr std::string_view kIdentifier = "ICCRGBG1012";
    if (image.at(pos + 2) != kIdentifier.size()) {
        return false;
    }
    for (std::size_t k = 0; k < kIdentifier.size(); ++k) {
        if (image.at(pos + 3 + static_cast<std::int64_t>(k)) !=
            static_cast<std::uint8_t>(kIdentifier[k])) {
            return false;
        }
    }
    return true;
}

// The block walk from `pos` up to the next image separator, the trailer or the end of the file:
// steps over extension blocks and keeps the values of a graphic control block in `record`.
// Returns the position where the walk stopped; the caller tells an image from the end by the
// byte there and the file's length.
std::int64_t walkExtensions(const FileImage& image, std::int64_t pos, GifFrameRecord& record,
                            GifSegment& colorProfileBlock) {
    const std::int64_t length = image.length();
    for (;;) {
        std::uint8_t byte = image.at(pos);
        // A trailer can stand here only right after the header (after an image and after every
        // step the trailer is tested below); such a file simply has no image, rather than one to
        // be walked past its end.
        if (byte == kImageSeparator || byte == kTrailer) {
            return pos;
        }
        if (byte == kExtensionIntroducer) {
            switch (image.at(pos + 1)) {
                case kApplicationLabel: {
                    // Introducer, label, block size 11 and 11 bytes of identifier and
                    // authentication code come before the first sub-block's size byte.
                    const std::int64_t start = pos;
                    pos = image.followChain(pos + 14 + image.at(pos + 14));
                    // The block runs to its terminator, the byte after the last data byte.
                    if (colorProfileBlock.start == 0 && isColorProfileBlock(image, start)) {
                        colorProfileBlock = GifSegment{start, pos + 2};
                    }
                    break;
                }
                case kCommentLabel:
                    pos = image.followChain(pos + 2 + image.at(pos + 2)) + 1;
                    break;
                case kGraphicControlLabel: {
                    // A later graphic control block before the same image overrides an earlier
                    // one.
                    record.packed = image.at(pos + 3);
                    record.delay = image.word(pos + 4);
                    record.transparentIndex = image.at(pos + 6);
                    record.disposalMethod = threeBits(record.packed, 2);
                    record.userInput = (record.packed & 0x02) != 0;
                    record.hasTransparency = (record.packed & 0x01) != 0;
                    pos += 7;
                    break;
                }
                case kPlainTextLabel:
                    // The 12-byte text grid block follows the block size byte.
                    pos = image.followChain(pos + 15 + image.at(pos + 15));
                    break;
                default:
                    // An unknown label is stepped over like any other byte, so its data bytes
                    // are looked at one by one as the walk goes on.
                    break;
            }
        }
        pos += 1;
        if (image.at(pos) == kTrailer || pos >= length) {
            return pos;
        }
    }
}

// The image descriptor whose separator is at `separator`, its local table and the image data's
// code size. Returns the position of the image data's block terminator.
std::int64_t readDescriptor(const FileImage& image, std::int64_t separator,
                            GifFrameRecord& record) {
    std::int64_t pos = separator;
    record.left = image.word(pos + 1);
    record.top = image.word(pos + 3);
    record.width = image.word(pos + 5);
    record.height = image.word(pos + 7);
    record.packed = image.at(pos + 9);
    record.hasLocalTable = (record.packed & 0x80) != 0;
    record.interlaced = (record.packed & 0x40) != 0;
    record.localTableSorted = (record.packed & 0x20) != 0;
    record.localTableSizeCode = threeBits(record.packed, 0);
    if (record.hasLocalTable) {
        const std::int64_t localTableStart = separator + kImageDescriptorBytes;
        int n = 3 * tableEntries(record.localTableSizeCode);
        record.localTable.resize(static_cast<std::size_t>(n));
        for (int b = 0; b < n; ++b) {
            record.localTable[static_cast<std::size_t>(b)] = image.at(localTableStart + b);
        }
        pos += n;
    }
    record.lzwMinimumCodeSize = image.at(pos + 10);
    return image.followChain(pos + 10) + 1;
}

// Recolours the transparent entry of the frame just read when another entry of its table has
// its colour. `localTableStart` is where the frame's local table lies in the file image,
// `headerLength` the length of the header part that a recoloured global table is copied from.
void makeTransparentEntryUnique(GifStream& stream, FileImage& image, GifFrameRecord& record,
                                std::int64_t localTableStart, std::int64_t headerLength) {
    const GifScreen& screen = stream.screen;
    const int t = record.transparentIndex;
    if (record.hasLocalTable) {
        // The local table lies in this frame's segment: recoloured in place, it reaches this
        // frame's file only.
        if (const std::optional<COLORREF> colour = uniqueTransparentColour(
                record.localTable.data(), tableEntries(record.localTableSizeCode), t)) {
            setEntryColour(record.localTable.data(), t, *colour);
            for (int c = 0; c < 3; ++c) {
                image.set(localTableStart + 3 * t + c,
                          record.localTable[static_cast<std::size_t>(3 * t + c)]);
            }
        }
    } else if (screen.hasGlobalTable) {
        // Every frame file carries the global table: the change goes into a copy of the header
        // for this frame alone, so that frames using the entry as an opaque colour keep it and
        // later frames test the table as the file holds it. Without a global table there is no
        // entry to recolour.
        if (const std::optional<COLORREF> colour = uniqueTransparentColour(
                screen.globalTable.data(), tableEntries(screen.globalTableSizeCode), t)) {
            record.headerPart.assign(stream.fileImage.begin(),
                                     stream.fileImage.begin() + headerLength);
            setEntryColour(record.headerPart.data() + kHeaderBytes, t, *colour);
        }
    }
}

}  // namespace

bool hasGifSignature(std::span<const std::uint8_t> fileImage) {
    if (fileImage.size() < 4) {
        throw Error(ErrorNumber::SubscriptOutOfRange);
    }
    return fileImage[0] == 'G' && fileImage[1] == 'I' && fileImage[2] == 'F' && fileImage[3] == '8';
}

GifStream walkGifStream(std::vector<std::uint8_t> bytes, bool changeTransparentColor) {
    GifStream stream;
    stream.fileImage = std::move(bytes);
    FileImage image(stream.fileImage);
    const std::int64_t length = image.length();

    const std::int64_t headerLength = readScreen(image, stream.screen);
    std::int64_t pos = headerLength + 1;
    std::int64_t segmentStart = pos;

    while (pos <= length) {
        stream.records.emplace_back();
        GifFrameRecord& record = stream.records.back();

        const bool hadColorProfile = stream.colorProfileBlock.start != 0;
        pos = walkExtensions(image, pos, record, stream.colorProfileBlock);
        if (!hadColorProfile && stream.colorProfileBlock.start != 0) {
            stream.colorProfileFrame = static_cast<int>(stream.records.size()) - 1;
        }
        if (image.at(pos) == kTrailer || pos >= length) {
            break;  // the record just opened stays, without a segment
        }

        const std::int64_t localTableStart = pos + kImageDescriptorBytes;
        pos = readDescriptor(image, pos, record);
        if (changeTransparentColor && record.hasTransparency) {
            makeTransparentEntryUnique(stream, image, record, localTableStart, headerLength);
        }

        stream.segments.push_back(GifSegment{segmentStart, pos});
        pos += 1;
        segmentStart = pos;
        if (image.at(pos) == kTrailer) {
            break;
        }
    }
    return stream;
}

std::array<std::span<const std::uint8_t>, 6> frameFileParts(const GifStream& stream, int frame) {
    static constexpr std::uint8_t kTerminator[] = {0x00};
    static constexpr std::uint8_t kEmptyGraphicControl[] = {0x21, 0xF9};
    static constexpr std::uint8_t kTrailerByte[] = {kTrailer};
    const GifSegment& first = stream.segments.at(0);
    const GifSegment& segment = stream.segments.at(static_cast<std::size_t>(frame));
    std::span<const std::uint8_t> image(stream.fileImage);
    const std::vector<std::uint8_t>& ownHeader =
        stream.records.at(static_cast<std::size_t>(frame)).headerPart;
    const GifSegment& profile = stream.colorProfileBlock;
    const bool carriesProfile = stream.colorProfileFrame >= 0 && frame > stream.colorProfileFrame;
    return {ownHeader.empty() ? image.subspan(0, static_cast<std::size_t>(first.start - 1))
                              : std::span<const std::uint8_t>(ownHeader),
            carriesProfile ? image.subspan(static_cast<std::size_t>(profile.start - 1),
                                           static_cast<std::size_t>(profile.end - profile.start))
                           : std::span<const std::uint8_t>(),
            image.subspan(static_cast<std::size_t>(segment.start - 1),
                          static_cast<std::size_t>(segment.end - segment.start)),
            kTerminator,
            kEmptyGraphicControl,
            kTrailerByte};
}

std::vector<std::uint8_t> frameFileBytes(const GifStream& stream, int frame) {
    std::vector<std::uint8_t> bytes;
    for (std::span<const std::uint8_t> part : frameFileParts(stream, frame)) {
        bytes.insert(bytes.end(), part.begin(), part.end());
    }
    return bytes;
}

COLORREF transparentKeyColour(const GifStream& stream, int frame) {
    if (frame < 0 || frame >= static_cast<int>(stream.records.size())) {
        return 0;
    }
    const GifFrameRecord& record = stream.records[static_cast<std::size_t>(frame)];
    if (!record.hasTransparency) {
        return 0;
    }
    std::size_t offset = 3u * record.transparentIndex;
    if (record.hasLocalTable) {
        if (offset + 3 > record.localTable.size()) {
            return 0;
        }
        return entryColour(record.localTable.data(), record.transparentIndex);
    }
    if (!record.headerPart.empty()) {
        return entryColour(record.headerPart.data() + kHeaderBytes, record.transparentIndex);
    }
    return entryColour(stream.screen.globalTable.data(), record.transparentIndex);
}

}  // namespace plivora
