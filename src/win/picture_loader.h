#pragma once

#include <string>

#include "win/picture.h"

namespace plivora {

// The largest picture the loader accepts, in pixels (width x height). Checked from the file's
// header before any pixel memory is taken; a larger picture fails with error 7. At 4 bytes per
// pixel a picture this large takes 1.6 GB, well within the machines the program runs on, and it
// leaves room above the 250-megapixel pictures that must open.
inline constexpr long long kMaxPicturePixels = 400LL * 1000 * 1000;

// Loads a GIF (its first image), JPEG, BMP, ICO or CUR file; the format is told from the bytes,
// not from the file name. Throws Error 53 when nothing exists at the path, 481 when it is not a
// picture the loader can decode (an empty or text file, a folder, a truncated file), 7 when it is
// too large, 75 when the file exists but cannot be read.
//
// A large JPEG is decoded at load only at a reduced scale (see jpeg_decoder.h); its full
// pixels are decoded from the file when first asked for, so the load still fails for a file that
// cannot be decoded.
//
// Every set of pixels is in the display's colours (see color_management.h): a profile the file
// embeds (JPEG APP2, a BMP's V5 header, a GIF's ICC application extension) is applied; a picture
// without one is sRGB.
Picture LoadPicture(const std::string& path);

// Loads a picture from bytes in memory (the pictures compiled into the program). The same formats
// and PNG; the same errors, except that there is no file to be missing.
Picture LoadPictureFromBytes(const std::string& bytes);

}  // namespace plivora
