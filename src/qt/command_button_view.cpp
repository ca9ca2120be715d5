#include "qt/command_button_view.h"

#include <QIcon>
#include <QKeyEvent>
#include <QMouseEvent>

#include "forms/command_button.h"
#include "qt/conversions.h"
#include "qt/qt_host.h"

namespace plivora {

CommandButtonView::CommandButtonView(CommandButton& button, QWidget& parent, QtHost& host,
                                     FormView& formView)
    : QPushButton(&parent), ChildView(button, host, formView) {
    setMouseTracking(true);
    connect(this, &QPushButton::clicked, this,
            [this] { deliver([](Control& control) { control.raiseClick(); }); });
    showState();
}

CommandButton* CommandButtonView::button() const {
    return static_cast<CommandButton*>(control());
}

void CommandButtonView::updateContent() {
    const CommandButton& model = *button();
    setText(captionToQString(model.caption()));
    if (model.isGraphical() && !model.picture().isNull()) {
        setIcon(QIcon(pictureToPixmap(model.picture())));
        setIconSize(QSize(model.picture().width(), model.picture().height()));
    } else {
        setIcon(QIcon());
    }
}

void CommandButtonView::updateAppearance() {
    ChildView::updateAppearance();
    const CommandButton& model = *button();
    // An empty palette resolves to the application's; only a graphical face takes the colour.
    QPalette colours;
    if (model.isGraphical()) {
        colours.setColor(QPalette::Button, toQColor(model.backColor(), host()));
    }
    setPalette(colours);
    // A graphical button's content changes with its style.
    updateContent();
}

void CommandButtonView::keyPressEvent(QKeyEvent* event) {
    // Enter presses the button that has the keyboard focus, as Space does; elsewhere in the window
    // it reaches the window, which presses its default button.
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void CommandButtonView::mousePressEvent(QMouseEvent* event) {
    forwardMousePress(*event, event->position());
    if (control() != nullptr) {
        QPushButton::mousePressEvent(event);
    }
}

void CommandButtonView::mouseMoveEvent(QMouseEvent* event) {
    forwardMouseMove(*event, event->position());
    QPushButton::mouseMoveEvent(event);
}

void CommandButtonView::mouseReleaseEvent(QMouseEvent* event) {
    QPushButton::mouseReleaseEvent(event);  // emits clicked, which raises Click
    forwardMouseUp(*event, event->position());
}

}  // namespace plivora
