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

constexpr int kDivisionByZero = 11;

// Twips to pixels for the placement. A zero factor is an error of the operation.
double perPixel(double twips, float twipsPerPixel) {
    if (twipsPerPixel == 0.0f) {
        throw Error(kDivisionByZero, "Division by zero");
    }
    return twips / twipsPerPixel;
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
    if (dockedBottom != kFalse) {
        if (absolute(distBottom) > m_snapDistance) {
            dockedBottom = kFalse;
        } else {
            newTop = nearest(p.top());
        }
    } else if (absolute(distBottom) <= m_snapDistance) {
        newTop = nearest(m_workArea.bottom - static_cast<double>(p.height()));
        dockedBottom = kTrue;
    }
    if (dockedTop != kFalse) {
        if (absolute(distTop) > m_snapDistance) {
            dockedTop = kFalse;
        } else {
            newTop = nearest(p.top());
        }
    } else if (absolute(distTop) <= m_snapDistance) {
        newTop = m_workArea.top;
        dockedTop = kTrue;
    }
    if (dockedRight != kFalse) {
        if (absolute(distRight) > m_snapDistance) {
            dockedRight = kFalse;
        } else {
            newLeft = nearest(p.left());
        }
    } else if (absolute(distRight) <= m_snapDistance) {
        newLeft = nearest(m_workArea.right - static_cast<double>(p.width()));
        dockedRight = kTrue;
    }
    if (dockedLeft != kFalse) {
        if (absolute(distLeft) > m_snapDistance) {
            dockedLeft = kFalse;
        } else {
            newLeft = nearest(p.left());
        }
    } else if (absolute(distLeft) <= m_snapDistance) {
        newLeft = m_workArea.left;
        dockedLeft = kTrue;
    }

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
