#pragma once

#include <cstdint>

#include "forms/types.h"
#include "forms/window_calls.h"

namespace plivora {

class Form;
class Host;

// Drags a borderless form with the mouse and snaps it to the edges of the screen's work area.
// The form feeds it the press (StartDockDrag) and every move with the left button down
// (UpdateDockDrag); there is no end call. Positions are in twips; the form is placed in screen
// pixels with SetWindowPos. Which edges hold the form carries over from one drag to the next.
class clsDockingHandler {
public:
    // SnapDistance starts at 10 pixels in twips (the screen's horizontal twips per pixel x 10).
    explicit clsDockingHandler(Host& host);

    // x and y: the mouse position in twips relative to the form's client area.
    void StartDockDrag(float x, float y);
    void UpdateDockDrag(float x, float y);

    Form* ParentForm() const { return m_parentForm; }
    void setParentForm(Form* vData) { m_parentForm = vData; }
    // Setting it re-places the form at once, topmost or not.
    Bool16 AlwaysOnTop() const { return m_alwaysOnTop; }
    void setAlwaysOnTop(Bool16 vData);
    std::int32_t SnapDistance() const { return m_snapDistance; }
    void setSnapDistance(std::int32_t vData) { m_snapDistance = vData; }

    // The edges the form is held against.
    Bool16 DockedRight() const { return m_dockedRight; }
    Bool16 DockedLeft() const { return m_dockedLeft; }
    Bool16 DockedTop() const { return m_dockedTop; }
    Bool16 DockedBottom() const { return m_dockedBottom; }

private:
    Host& m_host;
    Form* m_parentForm = nullptr;
    Bool16 m_alwaysOnTop = kFalse;
    std::int32_t m_snapDistance = 0;
    float m_startX = 0;
    float m_startY = 0;
    RECT m_workArea;  // twips, from the start of the drag
    Bool16 m_dockedRight = kFalse;
    Bool16 m_dockedLeft = kFalse;
    Bool16 m_dockedTop = kFalse;
    Bool16 m_dockedBottom = kFalse;
    std::int32_t m_insertAfter = HWND_NOTOPMOST;
};

}  // namespace plivora
