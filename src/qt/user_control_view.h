#pragma once

#include <QFrame>

#include "qt/child_view.h"

namespace plivora {

class UserControl;

// A control that draws its own pixels: its back colour, its drawing surface copied from the
// top-left corner inside its border, and a single-line border when its border style is 1. The
// surface is shown as it is at each paint; the control says when it changed.
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
};

}  // namespace plivora
