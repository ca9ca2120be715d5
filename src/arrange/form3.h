#pragma once

#include <memory>

#include "forms/form.h"

namespace plivora {

class Program;
class clsDockingHandler;

// The floating panel that stands in for the main window in tiny mode: a borderless topmost
// window showing one picture, dragged with the left button and snapped to the work area's edges
// by its docking handler. Hovering over it brings the main window back; a right click ends the
// program. Showing and hiding it is tiny mode's business.
class Form3 : public Form {
public:
    explicit Form3(Program& program);
    ~Form3() override;

    Program& program() const { return m_program; }
    // Made on first use.
    clsDockingHandler& dockingHandler();

    void Form_Load();
    // A close by the window manager (Alt+F4, a close button) acts as Tiny off: the main window
    // comes back and the panel hides, so the program is never left without a window.
    void Form_QueryUnload(int& cancel, int unloadMode);
    void Form_MouseDown(int button, int shift, float x, float y);
    void Form_MouseMove(int button, int shift, float x, float y);

    // The designed client area, used when the panel's picture cannot be had.
    static constexpr float kDesignedWidth = 660.0f;
    static constexpr float kDesignedHeight = 276.0f;
    // Load places the panel this far left of the screen's right edge.
    static constexpr float kLoadOffsetFromRight = 3600.0f;

    // The panel's outer rectangle in twips (it has no border).
    struct Place {
        float left = 0;
        float top = 0;
        float width = 0;
        float height = 0;
    };
    // Where Load puts the panel: at the top of the screen, kLoadOffsetFromRight left of its
    // right edge, as large as the panel's picture. The main window's first place keeps clear of
    // it.
    static Place firstPlace(const Host& host);

private:
    // As large as the picture, so that the whole tab shows; the designed 660 x 276 twips would
    // cut the 54 x 24 pixel picture short at 15 twips per pixel.
    static Place sizedFor(const Picture& picture, const Host& host);

    Program& m_program;
    std::unique_ptr<clsDockingHandler> m_dockingHandler;
};

}  // namespace plivora
