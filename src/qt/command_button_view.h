#pragma once

#include <QPushButton>

#include "qt/child_view.h"

namespace plivora {

class CommandButton;

// A push button: its caption, or its picture as the face when the button is graphical (then with
// its back colour). Click comes from the button itself, so a key press clicks it too; MouseUp
// follows Click, so a handler of the release sees what the click did.
class CommandButtonView : public QPushButton, public ChildView {
public:
    CommandButtonView(CommandButton& button, QWidget& parent, QtHost& host, FormView& formView);
    QWidget* widget() override { return this; }

protected:
    void updateContent() override;
    void updateAppearance() override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    CommandButton* button() const;
};

}  // namespace plivora
