#pragma once

#include <QFrame>

#include "qt/child_view.h"

namespace plivora {

class UserControl;

// A control that draws its own pixels: its back colour, its drawing surface copied from the
// top-left corner inside its border, and a single-line border when its border style is 1. The
// control says when its surface changed; a paint that the window system asks for (the control
// was uncovered) raises the control's Paint first.
class UserControlView : public QFrame, public ChildView {
public:
    UserControlView(UserControl& control, QWidget& parent, QtHost& host, FormView& formView);
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
    UserControl* userControl() const;
    QPointF inner(const QMouseEvent& event) const;

    bool m_repaintAsked = false;  // the control changed its surface since the last paint
    bool m_painting = false;
};

}  // namespace plivora
