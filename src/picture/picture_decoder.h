#pragma once

#include <cstddef>
#include <initializer_list>
#include <span>
#include <string>

#include "picture/image_scale.h"
#include "picture/picture.h"
#include "win/image.h"

namespace plivora {

class ByteReader;
class PictureInput;

// How many of the data's first bytes a decoder's sniff is given (all of shorter data): enough
// for the longest signature, PNG's eight bytes.
inline constexpr std::size_t kSniffBytes = 8;

// The longer side, in pixels, that a reduced decode keeps at least: enough for the main window's
// display area (161 x 145 pixels at 96 DPI) and the 60 x 60 thumbnails, with room for a larger
// screen scale.
inline constexpr int kReducedMinLongSidePx = 256;

// Whether a load decodes a large picture at a reduced size, enough to show it (its larger pixels
// are decoded when first asked for), or whole at once.
enum class LoadScale { Reduced, Natural };

// One picture format's decoder, the one contract the loader holds every decoder to: it knows its
// format by the data's first bytes, reads the natural size from the header alone, and loads the
// picture in the display's colours (see color_management.h). Which decoder serves which data, and
// which data may be a picture at all, is the loader's table; a decoder is only handed data that
// its sniff took. Decoders hold no state: each is one object, never destroyed, so that a
// picture may keep asking its decoder for larger pixels for as long as it lives.
class PictureDecoder {
public:
    // Whether `head`, the data's first kSniffBytes bytes (all of shorter data), begins a picture
    // of this decoder's format.
    virtual bool sniff(std::span<const unsigned char> head) const = 0;

    // The size load gives the picture (its natural size), read from the header without decoding
    // any pixel; the errors of load that the header can tell.
    virtual PixelSize naturalSize(const PictureInput& input) const = 0;

    // The picture: with LoadScale::Reduced a large one is decoded at a size of the decoder's
    // choosing that serves the display and the thumbnails, and decodes its larger pixels from
    // `input` when they are asked for; every pixel is read either way, so a file that cannot be
    // decoded fails here. Throws Error 481 when the data is not a picture the decoder can decode
    // (cut short included), 7 when it is larger than kMaxPicturePixels, and the errors of
    // PictureInput::open.
    virtual Picture load(const PictureInput& input, LoadScale scale) const = 0;

protected:
    // Not deleted through the interface; trivial, so a decoder held in a static is never torn down.
    ~PictureDecoder() = default;
};

// Whether `head` begins with `signature`; false when it is shorter.
bool hasSignature(std::span<const unsigned char> head,
                  std::initializer_list<unsigned char> signature);

// A decoder that delivers the rows of its format at any size no larger than the natural one
// (GIF, bitmaps, PNG through QtGui), shrinking them as they are decoded (ScaledRows). A reduced
// load keeps a longer side of 2 x kReducedMinLongSidePx once the picture's is at least twice
// that; a larger size is decoded afresh when asked for (ScalingPictureSource).
class RowPictureDecoder : public PictureDecoder {
public:
    PixelSize naturalSize(const PictureInput& input) const override;
    Picture load(const PictureInput& input, LoadScale scale) const override;

    // The pixels of the data `reader` gives, as stored, at the size `decodeSize` chooses from the
    // natural size (an empty image when it chooses none: the header only, after every check that
    // needs no pixel data); `iccProfile`, when given, receives the ICC profile the data embeds
    // (empty when there is none). The errors of load.
    virtual Image decodeRows(ByteReader& reader, const DecodeSize& decodeSize,
                             std::string* iccProfile) const = 0;

protected:
    ~RowPictureDecoder() = default;
};

}  // namespace plivora
