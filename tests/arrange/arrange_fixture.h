#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "arrange/form3.h"
#include "forms/window_calls.h"
#include "support/app_fixture.h"

namespace plivora {

// The program on the headless host, with helpers to look at windows in screen pixels and at the
// window-call log.
class ArrangeTest : public AppTest {
protected:
    static RECT windowRect(Control& window) {
        RECT rect;
        GetWindowRect(&window, rect);
        return rect;
    }

    // The window calls made since the last clearWindowCalls() that name `window`.
    std::vector<std::string> callsOn(const std::string& window) const {
        std::vector<std::string> calls;
        for (const std::string& call : host.windowCalls()) {
            if (call.find(" " + window + " ") != std::string::npos) {
                calls.push_back(call);
            }
        }
        return calls;
    }

    // Moves the cursor to a screen pixel and moves the mouse over the panel there.
    void hoverPanel(PixelPoint screen, int buttons = 0) {
        host.setCursorPos(screen);
        Form3& panel = program->form3();
        const float tx = host.twipsPerPixelX();
        const float ty = host.twipsPerPixelY();
        panel.raiseMouseMove(buttons, 0, static_cast<float>(screen.x) * tx - panel.left(),
                             static_cast<float>(screen.y) * ty - panel.top());
    }

    // A point well inside a window.
    static PixelPoint centreOf(Control& window) {
        const RECT rect = windowRect(window);
        return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    }
};

}  // namespace plivora
