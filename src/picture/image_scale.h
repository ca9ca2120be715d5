#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "win/image.h"

namespace plivora {

// A width and a height in pixels.
struct PixelSize {
    int width = 0;
    int height = 0;
    bool operator==(const PixelSize&) const = default;
};

// The size at which a width x height picture fills a boxWidth x boxHeight box keeping its shape,
// larger or smaller than the picture: the box's full height when the width that gives (rounded
// down) fits, otherwise the box's full width and the height it gives (rounded down). A picture
// without area takes the whole box.
PixelSize fitSize(int width, int height, int boxWidth, int boxHeight);

// A picture of `natural` size, whose pixels `source` holds at that or a reduced scale, scaled to
// fill a width x height box keeping the picture's shape (fitSize of the natural size, at least
// one pixel each way: a reduced decode may round its sides otherwise) and centred on a width x
// height image whose other pixels are transparent, so that whatever is painted under it shows
// around the picture.
Image fitImage(const Image& source, PixelSize natural, int width, int height);

// Chooses, from a picture's natural size as its header gives it, the size a decoder delivers the
// pixels at: the natural size, or no larger on either side (the rows are then shrunk as they are
// decoded, see ScaledRows). No size asks for the header only: the decoder stops, after every check
// of the header and before any pixel memory is taken, and gives an empty image.
using DecodeSize = std::function<std::optional<PixelSize>(PixelSize natural)>;

// Collects the rows of a picture as a decoder delivers them, each once and in any order, into an
// image of the target size. At the picture's own size the rows are the image's; at a smaller one
// each target pixel is the rounded mean of its box of source pixels, the same boxes and rounding
// as scaleImage's shrinking, summed as the rows come: the memory is the target image, one source
// row and the sums of the target rows still waiting for source rows (two when the rows come in
// order, all of them when they come interlaced).
class ScaledRows {
public:
    ScaledRows(PixelSize source, PixelSize target);

    // The buffer to write source row y into (source width pixels); valid until the next call.
    std::uint32_t* row(int y);
    // Takes source row y, written into row(y).
    void addRow(int y);
    // Takes source row y from pixels held elsewhere.
    void addRow(int y, const std::uint32_t* pixels);
    // The image at the target size. Every source row must have been added.
    Image finish();

private:
    struct Span {
        int first = 0;
        int end = 0;
    };
    static std::vector<Span> boxSpans(int sourceSize, int targetSize);
    void finishRow(int ty);

    PixelSize m_source;
    PixelSize m_target;
    bool m_scaled = false;
    Image m_image;
    int m_rowsAdded = 0;
    bool m_laidOut = false;  // the image's rows are all allocated (rows came out of order)
    std::vector<std::uint32_t> m_line;
    std::vector<Span> m_columns;
    std::vector<Span> m_rows;
    std::vector<std::uint64_t> m_lineSums;
    std::vector<std::vector<std::uint64_t>> m_sums;  // per target row, while it is open
    std::vector<int> m_missing;                      // source rows each target row still needs
};

// Scales an image to exactly width x height pixels (the aspect ratio is not kept), averaging the
// source pixels that fall on each target pixel when shrinking and interpolating when enlarging.
Image scaleImage(const Image& source, int width, int height);

}  // namespace plivora
