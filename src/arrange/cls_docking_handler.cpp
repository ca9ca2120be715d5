#include "arrange/cls_docking_handler.h"

#include <cstdlib>
#include <limits>

#include "forms/form.h"
#include "forms/host.h"
#include "win/error.h"

namespace plivora {

namespace {

// Every conversion to a 32-bit integer rounds to the nearest, a half to the even neighbour; a
// value beyond 32 bits is an overflow.
std::int32_t nearest(double value) {
    return roundHalfEven(value);
}

std::int32_t checked(std::int64_t value) {
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max()) {
        throw Error(ErrorNumber::Overflow);
    }
    return static_cast<std::int32_t>(value);
}

std::int32_t minus(std::int32_t a, std::int32_t b) {
    return checked(static_cast<std::int64_t>(a) - b);
}

std::int32_t absolute(std::int32_t value) {
    return checked(std::llabs(static_cast<std::int64_t>(value)));
}

// Twips to pixels for the placement. A zero factor is an error of the operation.
double perPixel(double twips, float twipsPerPixel) {
    if (twipsPerPixel == 0.0f) {
        throw Error(ErrorNumber::DivisionByZero);
    }
    return twips / twipsPerPixel;
}

// One edge of the work area in a drag step, for the form's top (the top and bottom edges) or its
// left (the left and right edges). Positions are in twips; they round to whole twips only when
// the edge acts.
struct Edge {
    std::int32_t distance = 0;  // of the proposed place from the edge
    double heldAt = 0;          // where the form is now
    double flushAt = 0;         // where the form lies flush against the edge
};

// An edge that holds the form keeps it where it is while the proposed place stays within the
// snap distance, and lets it go beyond; a free edge takes the form, flush against it, once the
// proposed place comes within the snap distance. `position` changes only when the edge acts.
void snapToEdge(const Edge& edge, std::int32_t snapDistance, Bool16& docked,
                std::int32_t& position) {
    if (docked != kFalse) {
        if (absolute(edge.distance) > snapDistance) {
            docked = kFalse;
        } else {
            position = nearest(edge.heldAt);
        }
    } else if (absolute(edge.distance) <= snapDistance) {
        position = nearest(edge.flushAt);
        docked = kTrue;
    }
}

}  // namespace

clsDockingHandler::clsDockingHandler(Host& host)
    : m_host(host), m_snapDistance(nearest(host.twipsPerPixelX() * 10.0f)) {}

void clsDockingHandler::StartDockDrag(float x, float y) {
    RECT area;
    SystemParametersInfoA(m_host, SPI_GETWORKAREA, 0, &area, 0);
    const double tx = m_host.twipsPerPixelX();
    const double ty = m_host.twipsPerPixelY();
    m_workArea.top = nearest(area.top * ty);
    m_workArea.left = nearest(area.left * tx);
    m_workArea.bottom = nearest(area.bottom * ty);
    m_workArea.right = nearest(area.right * tx);
    m_startX = x;
    m_startY = y;
}

void clsDockingHandler::UpdateDockDrag(float x, float y) {
    if (m_parentForm == nullptr) {
        return;
    }
    Form& p = *m_parentForm;
    const std::int32_t dx = nearest(x - m_startX);
    const std::int32_t dy = nearest(y - m_startY);
    if (dx == 0 && dy == 0) {
        return;
    }
    std::int32_t newLeft = nearest(static_cast<double>(p.left()) + dx);
    std::int32_t newTop = nearest(static_cast<double>(p.top()) + dy);

    // All four distances are measured from the proposed position before any edge acts.
    const std::int32_t distRight =
        nearest(m_workArea.right - (static_cast<double>(p.width()) + newLeft));
    const std::int32_t distLeft = minus(newLeft, m_workArea.left);
    const std::int32_t distBottom =
        nearest(m_workArea.bottom - (static_cast<double>(p.height()) + newTop));
    const std::int32_t distTop = minus(newTop, m_workArea.top);

    // The edges act in a fixed order, bottom, top, right, left, so a later edge overrides an
    // earlier one: the top wins over the bottom, the left over the right. The flags change only
    // once the whole step has succeeded.
    Bool16 dockedBottom = m_dockedBottom;
    Bool16 dockedTop = m_dockedTop;
    Bool16 dockedRight = m_dockedRight;
    Bool16 dockedLeft = m_dockedLeft;
    snapToEdge({.distance = distBottom,
                .heldAt = p.top(),
                .flushAt = m_workArea.bottom - static_cast<double>(p.height())},
               m_snapDistance, dockedBottom, newTop);
    snapToEdge(
        {.distance = distTop, .heldAt = p.top(), .flushAt = static_cast<double>(m_workArea.top)},
        m_snapDistance, dockedTop, newTop);
    snapToEdge({.distance = distRight,
                .heldAt = p.left(),
                .flushAt = m_workArea.right - static_cast<double>(p.width())},
               m_snapDistance, dockedRight, newLeft);
    snapToEdge(
        {.distance = distLeft, .heldAt = p.left(), .flushAt = static_cast<double>(m_workArea.left)},
        m_snapDistance, dockedLeft, newLeft);

    const float tx = m_host.twipsPerPixelX();
    const float ty = m_host.twipsPerPixelY();
    const std::int32_t xPixels = nearest(perPixel(newLeft, tx));
    const std::int32_t yPixels = nearest(perPixel(newTop, ty));
    // The size is single precision divided by single precision.
    const std::int32_t cxPixels = nearest(static_cast<float>(perPixel(p.width(), tx)));
    const std::int32_t cyPixels = nearest(static_cast<float>(perPixel(p.height(), ty)));
    m_dockedBottom = dockedBottom;
    m_dockedTop = dockedTop;
    m_dockedRight = dockedRight;
    m_dockedLeft = dockedLeft;
    SetWindowPos(&p, m_insertAfter, xPixels, yPixels, cxPixels, cyPixels, 0);
}

void clsDockingHandler::setAlwaysOnTop(Bool16 vData) {
    m_alwaysOnTop = vData;
    m_insertAfter = vData != kFalse ? HWND_TOPMOST : HWND_NOTOPMOST;
    if (m_parentForm == nullptr) {
        return;
    }
    Form& p = *m_parentForm;
    const float tx = m_host.twipsPerPixelX();
    const float ty = m_host.twipsPerPixelY();
    SetWindowPos(&p, m_insertAfter, nearest(static_cast<float>(perPixel(p.left(), tx))),
                 nearest(static_cast<float>(perPixel(p.top(), ty))),
                 nearest(static_cast<float>(perPixel(p.width(), tx))),
                 nearest(static_cast<float>(perPixel(p.height(), ty))), 0);
}

}  // namespace plivora
