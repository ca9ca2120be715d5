#include "qt/image_view.h"

#include <QPainter>

#include "forms/image_control.h"
#include "qt/conversions.h"

namespace plivora {

ImageView::ImageView(ImageControl& image, QWidget& parent, QtHost& host, FormView& formView)
    : MouseForwardingView(&parent, image, host, formView) {
    setMouseTracking(true);
    showState();
}

ImageControl* ImageView::image() const {
    return static_cast<ImageControl*>(control());
}

void ImageView::updateContent() {
    m_cacheValid = false;
    // The pointer shape has no change notice of its own; it is set with the picture.
    updateAppearance();
    update();
}

void ImageView::updateAppearance() {
    ChildView::updateAppearance();
    setCursor(image()->hasSizeAllCursor() ? Qt::SizeAllCursor : Qt::ArrowCursor);
}

void ImageView::geometryChanged() {
    if (image() != nullptr && image()->isStretch()) {
        m_cacheValid = false;
    }
}

void ImageView::paintEvent(QPaintEvent* /*event*/) {
    const ImageControl* model = image();
    if (model == nullptr || model->picture().isNull()) {
        return;
    }
    const Picture& picture = model->picture();
    const double ratio = devicePixelRatioF();
    if (!m_cacheValid || !(m_cachedPicture == picture) || m_cachedRatio != ratio) {
        // A stretched picture is made at the device size; one at its natural size keeps its own
        // pixels, which the painter enlarges on a finer screen.
        m_cache =
            model->isStretch() ? pictureToPixmap(picture, size(), ratio) : pictureToPixmap(picture);
        m_cachedPicture = picture;
        m_cachedRatio = ratio;
        m_cacheValid = true;
    }
    QPainter painter(this);
    // Each picture pixel becomes a block of whole device pixels, as sharp as at 100%: a real-size
    // view is not blurred by smoothing.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawPixmap(0, 0, m_cache);
}

}  // namespace plivora
