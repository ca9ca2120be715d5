#pragma once

#include <QPixmap>
#include <QWidget>

#include "picture/picture.h"
#include "qt/child_view.h"

namespace plivora {

class ImageControl;

// An image: its picture at the natural size, or stretched smoothly to the control's size, on a
// transparent background. The scaled pixels are kept until the picture, the size or the device
// pixel ratio changes.
class ImageView : public MouseForwardingView<QWidget, ChildView> {
public:
    ImageView(ImageControl& image, QWidget& parent, QtHost& host, FormView& formView);
    QWidget* widget() override { return this; }

protected:
    void updateContent() override;
    void updateAppearance() override;
    void geometryChanged() override;
    void paintEvent(QPaintEvent* event) override;

private:
    ImageControl* image() const;

    Picture m_cachedPicture;
    QPixmap m_cache;
    double m_cachedRatio = 1.0;
    bool m_cacheValid = false;
};

}  // namespace plivora
