#pragma once

#include <QFrame>
#include <QPixmap>

#include "qt/child_view.h"

namespace plivora {

class PictureBox;

// A picture box: its back colour, an optional sunken border, and its picture at the natural
// size from the top-left corner inside the border, cut off at the edges.
class PictureBoxView : public QFrame, public ChildView {
public:
    PictureBoxView(PictureBox& box, QWidget& parent, QtHost& host, FormView& formView);
    QWidget* widget() override { return this; }

protected:
    void updateContent() override;
    void updateAppearance() override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    PictureBox* box() const;
    QPointF inner(const QMouseEvent& event) const;

    QPixmap m_pixmap;
};

}  // namespace plivora
