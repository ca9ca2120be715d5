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
    // The panel is as large as its picture, so that the whole tab shows; the designed 660 x 276
    // twips would cut the 54 x 24 pixel picture short at 15 twips per pixel.
    if (picture().isNull()) {
        setClientSize(kDesignedWidth, kDesignedHeight);
    } else {
        setClientSize(static_cast<float>(picture().width()) * host().twipsPerPixelX(),
                      static_cast<float>(picture().height()) * host().twipsPerPixelY());
    }
    Load = [this] { Form_Load(); };
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

void Form3::Form_Load() {
    setTop(0);
    const float screenWidth =
        static_cast<float>(host().screenRect().width()) * host().twipsPerPixelX();
    setLeft(screenWidth - kLoadOffsetFromRight);
    dockingHandler().setParentForm(this);
    SetWindowPos(this, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(this);
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
    PanelHoverRestore(*this);
}

}  // namespace plivora
