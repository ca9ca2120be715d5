#pragma once

#include <string>

#include "win/image.h"

namespace plivora {

// How a decoder's pixels lie in an Image's words before they are turned into the display's
// colours.
enum class PixelLayout {
    Rgb,           // 0xAARRGGBB; a greyscale picture too, its three channels equal
    Cmyk,          // the bytes C, M, Y, K from the lowest up, 255 meaning full ink
    InvertedCmyk,  // the same stored inverted (255 meaning no ink), as Adobe's writers store it
};

// Turns a decoded picture's pixels into the display's colours, in place. `profile` is the ICC
// profile the file embeds; a picture without one (empty) is taken as sRGB. The display's colours
// are sRGB unless the display publishes a profile of its own (setDisplayProfile). So an sRGB
// picture on an sRGB display is left as it is, at no cost; CMYK pixels become RGB in any case.
// A profile that is damaged, of a kind that cannot describe the pixels (a CMYK profile on RGB
// pixels) or that the colour engine does not support is ignored: the pixels are taken as sRGB
// (CMYK ones turned into RGB arithmetically). Alpha is kept. Transforms are made once per
// profile and kept; several threads may call this at once.
void toDisplayColors(Image& image, const std::string& profile,
                     PixelLayout layout = PixelLayout::Rgb);

// Turns pixels in the display's colours into sRGB, in place (the thumbnail cache stores sRGB
// whatever the display). Nothing to do without a display profile.
void displayToSrgb(Image& image);

// The display's own ICC profile, read by the host when it starts; empty (the default) means the
// display shows sRGB. A profile that cannot serve as an RGB output profile is ignored.
void setDisplayProfile(std::string profile);
// Whether a usable display profile is set.
bool hasDisplayProfile();

}  // namespace plivora
