#include "qt/form_view.h"

#include <algorithm>

#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QPainter>
#include <QWindow>

#include "forms/dialog_keys.h"
#include "forms/form.h"
#include "qt/child_view.h"
#include "qt/conversions.h"
#include "qt/qt_host.h"
#include "qt/view_factory.h"

namespace plivora {

namespace {

constexpr std::size_t kMaxPendingRequests = 16;

Qt::WindowFlags windowFlagsFor(const Form& form) {
    const BorderStyle style = form.borderStyle();
    const bool tool = style == BorderStyle::FixedToolWindow || !form.showInTaskbar();
    Qt::WindowFlags flags = Qt::Window;
    if (tool) {
        flags = Qt::Tool;
    } else if (style == BorderStyle::FixedDialog) {
        flags = Qt::Dialog;  // window managers give dialogs no minimise or maximise buttons
    }
    if (style == BorderStyle::None) {
        flags |= Qt::FramelessWindowHint;
    } else {
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint;
        const bool buttonsAllowed =
            style == BorderStyle::Sizable || style == BorderStyle::FixedSingle;
        if (buttonsAllowed && form.hasMinButton()) {
            flags |= Qt::WindowMinimizeButtonHint;
        }
        if (buttonsAllowed && form.hasMaxButton()) {
            flags |= Qt::WindowMaximizeButtonHint;
        }
    }
    if (form.isTopmost()) {
        flags |= Qt::WindowStaysOnTopHint;
    }
    return flags;
}

}  // namespace

FormView::FormView(Form& form, QtHost& host)
    : MouseForwardingView(nullptr, form, host), m_zRank(form.zOrderRank()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setWindowFlags(windowFlagsFor(form));
    for (Control* control : form.controls()) {
        ensureChildView(*control);
    }
    restack();
    applyTabOrder();
    applyAppearance();
    applyContent();
    applyGeometry();
    applyVisibility();
}

FormView::~FormView() = default;

Form* FormView::form() const {
    return static_cast<Form*>(control());
}

ChildView* FormView::ensureChildView(Control& control) {
    if (auto it = m_childByControl.find(&control); it != m_childByControl.end()) {
        return it->second;
    }
    QWidget* parent = this;
    Control* container = control.container();
    if (container != nullptr && container != form()) {
        if (ChildView* containerView = ensureChildView(*container); containerView != nullptr) {
            parent = containerView->widget();
        }
    }
    ChildView* view = createChildView(control, *parent, host(), *this);
    m_childByControl[&control] = view;
    if (view != nullptr) {
        view->setCreationIndex(static_cast<int>(m_children.size()));
        m_children.push_back(view);
    }
    return view;
}

std::optional<QMargins> FormView::measuredFrame() const {
    const QWindow* window = windowHandle();
    if (isVisible() && window != nullptr && !window->frameMargins().isNull()) {
        return window->frameMargins();
    }
    return m_frame;
}

void FormView::detachAll() {
    for (ChildView* child : m_children) {
        child->detach();
    }
    detach();
}

void FormView::controlChanged(ViewChange change) {
    if (form() == nullptr) {
        return;
    }
    switch (change) {
        case ViewChange::Geometry:
            applyGeometry();
            break;
        case ViewChange::Visibility:
            applyVisibility();
            break;
        case ViewChange::Content:
            applyContent();
            break;
        case ViewChange::Appearance:
            applyTabOrder();
            applyAppearance();
            break;
        case ViewChange::ZOrder:
            applyWindowFlags();
            if (form()->zOrderRank() != m_zRank) {
                // Brought to the front: raised above its band, and given the keyboard focus when
                // that was asked and the user works with the program (never taken from another
                // program).
                m_zRank = form()->zOrderRank();
                raise();
                if (isVisible() && form()->activationRequested() && host().mayActivateWindows()) {
                    activateWindow();
                }
            }
            break;
    }
}

void FormView::restack() {
    std::vector<ChildView*> order;
    for (ChildView* child : m_children) {
        if (child->control() != nullptr) {
            order.push_back(child);
        }
    }
    // raise() reorders among siblings only, so one order over all children serves every parent.
    std::stable_sort(order.begin(), order.end(), [](const ChildView* a, const ChildView* b) {
        if (a->isWindowless() != b->isWindowless()) {
            return a->isWindowless();
        }
        if (a->control()->zOrderRank() != b->control()->zOrderRank()) {
            return a->control()->zOrderRank() < b->control()->zOrderRank();
        }
        return a->creationIndex() < b->creationIndex();
    });
    for (ChildView* child : order) {
        child->widget()->raise();
    }
}

std::vector<QWidget*> FormView::tabOrderWidgets() const {
    std::vector<QWidget*> widgets;
    for (Control* control : form()->tabOrder()) {
        if (auto it = m_childByControl.find(control);
            it != m_childByControl.end() && it->second != nullptr) {
            widgets.push_back(it->second->widget());
        }
    }
    return widgets;
}

void FormView::applyTabOrder() {
    QWidget* previous = nullptr;
    for (QWidget* widget : tabOrderWidgets()) {
        // A control the form lists takes the focus from Tab and from a click, whatever its kind
        // (the logo that opens the About box is a picture box).
        widget->setFocusPolicy(Qt::StrongFocus);
        if (previous != nullptr) {
            QWidget::setTabOrder(previous, widget);
        }
        previous = widget;
    }
}

void FormView::focusFirstInTabOrder() {
    for (QWidget* widget : tabOrderWidgets()) {
        if (widget->isVisibleTo(this) && widget->isEnabled()) {
            // The window's focus child: it has the keyboard as soon as the window is active.
            widget->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}

void FormView::applyWindowFlags() {
    const Qt::WindowFlags flags = windowFlagsFor(*form());
    if (flags == windowFlags()) {
        return;
    }
    QWindow* window = windowHandle();
    if (window != nullptr && isVisible()) {
        // A shown window keeps its place: the window system is told the new flags (the on-top
        // state among them) without the window being made again.
        overrideWindowFlags(flags);
        window->setFlags(flags);
        return;
    }
    setWindowFlags(flags);
}

void FormView::applyGeometry() {
    const Form& model = *form();
    if (model.windowState() != WindowState::Normal) {
        return;  // a minimised or maximised window has the place the window system gives it
    }
    const QRect outer = formOuterPixelRect(model);
    const QMargins frame = host().frameMarginsPixels(model);
    const QSize client(std::max(1, outer.width() - frame.left() - frame.right()),
                       std::max(1, outer.height() - frame.top() - frame.bottom()));
    if (isVisible() && frameGeometry() == outer && size() == client) {
        return;
    }
    // The size changes before the place: the window system may report the new size at the old
    // place first, which is a step of this request too.
    for (const QRect& step : {QRect(frameGeometry().topLeft(), outer.size()), outer}) {
        m_requested.push_back(step);
        if (m_requested.size() > kMaxPendingRequests) {
            m_requested.pop_front();
        }
    }
    m_applyingGeometry = true;
    if (model.borderStyle() == BorderStyle::Sizable) {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        resize(client);
    } else {
        setFixedSize(client);
    }
    move(outer.topLeft());
    m_applyingGeometry = false;
    layoutChildren();
}

void FormView::layoutChildren() {
    for (ChildView* child : m_children) {
        child->updateGeometry();
    }
}

void FormView::applyVisibility() {
    Form& model = *form();
    if (!model.isVisible()) {
        hide();
        return;
    }
    if (!m_everShown) {
        m_everShown = true;
        focusFirstInTabOrder();
        if (model.isCentred()) {
            const PixelRect area = host().workArea();
            const QRect outer = formOuterPixelRect(model);
            const int x = area.left + (area.width() - outer.width()) / 2;
            const int y = area.top + (area.height() - outer.height()) / 2;
            const float tx = host().twipsPerPixelX();
            const float ty = host().twipsPerPixelY();
            model.setGeometryFromView(pixelsToTwips(x, tx), pixelsToTwips(y, ty), model.width(),
                                      model.height());
            applyGeometry();
        }
    }
    // A window shown while the user works with another program does not take the keyboard
    // focus from it: Qt then gives the window a user time of 0, and the window manager leaves
    // the focus where it is. The window's own property is what the platform reads at each show.
    const bool activate = model.activationRequested() && host().mayActivateWindows();
    setAttribute(Qt::WA_ShowWithoutActivating, !activate);
    if (QWindow* window = windowHandle(); window != nullptr) {
        window->setProperty("_q_showWithoutActivating", !activate);
    }
    switch (model.windowState()) {
        case WindowState::Minimized:
            showMinimized();
            break;
        case WindowState::Maximized:
            showMaximized();
            break;
        case WindowState::Normal:
            if (isMinimized() || isMaximized()) {
                showNormal();
            } else {
                show();
            }
            break;
    }
}

void FormView::applyContent() {
    const Form& model = *form();
    // An empty title would show the application's name instead; a blank keeps the bar empty.
    setWindowTitle(model.caption().empty() ? QStringLiteral(" ") : toQString(model.caption()));
    m_background = pictureToPixmap(model.picture());
    update();
}

void FormView::applyAppearance() {
    const Form& model = *form();
    const QPixmap icon = pictureToPixmap(model.icon());
    // A form without an icon of its own shows the program's.
    setWindowIcon(icon.isNull() ? QApplication::windowIcon() : QIcon(icon));
    update();
}

void FormView::paintEvent(QPaintEvent* /*event*/) {
    if (form() == nullptr) {
        return;
    }
    QPainter painter(this);
    painter.fillRect(rect(), toQColor(form()->backColor(), host()));
    if (!m_background.isNull()) {
        painter.drawPixmap(0, 0, m_background);
    }
    painter.end();
    deliver([](Control& control) { static_cast<Form&>(control).raisePaint(); });
}

void FormView::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    syncGeometryFromWindow();
}

void FormView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    syncGeometryFromWindow();
}

void FormView::syncGeometryFromWindow() {
    Form* model = form();
    if (model == nullptr || m_applyingGeometry || host().isQuitting() || !isVisible() ||
        isMinimized() || (isMaximized() && !model->hasMaxButton())) {
        return;
    }
    const QWindow* window = windowHandle();
    const QMargins margins = window != nullptr ? window->frameMargins() : QMargins();
    if (model->borderStyle() != BorderStyle::None && margins.isNull()) {
        return;  // the window manager has not framed the window yet
    }
    if (m_frame != margins) {
        m_frame = margins;
        host().rememberFrame(*model, margins);
    }
    const QRect outer = frameGeometry();
    if (outer == formOuterPixelRect(*model)) {
        m_requested.clear();
        return;
    }
    if (auto it = std::find(m_requested.begin(), m_requested.end(), outer);
        it != m_requested.end()) {
        m_requested.erase(m_requested.begin(), it + 1);
        return;
    }
    const float tx = host().twipsPerPixelX();
    const float ty = host().twipsPerPixelY();
    // The form keeps its controls where they are (a custom scale follows the client area), so
    // no child moves.
    deliver([&](Control& control) {
        static_cast<Form&>(control).setGeometryFromView(
            pixelsToTwips(outer.x(), tx), pixelsToTwips(outer.y(), ty),
            pixelsToTwips(outer.width(), tx), pixelsToTwips(outer.height(), ty));
    });
}

void FormView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) {
        return;
    }
    if (form() != nullptr && isMaximized() && !form()->hasMaxButton() &&
        form()->windowState() != WindowState::Maximized) {
        // A window without a maximise button that the window manager maximised anyway (openbox
        // offers it from the title bar) goes back at once; the window manager restores the
        // place it had, and the form never takes the maximised geometry.
        showNormal();
        return;
    }
    if (form() != nullptr && isMinimized() && !form()->hasMinButton() &&
        form()->windowState() != WindowState::Minimized) {
        // The same for a minimise from the window manager's menu: the floating panel, the one
        // window on screen in tiny mode, would otherwise leave the program with none to use.
        showNormal();
        return;
    }
    const WindowState state = isMinimized()   ? WindowState::Minimized
                              : isMaximized() ? WindowState::Maximized
                                              : WindowState::Normal;
    deliver(
        [state](Control& control) { static_cast<Form&>(control).setWindowStateFromView(state); });
}

void FormView::keyPressEvent(QKeyEvent* event) {
    // A key that no control of the window used comes here: Enter and Escape press the window's
    // default and cancel buttons.
    const int key = event->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (form() == nullptr || (!enter && key != Qt::Key_Escape) ||
        (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        MouseForwardingView::keyPressEvent(event);
        return;
    }
    bool pressed = false;
    const DialogKey dialogKey = enter ? DialogKey::Enter : DialogKey::Escape;
    deliver([&](Control& control) {
        pressed = pressDialogKey(static_cast<Form&>(control), dialogKey);
    });
    if (!pressed) {
        MouseForwardingView::keyPressEvent(event);
    }
}

void FormView::closeEvent(QCloseEvent* event) {
    if (form() == nullptr || host().isQuitting()) {
        event->accept();
        return;
    }
    bool unloaded = false;
    deliver([&unloaded](Control& control) {
        unloaded = static_cast<Form&>(control).unload(Form::kFormControlMenu);
    });
    if (unloaded) {
        event->accept();
    } else {
        event->ignore();
    }
}

}  // namespace plivora
