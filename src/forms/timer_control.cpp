#include "forms/timer_control.h"

#include "forms/form.h"
#include "forms/host.h"

namespace plivora {

TimerControl::TimerControl(Form& form, std::string name)
    : Control(ControlKind::Timer, &form, std::move(name), nullptr) {
    setVisible(false);
}

TimerControl::~TimerControl() {
    host().timerDestroyed(*this);
}

void TimerControl::setInterval(int intervalMs) {
    m_intervalMs = intervalMs < 0 ? 0 : intervalMs;
    host().timerChanged(*this);
}

void TimerControl::setTimerEnabled(bool enabled) {
    m_enabled = enabled;
    host().timerChanged(*this);
}

void TimerControl::raiseTimer() {
    if (isRunning()) {
        runHandler(Timer);
    }
}

}  // namespace plivora
