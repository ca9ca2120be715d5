#pragma once

#include <string>

#include "picture/picture.h"

namespace plivora {

class PictureInput;

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
// A large picture is decoded at load only at a reduced scale: a JPEG by libjpeg (see
// jpeg_decoder.h), the other formats shrunk row by row as they are decoded to a longer side of
// 512 pixels once it is at least 1024. Larger pixels, up to the full ones, are decoded from the
// file when first asked for (Picture::imageForSize, Picture::fullImage); the load itself reads
// every pixel, so it still fails for a file that cannot be decoded.
//
// Every set of pixels, at whatever size it is decoded, is in the display's colours (see
// color_management.h): a profile the file embeds (JPEG APP2, a BMP's V5 header, a GIF's ICC
// application extension) is applied; a picture without one is sRGB.
Picture LoadPicture(const std::string& path);

// LoadPicture for a caller that takes the full pixels at once (the GIF control's frames): every
// picture is decoded whole at load, never twice.
Picture loadPictureAtNaturalSize(const std::string& path);

// Loads a picture from bytes in memory (the pictures compiled into the program). The same formats
// and PNG; the same errors, except that there is no file to be missing.
Picture loadPictureFromBytes(const std::string& bytes);

// The natural size LoadPicture gives the file's picture (an EXIF orientation applied, a GIF's
// first image), read from the file's header without decoding any pixels. The errors of
// LoadPicture that the header can tell.
PixelSize pictureNaturalSize(const std::string& path);

// The formats the loader tells apart by their first bytes; the file name plays no part.
enum class PictureFormat { Unknown, Gif, Jpeg, Bmp, Icon, Cursor, Png };

// The format whose decoder takes the input's first bytes; Unknown when none does. Throws the
// errors of PictureInput::open.
PictureFormat pictureFormat(const PictureInput& input);

}  // namespace plivora
