#pragma once

#include <string>

#include "picture/image_scale.h"
#include "win/image.h"

namespace plivora {

class ByteReader;
class PictureDecoder;

// Decodes a PNG stream (the program's own pictures, and PNG images inside icons) through QtGui's
// image reader. The size is read from the header and checked before any pixels are decoded. The
// pixels come at the size `decodeSize` chooses (decoded whole, then shrunk), none when it asks for
// the header only. QtGui's pixels are taken as sRGB: `iccProfile`, when given, is left empty.
//
// Throws Error 481 when the data cannot be decoded or ends early, 7 when the picture is larger
// than kMaxPicturePixels.
Image decodePngWithQt(ByteReader& reader, const DecodeSize& decodeSize = {},
                      std::string* iccProfile = nullptr);

// The PNG format's decoder for the loader: data that begins with PNG's signature, decoded by
// decodePngWithQt, always whole (only small pictures are PNG).
const PictureDecoder& pngDecoder();

}  // namespace plivora
