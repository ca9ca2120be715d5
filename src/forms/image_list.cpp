#include "forms/image_list.h"

#include <algorithm>
#include <cmath>

#include "forms/form.h"
#include "forms/host.h"
#include "win/error.h"
#include "win/image_scale.h"

#include <utility>

namespace plivora {

ImageList::ImageList(Form& form, std::string name)
    : Control(ControlKind::ImageList, &form, std::move(name), nullptr) {
    setVisible(false);
}

void ImageList::add(const std::string& key, const Picture& picture) {
    if (contains(key)) {
        throw Error(ErrorNumber::KeyNotUnique);
    }
    if (picture.isNull()) {
        throw Error(ErrorNumber::InvalidPicture);
    }
    const double ratio = std::max(1.0, host().devicePixelRatio());
    const int width = static_cast<int>(std::lround(m_imageWidth * ratio));
    const int height = static_cast<int>(std::lround(m_imageHeight * ratio));
    m_entries.push_back({key, scaleImage(picture.imageForSize(width, height), width, height)});
}

void ImageList::addImage(const std::string& key, Image image) {
    if (contains(key)) {
        throw Error(ErrorNumber::KeyNotUnique);
    }
    if (image.isNull()) {
        throw Error(ErrorNumber::InvalidPicture);
    }
    if (image.width != m_imageWidth || image.height != m_imageHeight) {
        image = scaleImage(image, m_imageWidth, m_imageHeight);
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
