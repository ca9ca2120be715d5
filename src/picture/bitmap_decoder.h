#pragma once

#include <cstdint>
#include <string>

#include "picture/image_scale.h"
#include "win/image.h"

namespace plivora {

class ByteReader;
class PictureDecoder;

// Decodes a BMP file: the core (12-byte), OS/2 and Windows info headers up to V5, bottom-up and
// top-down rows, 1, 2, 4 and 8 bits through the palette, 16, 24 and 32 bits plain or through
// any bit-field masks (each channel scaled to the full 0-255 range), RLE8 and RLE4 with delta,
// end-of-line and an early end-of-bitmap. Pixels an RLE stream never sets are transparent black.
// A plain 32-bit file's fourth byte is padding, so such a picture is opaque; an alpha mask in
// the header or ALPHABITFIELDS gives alpha. A palette index beyond the palette is opaque black.
//
// Throws Error 481 when the data is not such a bitmap (embedded JPEG or PNG, Huffman or RLE24
// included) or ends before its last row (an RLE stream before its last row or end-of-bitmap
// code); 7 when it is larger than kMaxPicturePixels. Both are told from the header before any
// pixel memory is taken, except for an RLE stream's end.
//
// The pixels come at the size `decodeSize` chooses from the bitmap's size (at that size when it
// gives none), each row shrunk into place as it is decoded; an empty image when it asks for the
// header only, after every check that needs no pixel data.
//
// When `iccProfile` is given, it receives the ICC profile a V5 header embeds (empty when there is
// none, or when it lies past the file's end); the pixels are returned as stored.
Image decodeBitmapFile(ByteReader& reader, const DecodeSize& decodeSize = {},
                       std::string* iccProfile = nullptr);

// The BMP format's decoder for the loader: data that begins "BM", decoded by decodeBitmapFile.
// Icons and cursors have decoders of their own (icon_decoder.h) over the functions below.
const PictureDecoder& bitmapFileDecoder();

// One image of an icon or cursor file, as its directory places it.
struct IconEntry {
    std::uint64_t offset = 0;
    std::uint64_t size = 0;  // the directory's byte count, cut to what the file holds
    bool isPng = false;      // a PNG stream, which its caller decodes
};

// Chooses the image an icon or cursor file shows: the largest by the size its own bitmap or PNG
// header gives (the directory's size is often wrong, and the bitmap's is the one drawn), the
// deepest colours among equally large ones, then the first. The caller has checked that the
// file holds its whole directory. Throws Error 481 when no entry holds an image header.
IconEntry chooseIconEntry(ByteReader& reader);

// Decodes the bitmap of an icon or cursor entry: a DIB whose height counts the colour rows and
// the AND-mask rows, at the size its header gives. The AND mask makes pixels transparent in an
// entry of up to 24 bits; a 32-bit entry has its own alpha, and its mask serves only when that
// alpha is zero everywhere (it was never written). Errors as decodeBitmapFile; an entry of up to
// 24 bits without its mask rows is cut short. An entry whose V5 header embeds a profile where the
// mask rows would stand has no mask (its pixels are opaque). The size and `iccProfile` as for
// decodeBitmapFile.
Image decodeIconBitmap(ByteReader& reader, const IconEntry& entry,
                       const DecodeSize& decodeSize = {}, std::string* iccProfile = nullptr);

}  // namespace plivora
