#include "qt/label_view.h"

#include "forms/label.h"
#include "qt/conversions.h"
#include "qt/qt_host.h"

namespace plivora {

LabelView::LabelView(Label& label, QWidget& parent, QtHost& host, FormView& formView)
    : MouseForwardingView(&parent, label, host, formView) {
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setMouseTracking(true);
    showState();
}

Label* LabelView::label() const {
    return static_cast<Label*>(control());
}

void LabelView::updateContent() {
    setText(captionToQString(label()->caption()));
    // The accessible name is the label's role ("File size"); what it shows is the description,
    // which a screen reader reads after the name. Without a name of its own a label is named by
    // its text, so an empty label would have no name at all.
    setAccessibleDescription(captionToQString(label()->caption()));
}

void LabelView::updateAppearance() {
    ChildView::updateAppearance();
    const Label& model = *label();
    setAccessibleDescription(captionToQString(model.caption()));
    QPalette colours;
    colours.setColor(QPalette::WindowText, toQColor(model.foreColor(), host()));
    colours.setColor(QPalette::Window, toQColor(model.backColor(), host()));
    setPalette(colours);
    setAutoFillBackground(model.backStyle() == BackStyle::Opaque);
    Qt::Alignment horizontal = Qt::AlignLeft;
    if (model.alignment() == Alignment::Right) {
        horizontal = Qt::AlignRight;
    } else if (model.alignment() == Alignment::Center) {
        horizontal = Qt::AlignHCenter;
    }
    setAlignment(horizontal | Qt::AlignTop);
}

}  // namespace plivora
