#include "qt/qt_host.h"

#include <cstdlib>
#include <functional>
#include <string>
#include <utility>

#include <QtGui/qguiapplication_platform.h>
#include <QApplication>
#include <QClipboard>
#include <QLoggingCategory>
#include <QMenu>
#include <QMimeData>
#include <QPalette>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QWidget>

#include <xcb/xcb.h>

#include "forms/form.h"
#include "forms/menu.h"
#include "forms/timer_control.h"
#include "forms/timer_resolution.h"
#include "picture/color_management.h"
#include "picture/picture.h"
#include "qt/clipboard_data.h"
#include "qt/conversions.h"
#include "qt/form_view.h"
#include "win/error.h"
#include "win/file_system.h"

Q_LOGGING_CATEGORY(lcWindowCalls, "plivora.windowcalls", QtWarningMsg)

namespace plivora {

namespace {

QScreen* primaryScreen() {
    return QGuiApplication::primaryScreen();
}

// The designed platform's system colour indices, as roles of the application's palette.
QColor paletteColor(const QPalette& palette, int index) {
    switch (index) {
        case 1:   // desktop
        case 12:  // application workspace
            return palette.color(QPalette::Dark);
        case 2:   // active caption
        case 13:  // highlight
            return palette.color(QPalette::Highlight);
        case 3:   // inactive caption
        case 16:  // button shadow
            return palette.color(QPalette::Mid);
        case 4:   // menu
        case 0:   // scroll bar
        case 10:  // active border
        case 11:  // inactive border
        case 15:  // button face
            return palette.color(QPalette::Button);
        case 5:  // window
            return palette.color(QPalette::Base);
        case 6:   // window frame
        case 21:  // 3D dark shadow
            return palette.color(QPalette::Shadow);
        case 7:  // menu text
        case 8:  // window text
            return palette.color(QPalette::WindowText);
        case 9:   // caption text
        case 14:  // highlighted text
            return palette.color(QPalette::HighlightedText);
        case 17:  // grey text
        case 19:  // inactive caption text
            return palette.color(QPalette::Disabled, QPalette::WindowText);
        case 18:  // button text
            return palette.color(QPalette::ButtonText);
        case 20:  // button highlight
            return palette.color(QPalette::Light);
        case 22:  // 3D light
            return palette.color(QPalette::Midlight);
        case 23:  // tooltip text
            return palette.color(QPalette::ToolTipText);
        case 24:  // tooltip background
            return palette.color(QPalette::ToolTipBase);
        default:
            return palette.color(QPalette::Window);
    }
}

// Tells the host when the application's palette changed (the desktop's colour scheme, or a
// palette the program was given).
class PaletteWatch : public QObject {
public:
    explicit PaletteWatch(std::function<void()> changed) : m_changed(std::move(changed)) {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange) {
            m_changed();
        }
        return false;
    }

private:
    std::function<void()> m_changed;
};

// The ICC profile a colour daemon publishes for the display: the _ICC_PROFILE property of the
// root window of the X screen. Empty on another platform, or when no daemon set one: the display
// is then taken as sRGB.
std::string displayIccProfile() {
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection) {
        return std::string();
    }
    static constexpr char kName[] = "_ICC_PROFILE";
    // Only an atom that exists: no atom, no property.
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, sizeof kName - 1, kName), nullptr);
    const xcb_atom_t name = atom ? atom->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(atom);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (name == XCB_ATOM_NONE || !screen) {
        return std::string();
    }
    // The length is counted in 32-bit units; a profile beyond 64 MB is no display's.
    xcb_get_property_reply_t* property =
        xcb_get_property_reply(connection,
                               xcb_get_property(connection, 0, screen->root, name,
                                                XCB_GET_PROPERTY_TYPE_ANY, 0, (64u << 20) / 4),
                               nullptr);
    std::string profile;
    if (property && property->format == 8) {
        profile.assign(static_cast<const char*>(xcb_get_property_value(property)),
                       static_cast<std::size_t>(xcb_get_property_value_length(property)));
    }
    std::free(property);
    return profile;
}

