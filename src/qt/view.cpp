#include "qt/view.h"

#include <QMouseEvent>
#include <QWidget>
#include <QtGlobal>

#include "forms/control.h"
#include "qt/conversions.h"
#include "qt/qt_host.h"

namespace plivora {

View::View(Control& control, QtHost& host) : m_control(&control), m_host(host) {
    control.setView(this);
}

View::~View() {
    detach();
}

void View::detach() {
    if (m_control != nullptr) {
        m_control->setView(nullptr);
        m_control = nullptr;
    }
}

void View::deliver(const std::function<void(Control&)>& call) {
    if (m_control == nullptr || m_host.isQuitting()) {
        return;
    }
    try {
        call(*m_control);
    } catch (const ProgramEnding&) {
        // The handler ran DoEvents while the program ended: it stops where it was.
    }
}

void View::forwardMousePress(const QMouseEvent& event, QPointF position) {
    m_clickPending = event.button() == Qt::LeftButton;
    const int button = toMouseButton(event.button());
    const int shift = toShiftState(event.modifiers());
    const float tx = m_host.twipsPerPixelX();
    const float ty = m_host.twipsPerPixelY();
    deliver([&](Control& control) {
        control.raiseMouseDown(button, shift, pixelsToTwips(position.x(), tx),
                               pixelsToTwips(position.y(), ty));
    });
}

void View::forwardMouseMove(const QMouseEvent& event, QPointF position) {
    const int buttons = toMouseButtons(event.buttons());
    const int shift = toShiftState(event.modifiers());
    const float tx = m_host.twipsPerPixelX();
    const float ty = m_host.twipsPerPixelY();
    deliver([&](Control& control) {
        control.raiseMouseMove(buttons, shift, pixelsToTwips(position.x(), tx),
                               pixelsToTwips(position.y(), ty));
    });
}

void View::forwardMouseUp(const QMouseEvent& event, QPointF position) {
    const int button = toMouseButton(event.button());
    const int shift = toShiftState(event.modifiers());
    const float tx = m_host.twipsPerPixelX();
    const float ty = m_host.twipsPerPixelY();
    deliver([&](Control& control) {
        control.raiseMouseUp(button, shift, pixelsToTwips(position.x(), tx),
                             pixelsToTwips(position.y(), ty));
    });
}

void View::forwardMouseRelease(const QMouseEvent& event, QPointF position, bool inside) {
    const bool click = m_clickPending && inside && event.button() == Qt::LeftButton;
    m_clickPending = false;
    forwardMouseUp(event, position);
    if (click) {
        deliver([](Control& control) { control.raiseClick(); });
    }
}

void View::forwardMouseDoubleClick(const QMouseEvent& event, QPointF position) {
    if (event.button() != Qt::LeftButton) {
        forwardMousePress(event, position);
        return;
    }
    m_clickPending = false;
    deliver([](Control& control) { control.raiseDblClick(); });
}

void View::forwardMouseEvent(const QMouseEvent& event, QPointF origin) {
    const QPointF position = event.position() - origin;
    switch (event.type()) {
        case QEvent::MouseButtonPress:
            forwardMousePress(event, position);
            break;
        case QEvent::MouseMove:
            forwardMouseMove(event, position);
            break;
        case QEvent::MouseButtonRelease:
            forwardMouseRelease(event, position,
                                widget()->rect().contains(event.position().toPoint()));
            break;
        case QEvent::MouseButtonDblClick:
            forwardMouseDoubleClick(event, position);
            break;
        default:
            break;
    }
}

}  // namespace plivora
