#pragma once

#include "qt/view.h"

namespace plivora {

class FormView;

// The view of a control inside a form: keeps the widget's place, visibility, enabled state,
// tooltip, font and stacking in step with the control. Each kind adds its content and its input.
class ChildView : public View {
public:
    ChildView(Control& control, QtHost& host, FormView& formView);

    void controlChanged(ViewChange change) override;
    // Shows the control's whole state; each view's constructor calls it once.
    void showState();
    void updateGeometry();

    int creationIndex() const { return m_creationIndex; }
    void setCreationIndex(int index) { m_creationIndex = index; }
    // Windowless controls (labels, images) are drawn on their container's surface, so they stay
    // beneath every windowed sibling whatever their stacking rank.
    bool isWindowless() const { return m_windowless; }

protected:
    FormView& formView() const { return m_formView; }
    virtual void updateContent() {}
    // The part every view shares: enabled, tooltip, font, and the accessible name with the
    // tooltip as description. Overrides call it first.
    virtual void updateAppearance();
    virtual void geometryChanged() {}

private:
    void updateVisibility();

    FormView& m_formView;
    int m_creationIndex = 0;
    bool m_windowless = false;
};

}  // namespace plivora
