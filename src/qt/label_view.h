#pragma once

#include <QLabel>

#include "qt/child_view.h"

namespace plivora {

class Label;

// A label: plain text wrapped at word boundaries, line breaks at carriage returns and line feeds,
// cut off at the label's edges; an opaque back colour or none.
class LabelView : public MouseForwardingView<QLabel, ChildView> {
public:
    LabelView(Label& label, QWidget& parent, QtHost& host, FormView& formView);
    QWidget* widget() override { return this; }

protected:
    void updateContent() override;
    void updateAppearance() override;

private:
    Label* label() const;
};

}  // namespace plivora
