#pragma once

#include "picture/image_scale.h"
#include "picture/picture_input.h"
#include "win/image.h"

namespace plivora {

// Decodes a PNG stream (the program's own pictures, and PNG images inside icons) through QtGui's
// image reader. The size is read from the header and checked before any pixels are decoded. The
// pixels come at the size `decodeSize` chooses (decoded whole, then shrunk), none when it asks for
// the header only.
//
// Throws Error 481 when the data cannot be decoded or ends early, 7 when the picture is larger
// than kMaxPicturePixels, and the errors of PictureInput::open.
Image decodePngWithQt(const PictureInput& input, const DecodeSize& decodeSize = {});

}  // namespace plivora
