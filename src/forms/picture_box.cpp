#include "forms/picture_box.h"

#include <cstdint>

namespace plivora {

ShownSize PictureBox::shownSize(const Picture& picture, int insideWidth, int insideHeight) {
    const int width = picture.width();
    const int height = picture.height();
    if (width <= insideWidth && height <= insideHeight) {
        return {width, height};
    }
    if (width == 0 || height == 0) {
        return {insideWidth, insideHeight};
    }
    // Products in 64 bits: a side times a side of up to 2^31 each.
    const std::int64_t widthForFullHeight = std::int64_t{insideHeight} * width / height;
    if (widthForFullHeight <= insideWidth) {
        return {static_cast<int>(widthForFullHeight), insideHeight};
    }
    return {insideWidth, static_cast<int>(std::int64_t{insideWidth} * height / width)};
}

}  // namespace plivora
