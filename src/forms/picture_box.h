#pragma once

#include <string>

#include "forms/control.h"
#include "win/picture.h"

namespace plivora {

// A box that shows a picture at its natural size from its top-left corner, clipped to the box.
class PictureBox : public Control {
public:
    PictureBox(Form& form, std::string name, Control* container = nullptr)
        : Control(ControlKind::PictureBox, &form, std::move(name), container) {}

    const Picture& picture() const { return m_picture; }
    void setPicture(const Picture& picture) {
        m_picture = picture;
        notify(ViewChange::Content);
    }
    bool hasBorder() const { return m_border; }
    void setBorder(bool border) { m_border = border; }

private:
    Picture m_picture;
    bool m_border = true;
};

}  // namespace plivora