// Frames are remembered per border style: windows of one style get the same decoration.
int frameKind(const Form& form) {
    return static_cast<int>(form.borderStyle());
}

}  // namespace

QtHost::QtHost() {
    // Closing the main window ends the program through quit(); a window that merely closes (the
    // thumbnail window hides) must not end it, even when it was the last one on screen.
    QApplication::setQuitOnLastWindowClosed(false);
    // Pictures are shown in the display's colours from the first one on. A profile the colour
    // engine cannot use leaves the display taken as sRGB, which is how every display without a
    // colour daemon is shown: nothing the user need hear of.
    setDisplayProfile(displayIccProfile());
    fillSystemColors();
    m_paletteWatch = std::make_unique<PaletteWatch>([this] { fillSystemColors(); });
    m_activeWatch = QObject::connect(
        qApp, &QGuiApplication::applicationStateChanged, [this](Qt::ApplicationState state) {
            m_wasActive = m_wasActive || state == Qt::ApplicationActive;
        });
}

QtHost::~QtHost() {
    QObject::disconnect(m_activeWatch);
    m_paletteWatch.reset();
    for (auto& [form, view] : m_views) {
        view->detachAll();
    }
    m_views.clear();
    m_timers.clear();
    if (m_cursorOverridden) {
        QGuiApplication::restoreOverrideCursor();
    }
    // Views and timers retired while events were being handled go now, before QApplication does.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

bool QtHost::mayActivateWindows() const {
    return !m_wasActive || QGuiApplication::applicationState() == Qt::ApplicationActive;
}

float QtHost::twipsPerPixelX() const {
    QScreen* screen = primaryScreen();
    return screen != nullptr ? static_cast<float>(1440.0 / screen->logicalDotsPerInchX()) : 15.0f;
}

float QtHost::twipsPerPixelY() const {
    QScreen* screen = primaryScreen();
    return screen != nullptr ? static_cast<float>(1440.0 / screen->logicalDotsPerInchY()) : 15.0f;
}

double QtHost::devicePixelRatio() const {
    return qApp->devicePixelRatio();
}

PixelRect QtHost::screenRect() const {
    QScreen* screen = primaryScreen();
    return screen != nullptr ? toPixelRect(screen->geometry()) : PixelRect{};
}

PixelRect QtHost::workArea() const {
    QScreen* screen = primaryScreen();
    return screen != nullptr ? toPixelRect(screen->availableGeometry()) : PixelRect{};
}

std::vector<PixelRect> QtHost::workAreas() const {
    std::vector<PixelRect> areas{workArea()};
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen != primaryScreen()) {
            areas.push_back(toPixelRect(screen->availableGeometry()));
        }
    }
    return areas;
}

FrameMetrics QtHost::frameMetrics(const Form& form) const {
    return frameMetricsFromPixels(frameMarginsPixels(form), *this);
}

QMargins QtHost::frameMarginsPixels(const Form& form) const {
    if (form.borderStyle() == BorderStyle::None) {
        return {};
    }
    if (FormView* view = formView(form); view != nullptr && view->measuredFrame()) {
        return *view->measuredFrame();
    }
    if (auto it = m_learnedFrames.find(frameKind(form)); it != m_learnedFrames.end()) {
        return it->second;
    }
    // Until a window was measured: a thin border and a caption bar of the style's title height.
    const int border = 1;
    const int title = QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
    return QMargins(border, border + title, border, border);
}

void QtHost::rememberFrame(const Form& form, const QMargins& frame) {
    m_learnedFrames[frameKind(form)] = frame;
}

void QtHost::fillSystemColors() {
    const QPalette palette = QApplication::palette();
    SystemColors& colors = gdi().systemColors();
    for (int index = 0; index < SystemColors::kCount; ++index) {
        colors.setColor(index, fromQColor(paletteColor(palette, index)));
    }
    // The views took their colours from the table when they were shown; they show them again.
    for (const auto& [form, view] : m_views) {
        view->controlChanged(ViewChange::Appearance);
        for (Control* control : form->controls()) {
            if (control->view() != nullptr) {
                control->view()->controlChanged(ViewChange::Appearance);
            }
        }
    }
}

