#pragma once

#include <functional>
#include <string>

#include "forms/control.h"

namespace plivora {

// A timer: while enabled with a non-zero interval, the host raises Timer every interval
// milliseconds. Changing the interval or enabling it restarts the count.
class TimerControl : public Control {
public:
    TimerControl(Form& form, std::string name);
    ~TimerControl() override;

    int interval() const { return m_intervalMs; }
    void setInterval(int intervalMs);
    bool isTimerEnabled() const { return m_enabled; }
    void setTimerEnabled(bool enabled);
    bool isRunning() const { return m_enabled && m_intervalMs > 0; }

    std::function<void()> Timer;
    void raiseTimer();

private:
    int m_intervalMs = 0;
    bool m_enabled = true;
};

}  // namespace plivora
