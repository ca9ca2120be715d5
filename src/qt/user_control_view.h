#pragma once

#include <QFrame>

#include "qt/child_view.h"

namespace plivora {

class UserControl;

// A control that draws its own pixels: its back colour, its drawing surface copied from the
// top-left corner inside its border, and a single-line border when its border style is 1; nothing
// at all, and no mouse input, while the control is blank. The control says when its surface
// changed; a paint that the window system asks for (the control was uncovered) raises the
// control's Paint first, blank or not, so a control can load what it shows from its paint.
class UserControlView : public MouseForwardingView<QFrame, ChildView> {
public:
    UserControlView(UserControl& control, QWidget& parent, QtHost& host, FormView& formView);
    QWidget* widget() override { return this; }

protected:
    void updateContent() override;
    void updateAppearance() override;
    void paintEvent(QPaintEvent* event) override;
    // Mouse positions count from the top-left corner inside the border, where the surface starts.
    QPointF mouseOrigin() const override { return QPointF(contentsRect().topLeft()); }

private:
    UserControl* userControl() const;

    bool m_repaintAsked = false;  // the control changed its surface since the last paint
    bool m_painting = false;
};

}  // namespace plivora