PixelPoint QtHost::cursorPos() const {
    const QPoint pos = QCursor::pos();
    return {pos.x(), pos.y()};
}

QWidget* QtHost::widgetOf(const Control& control) const {
    auto* view = dynamic_cast<View*>(control.view());
    return view != nullptr ? view->widget() : nullptr;
}

FormView* QtHost::formView(const Form& form) const {
    auto it = m_views.find(&form);
    return it != m_views.end() ? it->second.get() : nullptr;
}

void QtHost::setCapture(Control* control) {
    releaseCapture();
    m_capture = control;
    if (control == nullptr) {
        return;
    }
    QWidget* widget = widgetOf(*control);
    if (widget != nullptr && widget->isVisible()) {
        widget->grabMouse();
        m_captureWidget = widget;
    }
}

void QtHost::releaseCapture() {
    if (m_captureWidget != nullptr) {
        m_captureWidget->releaseMouse();
    }
    m_captureWidget = nullptr;
    m_capture = nullptr;
}

void QtHost::setProgramCursor(const Picture* cursor) {
    if (cursor == nullptr) {
        m_programCursor.reset();
    } else {
        const QPixmap pixmap = pictureToPixmap(*cursor);
        QPoint hotSpot(pixmap.width() / 2, pixmap.height() / 2);
        if (pixmap.size() == QSize(kCursorSize, kCursorSize)) {
            hotSpot = QPoint(kCursorHotSpot.x, kCursorHotSpot.y);
        }
        m_programCursor =
            pixmap.isNull() ? QCursor(Qt::ArrowCursor) : QCursor(pixmap, hotSpot.x(), hotSpot.y());
    }
    applyCursor();
}

void QtHost::setMousePointer(int mousePointer) {
    m_busy = mousePointer == kPointerHourglass;
    applyCursor();
}

void QtHost::applyCursor() {
    std::optional<QCursor> shape = m_programCursor;
    if (m_busy) {
        shape = QCursor(Qt::WaitCursor);
    }
    if (!shape) {
        if (m_cursorOverridden) {
            QGuiApplication::restoreOverrideCursor();
            m_cursorOverridden = false;
        }
        return;
    }
    // The program keeps one entry on the override stack and changes it, so the two sources of a
    // pointer never leave an entry behind. On X11 the platform sends the new cursor of every
    // window to the server and flushes the connection before the call returns, so the pointer
    // changes even while the event loop waits for the work that follows.
    if (m_cursorOverridden) {
        QGuiApplication::changeOverrideCursor(*shape);
    } else {
        QGuiApplication::setOverrideCursor(*shape);
        m_cursorOverridden = true;
    }
}

void QtHost::timerChanged(TimerControl& timer) {
    auto it = m_timers.find(&timer);
    if (!timer.isRunning() || m_quitting) {
        if (it != m_timers.end()) {
            it->second->stop();
        }
        return;
    }
    if (it == m_timers.end()) {
        auto ticker = std::make_unique<QTimer>();
        ticker->setTimerType(Qt::PreciseTimer);
        TimerControl* model = &timer;
        QObject::connect(ticker.get(), &QTimer::timeout, ticker.get(), [this, model] {
            if (m_quitting || m_runningTimers.count(model) != 0) {
                return;
            }
            m_runningTimers.insert(model);
            try {
                model->raiseTimer();  // may stop, restart or destroy this very timer
            } catch (const ProgramEnding&) {
                // The handler ran DoEvents while the program ended.
            }
            m_runningTimers.erase(model);
        });
        it = m_timers.emplace(&timer, std::move(ticker)).first;
    }
    it->second->start(timerTickIntervalMs(timer.interval()));
}

void QtHost::timerDestroyed(TimerControl& timer) {
    auto it = m_timers.find(&timer);
    if (it == m_timers.end()) {
        return;
    }
    it->second->stop();
    // The timer may be destroyed from its own tick; its QTimer goes once that tick has returned.
    retire(it->second.release());
    m_timers.erase(it);
}

void QtHost::doEvents() {
    if (!m_quitting) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    if (m_quitting) {
        throw ProgramEnding{};
    }
}

void QtHost::waitForEvents() {
    if (!m_quitting) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    if (m_quitting) {
        throw ProgramEnding{};
    }
}

