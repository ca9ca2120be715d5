#include "gifctl/frame_clock.h"

namespace plivora {

int frameIntervalMs(int delayCs, int userDelayMs) {
    if (delayCs >= 500) {
        return userDelayMs + 100;
    }
    return delayCs * 10 + userDelayMs;
}

int frameTimerIntervalMs(int delayCs, int userDelayMs) {
    return timerTickIntervalMs(frameIntervalMs(delayCs, userDelayMs));
}

}  // namespace plivora
