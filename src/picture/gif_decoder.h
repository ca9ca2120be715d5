#pragma once

#include <string>

#include "picture/image_scale.h"
#include "win/image.h"

namespace plivora {

class ByteReader;
class PictureDecoder;

// Decodes the first image of a GIF stream through giflib, the way the GIF control expects a
// single-frame file to come back from the picture loader: at the image's own width and height
// (not the logical screen's), its top-left pixel at the origin, every pixel the colour of its
// table entry. The transparent entry named by a graphic control extension before the image keeps
// its table colour and gets alpha 0; every other pixel is opaque. Composing frames onto the
// logical screen is left to the GIF control.
//
// The pixels come at the size `decodeSize` chooses from the image's size (at that size when it
// gives none), shrunk row by row as they are decoded; an empty image when it asks for the header
// only, after every check below that needs no pixel data.
//
// Throws Error 481 when the stream is not a GIF, holds no image, has no colour table for its
// first image, or ends before that image's pixels are complete (told from the descriptor, before
// any pixel memory is taken, when the rest of the stream is too short to encode that many pixels
// at LZW's highest compression); 7 when the image is larger than kMaxPicturePixels.
//
// When `iccProfile` is given, it receives the ICC profile of an "ICCRGBG1012" application
// extension before the image (empty when there is none); the pixels are the table's colours.
Image decodeFirstGifImage(ByteReader& reader, const DecodeSize& decodeSize = {},
                          std::string* iccProfile = nullptr);

// The GIF format's decoder for the loader: data that begins "GIF8", decoded row by row by
// decodeFirstGifImage.
const PictureDecoder& gifDecoder();

}  // namespace plivora
