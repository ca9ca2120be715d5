#pragma once

#include <functional>
#include <utility>

#include <QPointF>

#include "forms/control.h"

class QMouseEvent;
class QWidget;

namespace plivora {

class QtHost;

// The base of every Qt view: the control it shows, the widget that shows it, and the one door
// through which user input reaches the model. A view is detached when its control goes away or
// its form is unloaded; from then on it neither reads its control nor raises its events.
class View : public ControlView {
public:
    View(Control& control, QtHost& host);
    ~View() override;
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    virtual QWidget* widget() = 0;
    Control* control() const { return m_control; }
    QtHost& host() const { return m_host; }

    void controlDestroyed() override { m_control = nullptr; }
    // Breaks the link both ways; the widget stays until Qt deletes it.
    void detach();

protected:
    // Runs a model call for user input, unless the view is detached or the program is ending. An
    // Error that a handler lets out never arrives here: the control's runHandler hands it to the
    // host, which shows it in the program's warning box (on standard error once the program is
    // ending). What this catches is ProgramEnding alone, the program having ended while a handler
    // ran DoEvents, which is ordinary; anything else is a fault and is not caught: Qt's event loop
    // does not carry exceptions, and the program ends.
    void deliver(const std::function<void(Control&)>& call);

    // The mouse events of a control that has no click behaviour of its own: MouseDown, MouseMove
    // and MouseUp with positions in twips from the widget's top-left, then Click after a press and
    // release of the left button over it, or DblClick in place of the second press of a double
    // click. `position` is in the widget's pixels.
    void forwardMousePress(const QMouseEvent& event, QPointF position);
    void forwardMouseMove(const QMouseEvent& event, QPointF position);
    void forwardMouseRelease(const QMouseEvent& event, QPointF position, bool inside);
    void forwardMouseDoubleClick(const QMouseEvent& event, QPointF position);
    // Only the MouseUp part, for widgets that raise their own Click.
    void forwardMouseUp(const QMouseEvent& event, QPointF position);
    // One mouse event of such a control's widget, whichever of the four it is, with positions
    // counted from `origin` (in the widget's pixels). A release clicks only over the widget.
    void forwardMouseEvent(const QMouseEvent& event, QPointF origin);

private:
    Control* m_control;
    QtHost& m_host;
    bool m_clickPending = false;
};

// The view of a control that has no click behaviour of its own: a widget of class `Widget` whose
// four mouse handlers hand every press, move, release and double click to the control through
// View::forwardMouseEvent, and nothing to the widget class. `ViewBase` is View or ChildView.
template <typename Widget, typename ViewBase>
class MouseForwardingView : public Widget, public ViewBase {
public:
    template <typename... ViewArgs>
    explicit MouseForwardingView(QWidget* parent, ViewArgs&&... viewArgs)
        : Widget(parent), ViewBase(std::forward<ViewArgs>(viewArgs)...) {}

protected:
    // Where the control's mouse positions count from, in the widget's pixels: its top-left
    // corner unless a view says otherwise.
    virtual QPointF mouseOrigin() const { return {}; }

    void mousePressEvent(QMouseEvent* event) override { forwardToControl(*event); }
    void mouseMoveEvent(QMouseEvent* event) override { forwardToControl(*event); }
    void mouseReleaseEvent(QMouseEvent* event) override { forwardToControl(*event); }
    void mouseDoubleClickEvent(QMouseEvent* event) override { forwardToControl(*event); }

private:
    void forwardToControl(const QMouseEvent& event) {
        this->forwardMouseEvent(event, mouseOrigin());
    }
};

}  // namespace plivora
