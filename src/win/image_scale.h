#pragma once

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

// Scales an image to exactly width x height pixels (the aspect ratio is not kept), averaging the
// source pixels that fall on each target pixel when shrinking and interpolating when enlarging.
Image scaleImage(const Image& source, int width, int height);

}  // namespace plivora
