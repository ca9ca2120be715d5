#include "forms/picture_box.h"

#include "picture/image_scale.h"

namespace plivora {

ShownSize PictureBox::shownSize(const Picture& picture, int insideWidth, int insideHeight) {
    const int width = picture.width();
    const int height = picture.height();
    if (width <= insideWidth && height <= insideHeight) {
        return {width, height};
    }
    const PixelSize fitted = fitSize(width, height, insideWidth, insideHeight);
    return {fitted.width, fitted.height};
}

}  // namespace plivora