void QtHost::wake() {
    // A call posted to the application object is an event of the window's thread: it ends the
    // wait for events there, or the next one if none is under way. Posting is safe from any
    // thread.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [] {}, Qt::QueuedConnection);
}

void QtHost::beep() {
    QApplication::beep();
}

void QtHost::quit() {
    m_quitting = true;
    for (auto& [form, view] : m_views) {
        view->hide();
    }
    for (auto& [timer, ticker] : m_timers) {
        ticker->stop();
    }
    releaseCapture();
    m_busy = false;
    setProgramCursor(nullptr);
    QCoreApplication::quit();
}

void QtHost::popupMenu(Menu& menu, PixelPoint at, unsigned flags) {
    QMenu popup;
    std::vector<std::pair<QAction*, Menu*>> actions;
    for (Menu* item : menu.items()) {
        if (!item->isVisible()) {
            continue;
        }
        QAction* action = popup.addAction(captionToQString(item->caption()));
        action->setEnabled(item->isEnabled());
        actions.emplace_back(action, item);
    }
    if (actions.empty()) {
        return;
    }
    QPoint position(at.x, at.y);
    if ((flags & TPM_RIGHTALIGN) != 0) {
        position.rx() -= popup.sizeHint().width();
    } else if ((flags & TPM_CENTERALIGN) != 0) {
        position.rx() -= popup.sizeHint().width() / 2;
    }
    QAction* chosen = popup.exec(position);
    for (const auto& [action, item] : actions) {
        if (action == chosen) {
            item->raiseClick();
        }
    }
}

void QtHost::clearClipboard() {
    m_clipboardText.reset();
    m_clipboardFiles.reset();
    QGuiApplication::clipboard()->clear();
}

void QtHost::setClipboardText(const std::string& text) {
    m_clipboardText = text;
    publishClipboard();
}

std::string QtHost::clipboardText() const {
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    return mime != nullptr ? clipboardTextOf(*mime) : std::string();
}

void QtHost::setClipboardData(int format, const std::vector<std::uint8_t>& bytes) {
    if (format != kClipboardFileDrop) {
        qWarning("plivora: clipboard format %d is not offered on this platform", format);
        return;
    }
    std::optional<std::vector<std::string>> files = parseFileDropBlock(bytes);
    if (!files) {
        qWarning(
            "plivora: a file-drop block without a valid name list was not put on the clipboard");
        return;
    }
    m_clipboardFiles = std::move(files);
    publishClipboard();
}

void QtHost::publishClipboard() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (m_clipboardFiles) {
        clipboard->setMimeData(fileListMimeData(*m_clipboardFiles, m_clipboardText));
    } else if (m_clipboardText) {
        clipboard->setMimeData(textMimeData(*m_clipboardText));
    }
}

std::vector<Drive> QtHost::drives() const {
    return mountedDrives();
}

void QtHost::formCreated(Form& form) {
    auto it = m_views.find(&form);
    if (it != m_views.end()) {
        it->second->detachAll();
        it->second->hide();
        retire(it->second.release());
        m_views.erase(it);
    }
    m_views.emplace(&form, std::make_unique<FormView>(form, *this));
}

void QtHost::formDestroyed(Form& form) {
    if (m_capture != nullptr && m_capture->form() == &form) {
        releaseCapture();
    }
    auto it = m_views.find(&form);
    if (it == m_views.end()) {
        return;
    }
    FormView* view = it->second.release();
    m_views.erase(it);
    view->detachAll();
    view->hide();
    // The window may be closing from its own close event; it goes once that event has returned.
    retire(view);
}

void QtHost::handlerFailed(const Control& control, const Error& error) {
    if (warningBox() && !m_quitting) {
        warningBox()(errorText(error));
        return;
    }
    qWarning("plivora: an event handler of %s failed: %s", control.name().c_str(),
             errorText(error).c_str());
}

void QtHost::windowCall(const std::string& description) {
    qCDebug(lcWindowCalls, "%s", description.c_str());
}

void QtHost::retire(QObject* object) {
    object->deleteLater();
}

}  // namespace plivora
