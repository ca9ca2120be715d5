#pragma once

#include "win/image.h"

namespace plivora {

// Scales an image to exactly width x height pixels (the aspect ratio is not kept), averaging the
// source pixels that fall on each target pixel when shrinking and interpolating when enlarging.
Image scaleImage(const Image& source, int width, int height);

}  // namespace plivora
