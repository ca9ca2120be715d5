#include "forms/image_list.h"

#include <algorithm>
#include <cmath>

#include "forms/form.h"
#include "forms/host.h"
#include "picture/image_scale.h"
#include "win/error.h"

#include <utility>

namespace plivora {

ImageList::ImageList(Form& form, std::string name)
    : Control(ControlKind::ImageList, &form, std::move(name), nullptr) {
    setVisible(false);
}

PixelSize ImageList::deviceImageSize() const {
    const double ratio = std::max(1.0, host().devicePixelRatio());
    return {static_cast<int>(std::lround(m_imageWidth * ratio)),
            static_cast<int>(std::lround(m_imageHeight * ratio))};
}

Image ImageList::makeIcon(const Picture& picture) const {
    if (picture.isNull()) {
        throw Error(ErrorNumber::InvalidPicture);
    }
    const PixelSize device = deviceImageSize();
    const PixelSize natural{picture.width(), picture.height()};
    const PixelSize fitted = fitSize(natural.width, natural.height, device.width, device.height);
    return fitImage(picture.imageForSize(fitted.width, fitted.height), natural, device.width,
                    device.height);
}

void ImageList::add(const std::string& key, const Picture& picture) {
    if (contains(key)) {
        throw Error(ErrorNumber::KeyNotUnique);
    }
    m_entries.push_back({key, makeIcon(picture)});
}

void ImageList::addImage(const std::string& key, Image image) {
    if (contains(key)) {
        throw Error(ErrorNumber::KeyNotUnique);
    }
    if (image.isNull()) {
        throw Error(ErrorNumber::InvalidPicture);
    }
    const PixelSize device = deviceImageSize();
    if (image.width != device.width || image.height != device.height) {
        image = fitImage(image, {image.width, image.height}, device.width, device.height);
    }
    m_entries.push_back({key, std::move(image)});
}

bool ImageList::contains(const std::string& key) const {
    return find(key) != nullptr;
}

const ImageList::Entry* ImageList::find(const std::string& key) const {
    for (const Entry& entry : m_entries) {
        if (entry.key == key) {
            return &entry;
        }
    }
    return nullptr;
}

void ImageList::clear() {
    m_entries.clear();
    ++m_clearCount;
}

}  // namespace plivora
