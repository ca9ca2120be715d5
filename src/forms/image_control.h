#pragma once

#include <string>

#include "forms/control.h"
#include "picture/picture.h"

namespace plivora {

// An image. With stretch off it takes its picture's natural size (in twips at the screen's
// resolution) whenever a picture is assigned; with stretch on the picture is scaled to the
// control's size.
class ImageControl : public Control {
public:
    ImageControl(Form& form, std::string name, Control* container = nullptr)
        : Control(ControlKind::Image, &form, std::move(name), container) {}

    const Picture& picture() const { return m_picture; }
    void setPicture(const Picture& picture);
    bool isStretch() const { return m_stretch; }
    void setStretch(bool stretch);
    // The pointer shape over the image: the default arrow or the four-headed sizing arrow.
    bool hasSizeAllCursor() const { return m_sizeAllCursor; }
    void setSizeAllCursor(bool on) { m_sizeAllCursor = on; }

private:
    Picture m_picture;
    bool m_stretch = false;
    bool m_sizeAllCursor = false;
};

}  // namespace plivora
