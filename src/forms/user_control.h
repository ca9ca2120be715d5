#pragma once

#include <functional>
#include <string>

#include "forms/control.h"
#include "win/image.h"

namespace plivora {

// The base of a control of our own that draws its own pixels: it holds a drawing surface that
// the control paints into and the view copies to the screen, and a border style (0 none,
// 1 fixed single). Resizing the control raises Resize.
class UserControl : public Control {
public:
    UserControl(Form& form, std::string name, Control* container = nullptr)
        : Control(ControlKind::UserControl, &form, std::move(name), container) {}

    int borderStyle() const { return m_borderStyle; }
    void setBorderStyle(int style) {
        m_borderStyle = style;
        notify(ViewChange::Appearance);
    }

    // The pixels the view shows, from the top-left of the control's inside.
    virtual const Image& surface() const { return m_surface; }
    // Whether the control has nothing to show. A blank control is left out of its window's
    // picture (no border, background or surface: what lies under it shows) and the mouse reaches
    // what lies under it; the view asks again when the control's appearance changes.
    virtual bool isBlank() const { return false; }
    Image& ownSurface() { return m_surface; }
    // Tells the view that the surface changed.
    void surfaceChanged() { notify(ViewChange::Content); }

    void move(float left, float top, float width, float height) override {
        const bool resized = width != this->width() || height != this->height();
        Control::move(left, top, width, height);
        if (resized && Resize) {
            Resize();
        }
    }

    std::function<void()> Resize;
    // The surface must be drawn again (it was uncovered); the view raises it, not for the repaints
    // that surfaceChanged asks for.
    std::function<void()> Paint;
    void raisePaint() {
        if (Paint) {
            Paint();
        }
    }

private:
    int m_borderStyle = 0;
    Image m_surface;
};

}  // namespace plivora
