#pragma once

#include <memory>

#include "picture/picture.h"
#include "picture/picture_decoder.h"
#include "picture/picture_input.h"

namespace plivora {

// Opens a JPEG through libjpeg. The size is read from the header and checked before any pixels
// are decoded. A picture whose longer side is at least twice kReducedMinLongSidePx is decoded at
// once only at the smallest of libjpeg's 1/2, 1/4 and 1/8 scales that keeps that side at least
// kReducedMinLongSidePx, at the size libjpeg gives that scale (a side not divisible by the scale
// rounds up); this costs little more than reading the file. Its full pixels are decoded when
// first asked for. Every other picture, and every picture with LoadScale::Natural, is decoded
// whole at once.
//
// An EXIF orientation (APP1, tag 0x0112) is applied: the picture's size and every set of its
// pixels are upright, as a camera held sideways meant them. Every set of pixels is turned into the
// display's colours (toDisplayColors) with the profile of the APP2 "ICC_PROFILE" segments; CMYK
// pixels (inverted when Adobe's APP14 segment is present) become RGB.
//
// Throws Error 481 when the data cannot be decoded or ends early, 7 when the picture is larger
// than kMaxPicturePixels, and the errors of PictureInput::open.
std::shared_ptr<PictureSource> decodeJpeg(const PictureInput& input,
                                          LoadScale scale = LoadScale::Reduced);

// The upright size decodeJpeg gives, from the header and the EXIF orientation alone; its errors.
PixelSize jpegNaturalSize(const PictureInput& input);

// The JPEG format's decoder for the loader: data that begins with a start-of-image marker and
// another marker, loaded by decodeJpeg, its natural size from jpegNaturalSize.
const PictureDecoder& jpegDecoder();

}  // namespace plivora
