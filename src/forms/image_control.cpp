#include "forms/image_control.h"

#include "forms/form.h"
#include "forms/host.h"

namespace plivora {

void ImageControl::setPicture(const Picture& picture) {
    m_picture = picture;
    if (!m_stretch && !m_picture.isNull()) {
        // The picture's natural size in the container's units.
        const Form& owner = *form();
        const float widthTwips = static_cast<float>(m_picture.width()) * host().twipsPerPixelX();
        const float heightTwips = static_cast<float>(m_picture.height()) * host().twipsPerPixelY();
        move(left(), top(), widthTwips / owner.unitsToTwipsX(),
             heightTwips / owner.unitsToTwipsY());
    }
    notify(ViewChange::Content);
}

void ImageControl::setStretch(bool stretch) {
    if (stretch == m_stretch) {
        return;
    }
    m_stretch = stretch;
    notify(ViewChange::Content);
}

}  // namespace plivora
