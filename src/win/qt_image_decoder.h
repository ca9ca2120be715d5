#pragma once

#include <memory>

#include "win/picture.h"
#include "win/picture_input.h"

namespace plivora {

// The longer side, in pixels, that a reduced decode keeps at least: enough for the main window's
// display area (161 x 145 pixels at 96 DPI) and the 60 x 60 thumbnails, with room for a larger
// screen scale.
inline constexpr int kReducedMinLongSidePx = 256;

// Opens a JPEG, BMP, ICO, CUR or PNG picture through QtGui's image reader. The size is read from
// the header and checked before any pixels are decoded. A JPEG whose longer side is at least
// twice kReducedMinLongSidePx is decoded at once only at the smallest of libjpeg's 1/2, 1/4 and
// 1/8 scales that keeps that side at least kReducedMinLongSidePx, which costs little more than
// reading the file; its full pixels are decoded when first asked for. Every other picture is
// decoded whole at once. An icon or cursor file with several images gives its largest (the
// deepest colours among equally large ones, then the first).
//
// Throws Error 481 when the data cannot be decoded or ends early, 7 when the picture is larger
// than kMaxPicturePixels, and the errors of PictureInput::open.
std::shared_ptr<PictureSource> decodeWithQt(const PictureInput& input, PictureFormat format);

}  // namespace plivora
