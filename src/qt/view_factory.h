#pragma once

class QWidget;

namespace plivora {

class ChildView;
class Control;
class FormView;
class QtHost;

// Makes the view of one control of a form as a child widget of `parent`, showing the control's
// state. Returns nullptr for a control that has nothing to show (a timer, an image list). The
// widget, and with it the view, belongs to the parent.
ChildView* createChildView(Control& control, QWidget& parent, QtHost& host, FormView& formView);

}  // namespace plivora
