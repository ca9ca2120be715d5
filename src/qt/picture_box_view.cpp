#include "qt/picture_box_view.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include "forms/picture_box.h"
#include "qt/conversions.h"
#include "qt/qt_host.h"

namespace plivora {

PictureBoxView::PictureBoxView(PictureBox& box, QWidget& parent, QtHost& host, FormView& formView)
    : MouseForwardingView(&parent, box, host, formView) {
    setMouseTracking(true);
    setAutoFillBackground(true);
    showState();
}

PictureBox* PictureBoxView::box() const {
    return static_cast<PictureBox*>(control());
}

void PictureBoxView::updateContent() {
    m_picture = box()->picture();
    m_pixmap = QPixmap();
    update();
}

void PictureBoxView::updateAppearance() {
    ChildView::updateAppearance();
    const PictureBox& model = *box();
    QPalette colours;
    colours.setColor(QPalette::Window, toQColor(model.backColor(), host()));
    setPalette(colours);
    // The designed border: a two-pixel sunken edge.
    setFrameStyle(model.hasBorder() ? QFrame::WinPanel | QFrame::Sunken : QFrame::NoFrame);
}

void PictureBoxView::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    paintPicture();
    if (hasFocus()) {
        QPainter painter(this);
        QStyleOptionFocusRect option;
        option.initFrom(this);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

void PictureBoxView::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const bool press = key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
    if (!press || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        QFrame::keyPressEvent(event);
        return;
    }
    if (!event->isAutoRepeat()) {
        deliver([](Control& control) { control.raiseClick(); });
    }
}

void PictureBoxView::paintPicture() {
    if (m_picture.isNull()) {
        return;
    }
    const QRect inside = contentsRect();
    const ShownSize size = PictureBox::shownSize(m_picture, inside.width(), inside.height());
    const QSize shown(size.width, size.height);
    const bool fits = shown == QSize(m_picture.width(), m_picture.height());
    const double ratio = devicePixelRatioF();
    if (m_pixmap.isNull() || m_pixmapSize != shown || m_pixmapRatio != ratio) {
        // Shrunk pixels are made at the device size; a picture at its natural size keeps its own
        // pixels, which the painter enlarges by whole device pixels on a finer screen.
        m_pixmap = fits ? pictureToPixmap(m_picture) : pictureToPixmap(m_picture, shown, ratio);
        m_pixmapSize = shown;
        m_pixmapRatio = ratio;
    }
    QPainter painter(this);
    painter.setClipRect(inside);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawPixmap(inside.topLeft(), m_pixmap);
}

}  // namespace plivora
