#include "qt/child_view.h"

#include <QWidget>

#include "qt/conversions.h"
#include "qt/form_view.h"

namespace plivora {

ChildView::ChildView(Control& control, QtHost& host, FormView& formView)
    : View(control, host),
      m_formView(formView),
      m_windowless(control.kind() == ControlKind::Label || control.kind() == ControlKind::Image) {}

void ChildView::controlChanged(ViewChange change) {
    if (control() == nullptr) {
        return;
    }
    switch (change) {
        case ViewChange::Geometry:
            updateGeometry();
            break;
        case ViewChange::Visibility:
            updateVisibility();
            break;
        case ViewChange::Content:
            updateContent();
            break;
        case ViewChange::Appearance:
            updateAppearance();
            break;
        case ViewChange::ZOrder:
            m_formView.restack();
            break;
    }
}

void ChildView::showState() {
    updateGeometry();
    updateAppearance();
    updateContent();
    updateVisibility();
}

void ChildView::updateGeometry() {
    if (control() == nullptr) {
        return;
    }
    const QRect rect = controlPixelRect(*control());
    if (rect != widget()->geometry()) {
        widget()->setGeometry(rect);
        geometryChanged();
    }
}

void ChildView::updateVisibility() {
    widget()->setVisible(control()->isVisible());
}

void ChildView::updateAppearance() {
    Control& model = *control();
    QWidget& view = *widget();
    view.setEnabled(model.isEnabled());
    view.setToolTip(toQString(model.toolTipText()));
    view.setFont(toQFont(model.font()));
    view.setAccessibleName(toQString(model.accessibleName()));
    view.setAccessibleDescription(toQString(model.toolTipText()));
}

}  // namespace plivora
