#pragma once

#include <algorithm>

namespace plivora {

// The shortest interval a timer ticks at, in milliseconds. The window timers of the designed
// platform did not tick faster, and GIF delays are counted in hundredths of a second, so nothing
// finer is ever asked for on purpose. Raising a shorter interval to this keeps a file full of
// zero frame delays from turning a timer into a busy loop.
inline constexpr int kTimerResolutionMs = 10;

// The interval a running timer actually ticks at: the one asked for, at least the resolution.
constexpr int timerTickIntervalMs(int intervalMs) {
    return std::max(intervalMs, kTimerResolutionMs);
}

}  // namespace plivora
