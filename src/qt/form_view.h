#pragma once

#include <deque>
#include <map>
#include <optional>
#include <vector>

#include <QMargins>
#include <QPixmap>
#include <QWidget>

#include "qt/view.h"

namespace plivora {

class ChildView;
class Form;

// The top-level window of a form. The model's left, top, width and height are the outer
// rectangle in twips: the frame goes to left/top and the client area gets the outer size minus
// the frame. Moves and resizes by the user, state changes and the close button go back to the
// form; the form's Paint event follows the window's paints. The window holds one child view per
// control of the form.
class FormView : public MouseForwardingView<QWidget, View> {
public:
    FormView(Form& form, QtHost& host);
    ~FormView() override;

    QWidget* widget() override { return this; }
    Form* form() const;
    void controlChanged(ViewChange change) override;

    // Detaches this view and every child view: the window shows nothing of the model any more.
    void detachAll();
    // The frame as the window system reports it while the window is shown, or as it last
    // reported it; nothing before the window was first shown with a frame.
    std::optional<QMargins> measuredFrame() const;
    // Restacks the child widgets: windowless controls beneath windowed ones, then by rank.
    void restack();

protected:
    void paintEvent(QPaintEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    ChildView* ensureChildView(Control& control);
    void applyWindowFlags();
    void applyGeometry();
    void applyVisibility();
    void applyContent();
    void applyAppearance();
    // The widgets of the form's tab order, in that order.
    std::vector<QWidget*> tabOrderWidgets() const;
    void applyTabOrder();
    void focusFirstInTabOrder();
    void layoutChildren();
    void syncGeometryFromWindow();

    std::vector<ChildView*> m_children;  // owned by Qt as child widgets, in creation order
    std::map<const Control*, ChildView*> m_childByControl;
    std::optional<QMargins> m_frame;
    // Outer rectangles asked of the window system and not yet confirmed: a move event that
    // reports one of them is the late answer to an earlier request, not a move by the user.
    std::deque<QRect> m_requested;
    QPixmap m_background;
    int m_zRank = 0;
    bool m_everShown = false;
    bool m_applyingGeometry = false;  // the window reports this view's own request
};

}  // namespace plivora
