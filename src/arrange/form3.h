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
    void Form_MouseDown(int button, int shift, float x, float y);
    void Form_MouseMove(int button, int shift, float x, float y);

    // The designed client area, used when the panel's picture cannot be had.
    static constexpr float kDesignedWidth = 660.0f;
    static constexpr float kDesignedHeight = 276.0f;
    // Load places the panel this far left of the screen's right edge.
    static constexpr float kLoadOffsetFromRight = 3600.0f;

private:
    Program& m_program;
    std::unique_ptr<clsDockingHandler> m_dockingHandler;
};

}  // namespace plivora
