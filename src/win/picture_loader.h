#pragma once

#include <string>

#include "win/picture.h"

namespace plivora {

// The largest picture the loader accepts, in pixels (width x height). Checked from the file's
// header before any pixel memory is taken; a larger picture fails with error 7.
inline constexpr long long kMaxPicturePixels = 400LL * 1000 * 1000;

// Loads a GIF (its first image), JPEG, BMP, ICO or CUR file. Throws Error 53 when the file does
// not exist, 481 when it is not a picture the loader can decode, 7 when it is too large.
Picture LoadPicture(const std::string& path);

// Loads a picture from bytes in memory (the pictures compiled into the program). Same errors,
// except that there is no file to be missing.
Picture LoadPictureFromBytes(const std::string& bytes);

}  // namespace plivora
