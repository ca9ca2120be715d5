#pragma once

#include <QFrame>
#include <QPixmap>

#include "picture/picture.h"
#include "qt/child_view.h"

namespace plivora {

class PictureBox;

// A picture box: its back colour, an optional sunken border, and its picture from the top-left
// corner inside the border at the size the box gives it (PictureBox::shownSize).
class PictureBoxView : public MouseForwardingView<QFrame, ChildView> {
public:
    PictureBoxView(PictureBox& box, QWidget& parent, QtHost& host, FormView& formView);
    QWidget* widget() override { return this; }

protected:
    void updateContent() override;
    void updateAppearance() override;
    void paintEvent(QPaintEvent* event) override;
    // A picture box that its form puts in the tab order (the logo) is pressed by Space and Enter
    // as a button is.
    void keyPressEvent(QKeyEvent* event) override;
    // Mouse positions count from the top-left corner inside the border, where the picture starts.
    QPointF mouseOrigin() const override { return QPointF(contentsRect().topLeft()); }

private:
    PictureBox* box() const;
    void paintPicture();

    Picture m_picture;
    // The picture as last drawn: its logical size and the device pixel ratio it was made for.
    QPixmap m_pixmap;
    QSize m_pixmapSize;
    double m_pixmapRatio = 1.0;
};

}  // namespace plivora
