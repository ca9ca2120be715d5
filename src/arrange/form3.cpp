#include "arrange/form3.h"

#include "app/form1.h"
#include "app/program.h"
#include "app/resource_picture.h"
#include "arrange/cls_docking_handler.h"
#include "arrange/mod_main.h"
#include "arrange/tiny_mode.h"
#include "forms/host.h"
#include "forms/window_calls.h"
#include "win/error.h"

namespace plivora {

Form3::Form3(Program& program) : Form(program.host(), "Form3"), m_program(program) {
    setCaption("Plivora Image Viewer");
    setBorderStyle(BorderStyle::None);
    setShowInTaskbar(false);
    // The panel stands in for the hidden main window: under other windows it would leave the
    // program with no window to reach, so it stays above them whatever a drag step asks.
    setKeepsAbove(true);
    setMinButton(false);
    setMaxButton(false);
    setPicture(resourcePicture("panel.gif"));
    const Place size = sizedFor(picture(), host());
    setClientSize(size.width, size.height);
    Load = [this] { Form_Load(); };
    QueryUnload = [this](int& cancel, int unloadMode) { Form_QueryUnload(cancel, unloadMode); };
    MouseDown = [this](int b, int s, float x, float y) { Form_MouseDown(b, s, x, y); };
    MouseMove = [this](int b, int s, float x, float y) { Form_MouseMove(b, s, x, y); };
}

Form3::~Form3() = default;

clsDockingHandler& Form3::dockingHandler() {
    if (!m_dockingHandler) {
        m_dockingHandler = std::make_unique<clsDockingHandler>(host());
    }
    return *m_dockingHandler;
}

Form3::Place Form3::sizedFor(const Picture& picture, const Host& host) {
    if (picture.isNull()) {
        return {0, 0, kDesignedWidth, kDesignedHeight};
    }
    return {0, 0, static_cast<float>(picture.width()) * host.twipsPerPixelX(),
            static_cast<float>(picture.height()) * host.twipsPerPixelY()};
}

Form3::Place Form3::firstPlace(const Host& host) {
    Place place = sizedFor(resourcePicture("panel.gif"), host);
    place.top = 0;
    const float screenWidth = static_cast<float>(host.screenRect().width()) * host.twipsPerPixelX();
    place.left = screenWidth - kLoadOffsetFromRight;
    return place;
}

void Form3::Form_Load() {
    const Place place = firstPlace(host());
    setTop(place.top);
    setLeft(place.left);
    dockingHandler().setParentForm(this);
    SetWindowPos(this, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(this);
}

void Form3::Form_QueryUnload(int& cancel, int unloadMode) {
    if (unloadMode != kFormControlMenu) {
        return;
    }
    // The panel stands in for the main window: closing it by itself would leave the program
    // running with no window to reach, so the close brings the main window back as Tiny off
    // does, and the panel stays loaded for the next Tiny on.
    cancel = kTrue;
    if (m_program.blTinyMode == kFalse) {
        return;  // tiny mode off already hid the panel
    }
    Form1& main = m_program.form1();
    if (main.windowState() == WindowState::Minimized) {
        main.setWindowState(WindowState::Normal);
    }
    cmdTiny_Click(main);
}

void Form3::Form_MouseDown(int button, int /*shift*/, float x, float y) {
    if (button == MouseButton::Left) {
        try {
            dockingHandler().StartDockDrag(x, y);
        } catch (const Error&) {
            // A work area that cannot be converted leaves the drag where it was.
        }
    } else if (button == MouseButton::Right) {
        // The main window's close path saves its position, removes the pin and ends the program.
        Form1& main = m_program.form1();
        main.unload(Form::kFormCode);
        RemoveTitlePin(main);
        host().quit();
    }
}

void Form3::Form_MouseMove(int button, int /*shift*/, float x, float y) {
    if (button == MouseButton::Left) {
        try {
            dockingHandler().UpdateDockDrag(x, y);
        } catch (const Error&) {
            // The step failed before anything moved; the panel stays where it is.
        }
    }
    panelHoverRestore(*this);
}

}  // namespace plivora
