#include "qt/user_control_view.h"

#include <QPainter>

#include "forms/user_control.h"
#include "qt/conversions.h"
#include "qt/qt_host.h"

namespace plivora {

UserControlView::UserControlView(UserControl& control, QWidget& parent, QtHost& host,
                                 FormView& formView)
    : MouseForwardingView(&parent, control, host, formView) {
    setMouseTracking(true);
    showState();
}

UserControl* UserControlView::userControl() const {
    return static_cast<UserControl*>(control());
}

void UserControlView::updateContent() {
    // The control drew on its surface: show it without asking the control to paint again. While
    // the control paints from this view's own paint, the pixels are drawn right after.
    if (m_painting) {
        return;
    }
    m_repaintAsked = true;
    update();
}

void UserControlView::updateAppearance() {
    ChildView::updateAppearance();
    const UserControl& model = *userControl();
    // A blank control is no part of the window's picture: no background is filled and no border
    // drawn, so what lies under it shows, and the mouse goes to what lies under it too.
    const bool blank = model.isBlank();
    setAutoFillBackground(!blank);
    setAttribute(Qt::WA_TransparentForMouseEvents, blank);
    QPalette colours;
    colours.setColor(QPalette::Window, toQColor(model.backColor(), host()));
    colours.setColor(QPalette::WindowText, toQColor(kWindowText, host()));
    setPalette(colours);
    const bool bordered = model.borderStyle() == 1 && !blank;
    setFrameStyle(bordered ? QFrame::Box | QFrame::Plain : QFrame::NoFrame);
    setLineWidth(1);
    update();
}

void UserControlView::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (!m_repaintAsked) {
        m_painting = true;
        deliver([](Control& control) { static_cast<UserControl&>(control).raisePaint(); });
        m_painting = false;
    }
    m_repaintAsked = false;
    const UserControl* model = userControl();
    if (model == nullptr || model->isBlank() || model->surface().isNull()) {
        return;
    }
    QPainter painter(this);
    const QRect inside = contentsRect();
    painter.setClipRect(inside);
    // Drawn straight from the control's pixels: the wrapper lives only for this paint.
    painter.drawImage(inside.topLeft(), wrapImage(model->surface()));
}

}  // namespace plivora
