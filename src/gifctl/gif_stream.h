#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "win/gdi.h"

namespace plivora {

// Values of the logical screen descriptor and the global colour table.
struct GifScreen {
    // The file's fields are unsigned 16-bit; they are held as they are, so a size of 40000 stays
    // 40000 rather than turning negative.
    int width = 0;
    int height = 0;
    std::uint8_t backgroundIndex = 0;
    std::uint8_t pixelAspectRatio = 0;
    bool hasGlobalTable = false;
    std::uint8_t colourResolution = 0;
    bool globalTableSorted = false;
    std::uint8_t globalTableSizeCode = 0;
    // The global colour table as the file holds it, in its first 3 * 2^(code + 1) bytes (red,
    // green, blue); the rest is zero, so an entry beyond the table reads as black. A frame that
    // recolours a global entry does so in a copy of its own (GifFrameRecord::headerPart).
    std::array<std::uint8_t, 768> globalTable{};
};

// What drawing and timing need of one image, with the descriptor's other values kept.
struct GifFrameRecord {
    int left = 0;  // unsigned 16-bit file fields, like the screen's
    int top = 0;
    int width = 0;
    int height = 0;
    std::uint8_t packed = 0;  // the graphic control packed byte, then the descriptor's
    bool hasLocalTable = false;
    bool interlaced = false;
    bool localTableSorted = false;
    std::uint8_t localTableSizeCode = 0;
    std::vector<std::uint8_t> localTable;  // 3 * 2^(code + 1) bytes when hasLocalTable
    // The header part of this frame's file when it differs from the file's own: signature, screen
    // descriptor and the global table with this frame's transparent entry recoloured. Empty when
    // the frame's file starts with the file's own header bytes.
    std::vector<std::uint8_t> headerPart;
    std::uint8_t lzwMinimumCodeSize = 0;
    int delay = 0;  // hundredths of a second, the file's unsigned 16-bit value (0 to 65535)
    std::uint8_t transparentIndex = 0;
    std::uint8_t disposalMethod = 0;
    bool userInput = false;
    bool hasTransparency = false;
};

// The bytes of the file image that belong to one image: from the first byte after the previous
// image's data (or after the header for the first image) up to, not including, the block
// terminator of its own image data. Positions count from 1, as the walk does.
struct GifSegment {
    std::int64_t start = 0;
    std::int64_t end = 0;
};

// One GIF file walked block by block: its bytes (recoloured where asked), its header values, a
// record per image and the segment of every image. `records` may hold one entry more than
// `segments`: the walk opens a record before it knows whether another image follows.
struct GifStream {
    std::vector<std::uint8_t> fileImage;
    GifScreen screen;
    std::vector<GifFrameRecord> records;
    std::vector<GifSegment> segments;
    // The file's colour profile block (an ICCRGBG1012 application extension), when it has one, and
    // the frame whose segment holds it; every later frame's file carries a copy, so that each frame
    // is decoded in the same colours.
    GifSegment colorProfileBlock;
    int colorProfileFrame = -1;

    int frameCount() const { return static_cast<int>(segments.size()); }
};

// Whether bytes 1 to 4 are "GIF8"; the version bytes after them are not looked at, so 87a and
// 89a files both pass. Throws Error 9 when the file is shorter than four bytes.
bool hasGifSignature(std::span<const std::uint8_t> fileImage);

// Walks a file image that has the GIF signature. The walk does not decode: it finds each image
// by stepping over the blocks before it, records the graphic control values that precede it
// and the descriptor's values, and marks its segment. Bytes that begin no known block are
// stepped over one at a time. With `changeTransparentColor`, a frame whose transparent colour
// also belongs to another entry of its table has its transparent entry recoloured, so that colour
// keying cannot remove opaque pixels: a local table in place (it lies in the frame's own segment),
// the global table in a copy that only this frame's file carries. Every read is bounds-checked: a
// file that ends inside a block throws Error 9. A walk that reaches the end of the file without a
// trailer ends quietly with the images found so far.
GifStream walkGifStream(std::vector<std::uint8_t> fileImage, bool changeTransparentColor);

// The single-image GIF file of frame `frame`, in its six parts: the header with the global
// table (the file image before frame 0's segment, or the frame's own recoloured copy of it), the
// file's colour profile block for a frame after the one that holds it (empty otherwise), the
// frame's segment, the block terminator 0x00, an empty graphic control introducer 0x21 0xF9, and
// the trailer 0x3B.
std::array<std::span<const std::uint8_t>, 6> frameFileParts(const GifStream& stream, int frame);
// The same parts joined into one file.
std::vector<std::uint8_t> frameFileBytes(const GifStream& stream, int frame);

// The colour of frame `frame`'s transparent entry, from its local table when it has one and
// from the global table its file carries otherwise; black when the frame has no transparency or the
// entry lies beyond its table.
COLORREF transparentKeyColour(const GifStream& stream, int frame);

}  // namespace plivora
