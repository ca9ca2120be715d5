#include "qt/frame_view.h"

#include <qdrawutil.h>
#include <QPainter>

#include "forms/frame.h"
#include "qt/conversions.h"
#include "qt/qt_host.h"

namespace plivora {

namespace {
constexpr int kCaptionIndentPixels = 8;
constexpr int kCaptionPaddingPixels = 2;
}  // namespace

FrameView::FrameView(Frame& frame, QWidget& parent, QtHost& host, FormView& formView)
    : MouseForwardingView(&parent, frame, host, formView) {
    setMouseTracking(true);
    setAutoFillBackground(true);
    showState();
}

Frame* FrameView::frame() const {
    return static_cast<Frame*>(control());
}

void FrameView::updateContent() {
    m_caption = captionToQString(frame()->caption());
    update();
}

void FrameView::updateAppearance() {
    ChildView::updateAppearance();
    QPalette colours;
    colours.setColor(QPalette::Window, toQColor(frame()->backColor(), host()));
    colours.setColor(QPalette::WindowText, toQColor(frame()->foreColor(), host()));
    setPalette(colours);
    update();
}

void FrameView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QFontMetrics metrics(font());
    const int lineY = metrics.height() / 2;
    qDrawShadeRect(&painter, 0, lineY, width(), height() - lineY, palette(), true, 1, 0);
    if (m_caption.isEmpty()) {
        return;
    }
    const QRect text(kCaptionIndentPixels, 0,
                     metrics.horizontalAdvance(m_caption) + 2 * kCaptionPaddingPixels,
                     metrics.height());
    painter.fillRect(text, palette().color(QPalette::Window));
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(text, Qt::AlignCenter | Qt::TextSingleLine, m_caption);
}

}  // namespace plivora
