#pragma once

#include "forms/timer_resolution.h"

namespace plivora {

// The frame clock of an animation: how long a frame stays before the next one is drawn.

// The interval before a frame whose delay is `delayCs` hundredths of a second, with `userDelayMs`
// added: delays of 500 (five seconds) or more are cut to 100 ms, shorter ones take ten times their
// value. `delayCs` is the file's unsigned 16-bit value.
int frameIntervalMs(int delayCs, int userDelayMs);

// The interval the frame timer is actually set to: frameIntervalMs raised to the timer
// resolution (timerTickIntervalMs), so a delay of 0 never spins and a rule result of 0 never
// stops the timer.
int frameTimerIntervalMs(int delayCs, int userDelayMs);

}  // namespace plivora
