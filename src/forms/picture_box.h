#pragma once

#include <string>

#include "forms/control.h"
#include "picture/picture.h"

namespace plivora {

// A size in pixels at which a picture is shown.
struct ShownSize {
    int width = 0;
    int height = 0;
    bool operator==(const ShownSize&) const = default;
};

// A box that shows a picture from the top-left corner inside its border: at its natural size
// when it fits, shrunk into the box keeping its shape when it is larger. The box decides the size;
// its view only paints the picture at that size.
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

    // The size, in logical pixels, at which a box shows `picture` in a space of `insideWidth` x
    // `insideHeight` pixels (the box inside its border): the natural size when the picture fits.
    // A larger picture (one drawn for a finer screen than this one, such as the logo of a box laid
    // out at 120 DPI on a 96 DPI screen) is shrunk into the space keeping its shape rather than
    // cut off: the full height when the width that gives (rounded down) fits, else the full width
    // and the height it gives (rounded down). The picture is a parameter so that a view can size
    // the copy it paints.
    static ShownSize shownSize(const Picture& picture, int insideWidth, int insideHeight);

private:
    Picture m_picture;
    bool m_border = true;
};

}  // namespace plivora
