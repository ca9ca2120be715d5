#include "forms/form.h"

#include <algorithm>

#include "forms/host.h"
#include "forms/window_hooks.h"

namespace plivora {

Form::Form(Host& host, std::string name)
    : Control(ControlKind::Form, this, std::move(name), nullptr), m_host(host) {
    setVisible(false);
}

Form::~Form() {
    if (m_loaded) {
        m_host.formDestroyed(*this);
    }
    m_host.windowHooks().windowDestroyed(*this);
}

void Form::registerControl(Control* control) {
    m_controls.push_back(control);
}

void Form::setTabOrder(std::vector<Control*> order) {
    m_tabOrder = std::move(order);
    notify(ViewChange::Appearance);
}

void Form::unregisterControl(Control* control) {
    m_controls.erase(std::remove(m_controls.begin(), m_controls.end(), control), m_controls.end());
    m_tabOrder.erase(std::remove(m_tabOrder.begin(), m_tabOrder.end(), control), m_tabOrder.end());
    m_host.windowHooks().windowDestroyed(*control);
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
    settleScale();
    notify(ViewChange::Geometry);
}

void Form::setScaleHeight(float units) {
    if (!m_customScale) {
        m_scaleWidth = clientWidthTwips();
        m_customScale = true;
    }
    m_scaleHeight = units;
    settleScale();
    notify(ViewChange::Geometry);
}

void Form::settleScale() {
    // A scale that spans exactly the client area's twips is the twips scale: the form is then
    // like one that never had a scale set (the arrangement that writes back its recorded scale
    // must leave the window as it was designed).
    if (m_scaleWidth == clientWidthTwips() && m_scaleHeight == clientHeightTwips()) {
        m_customScale = false;
    }
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
    const bool moved = left != this->left() || top != this->top();
    const bool resized = width != this->width() || height != this->height();
    Control::move(left, top, width, height);
    if (m_loaded) {
        sendGeometryMessages(moved, resized);
    }
}

void Form::setVisible(bool visible) {
    if (visible == isVisible()) {
        return;
    }
    if (m_loaded) {
        sendMessage(WM_SHOWWINDOW, visible ? 1 : 0);
    }
    Control::setVisible(visible);
    if (m_loaded && visible) {
        sendMessage(WM_NCPAINT, 1);
    }
}

void Form::sendMessage(std::uint32_t message, std::int32_t wParam, std::int32_t lParam) {
    SendMessageA(m_host, this, message, wParam, lParam);
}

void Form::sendGeometryMessages(bool moved, bool resized) {
    if (resized && isVisible()) {
        sendMessage(WM_NCPAINT, 1);
    }
    if (moved) {
        // The client area's top-left in screen pixels.
        const FrameMetrics frame = m_host.frameMetrics(*this);
        const float tx = m_host.twipsPerPixelX();
        const float ty = m_host.twipsPerPixelY();
        sendMessage(WM_MOVE, 0,
                    makeLong(twipsToPixelWord(left() + frame.left, tx),
                             twipsToPixelWord(top() + frame.top, ty)));
    }
    if (resized) {
        raiseResize();
    }
}

void Form::windowProc(std::uint32_t message, std::int32_t /*wParam*/, std::int32_t /*lParam*/) {
    switch (message) {
        case WM_PAINT:
            runHandler(Paint);
            break;
        case WM_SIZE:
            runHandler(Resize);
            break;
        default:
            break;
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

void Form::applyStateGeometry(WindowState state) {
    if (state == WindowState::Maximized && m_windowState == WindowState::Normal) {
        m_normalGeometry = {left(), top(), width(), height()};
    }
    if (state == WindowState::Maximized) {
        // A maximised window covers the work area.
        const PixelRect area = m_host.workArea();
        const float tx = m_host.twipsPerPixelX();
        const float ty = m_host.twipsPerPixelY();
        setGeometryQuietly(static_cast<float>(area.left) * tx, static_cast<float>(area.top) * ty,
                           static_cast<float>(area.width()) * tx,
                           static_cast<float>(area.height()) * ty);
    } else if (state == WindowState::Normal && m_windowState == WindowState::Maximized) {
        setGeometryQuietly(m_normalGeometry[0], m_normalGeometry[1], m_normalGeometry[2],
                           m_normalGeometry[3]);
    }
}

void Form::setWindowState(WindowState state) {
    if (state == m_windowState) {
        return;
    }
    applyStateGeometry(state);
    m_windowState = state;
    notify(ViewChange::Visibility);
    if (state != WindowState::Minimized && isVisible()) {
        sendMessage(WM_NCPAINT, 1);
    }
    raiseResize();
}

void Form::setWindowStateFromView(WindowState state) {
    if (state == m_windowState) {
        return;
    }
    if (state == WindowState::Maximized && !m_maxButton) {
        return;  // a window manager that offers to maximise anyway is refused (the view undoes it)
    }
    applyStateGeometry(state);
    m_windowState = state;
    if (state != WindowState::Minimized && isVisible()) {
        sendMessage(WM_NCPAINT, 1);
    }
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
    m_frame = m_host.frameMetrics(*this);
    runHandler(Load);
}

void Form::show() {
    load();
    if (!m_loaded) {
        return;  // Load unloaded the form again
    }
    const bool wasVisible = isVisible();
    requestActivation(true);
    setVisible(true);
    if (wasVisible) {
        zOrderFront();
    }
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
    runHandler(QueryUnload, cancel, unloadMode);
    if (cancel != 0) {
        return false;
    }
    runHandler(Unload);
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
    sendMessage(WM_PAINT);
}

void Form::raiseResize() {
    // wParam is the window state (restored 0, minimised 1, maximised 2), lParam the client size
    // in pixels.
    const float tx = m_host.twipsPerPixelX();
    const float ty = m_host.twipsPerPixelY();
    sendMessage(WM_SIZE, static_cast<std::int32_t>(m_windowState),
                makeLong(twipsToPixelWord(clientWidthTwips(), tx),
                         twipsToPixelWord(clientHeightTwips(), ty)));
}

void Form::setGeometryFromView(float left, float top, float width, float height) {
    const bool moved = left != this->left() || top != this->top();
    const bool resized = width != this->width() || height != this->height();
    // Resizing the frame moves no control: a custom scale keeps its units' size in twips, so its
    // span follows the client area. The client area before is measured with the frame the form
    // knew until now, which the window system may only just have told the host.
    const float oldClientWidth = std::max(0.0f, this->width() - m_frame.left - m_frame.right);
    const float oldClientHeight = std::max(0.0f, this->height() - m_frame.top - m_frame.bottom);
    const float unitX = m_scaleWidth > 0 ? oldClientWidth / m_scaleWidth : 1.0f;
    const float unitY = m_scaleHeight > 0 ? oldClientHeight / m_scaleHeight : 1.0f;
    setGeometryQuietly(left, top, width, height);
    if (m_customScale && unitX > 0 && unitY > 0) {
        m_scaleWidth = clientWidthTwips() / unitX;
        m_scaleHeight = clientHeightTwips() / unitY;
    }
    const FrameMetrics frame = m_host.frameMetrics(*this);
    const float extraWidth = (frame.left + frame.right) - (m_frame.left + m_frame.right);
    const float extraHeight = (frame.top + frame.bottom) - (m_frame.top + m_frame.bottom);
    m_frame = frame;
    if (extraWidth != 0 || extraHeight != 0) {
        runHandler(FrameChange, extraWidth, extraHeight);
    }
    sendGeometryMessages(moved, resized);
}

}  // namespace plivora
