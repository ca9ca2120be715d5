#include "forms/form.h"

#include <algorithm>

#include "forms/host.h"

namespace plivora {

Form::Form(Host& host, std::string name)
    : Control(ControlKind::Form, this, std::move(name), nullptr), m_host(host) {
    setVisible(false);
}

Form::~Form() {
    if (m_loaded) {
        m_host.formDestroyed(*this);
    }
}

void Form::registerControl(Control* control) {
    m_controls.push_back(control);
}

void Form::unregisterControl(Control* control) {
    m_controls.erase(std::remove(m_controls.begin(), m_controls.end(), control), m_controls.end());
}

float Form::clientWidthTwips() const {
    const FrameMetrics frame = m_host.frameMetrics(*this);
    return std::max(0.0f, width() - frame.left - frame.right);
}

float Form::clientHeightTwips() const {
    const FrameMetrics frame = m_host.frameMetrics(*this);
    return std::max(0.0f, height() - frame.top - frame.bottom);
}

void Form::setClientSize(float widthTwips, float heightTwips) {
    const FrameMetrics frame = m_host.frameMetrics(*this);
    move(left(), top(), widthTwips + frame.left + frame.right,
         heightTwips + frame.top + frame.bottom);
}

float Form::scaleWidth() const {
    return m_customScale ? m_scaleWidth : clientWidthTwips();
}
float Form::scaleHeight() const {
    return m_customScale ? m_scaleHeight : clientHeightTwips();
}

void Form::setScaleWidth(float units) {
    if (!m_customScale) {
        m_scaleHeight = clientHeightTwips();
        m_customScale = true;
    }
    m_scaleWidth = units;
    notify(ViewChange::Geometry);
}

void Form::setScaleHeight(float units) {
    if (!m_customScale) {
        m_scaleWidth = clientWidthTwips();
        m_customScale = true;
    }
    m_scaleHeight = units;
    notify(ViewChange::Geometry);
}

float Form::unitsToTwipsX() const {
    const float units = scaleWidth();
    return units > 0 ? clientWidthTwips() / units : 1.0f;
}

float Form::unitsToTwipsY() const {
    const float units = scaleHeight();
    return units > 0 ? clientHeightTwips() / units : 1.0f;
}

void Form::move(float left, float top, float width, float height) {
    const bool resized = width != this->width() || height != this->height();
    Control::move(left, top, width, height);
    if (resized && m_loaded) {
        raiseResize();
    }
}

void Form::setCaption(const std::string& caption) {
    if (caption == m_caption) {
        return;
    }
    m_caption = caption;
    notify(ViewChange::Content);
}

void Form::setIcon(const Picture& icon) {
    m_icon = icon;
    notify(ViewChange::Appearance);
}

void Form::setPicture(const Picture& picture) {
    m_picture = picture;
    notify(ViewChange::Content);
}

void Form::setWindowState(WindowState state) {
    if (state == m_windowState) {
        return;
    }
    m_windowState = state;
    notify(ViewChange::Visibility);
    raiseResize();
}

void Form::setWindowStateFromView(WindowState state) {
    if (state == m_windowState) {
        return;
    }
    m_windowState = state;
    raiseResize();
}

void Form::setTopmost(bool topmost) {
    if (topmost == m_topmost) {
        return;
    }
    m_topmost = topmost;
    notify(ViewChange::ZOrder);
}

void Form::load() {
    if (m_loaded) {
        return;
    }
    m_loaded = true;
    m_host.formCreated(*this);
    if (Load) {
        Load();
    }
}

void Form::show() {
    load();
    if (!m_loaded) {
        return;  // Load unloaded the form again
    }
    const bool wasVisible = isVisible();
    setVisible(true);
    if (!m_everShown) {
        m_everShown = true;
        raiseResize();
    }
    if (!wasVisible) {
        raisePaint();
    }
}

void Form::hide() {
    setVisible(false);
}

bool Form::unload(int unloadMode) {
    if (!m_loaded) {
        return true;
    }
    int cancel = 0;
    if (QueryUnload) {
        QueryUnload(cancel, unloadMode);
    }
    if (cancel != 0) {
        return false;
    }
    if (Unload) {
        Unload();
    }
    setVisible(false);
    m_loaded = false;
    m_host.formDestroyed(*this);
    return true;
}

void Form::destroyView() {
    if (m_loaded) {
        m_loaded = false;
        m_host.formDestroyed(*this);
    }
}

void Form::refresh() {
    raisePaint();
}

void Form::raisePaint() {
    if (Paint) {
        Paint();
    }
}

void Form::raiseResize() {
    if (Resize) {
        Resize();
    }
}

void Form::setGeometryFromView(float left, float top, float width, float height) {
    const bool resized = width != this->width() || height != this->height();
    setGeometryQuietly(left, top, width, height);
    if (resized) {
        raiseResize();
    }
}

}  // namespace plivora
