#pragma once

namespace plivora {

// The frame clock of an animation: how long a frame stays before the next one is drawn.

// The shortest interval the frame timer is set to, in milliseconds. GIF delays are counted in
// hundredths of a second, so nothing finer is ever asked for on purpose; a shorter interval (a
// delay of 0 gives 1 ms by the rule below) is raised to this, which keeps a file full of zero
// delays from turning the timer into a busy loop and keeps a rule result of 0 from stopping it.
inline constexpr int kFrameTimerResolutionMs = 10;

// The interval before a frame whose delay is `delayCs` hundredths of a second, with `userDelayMs`
// added: delays of 500 (five seconds) or more are cut to 100 ms, shorter ones take ten times their
// value. `delayCs` is the file's unsigned 16-bit value.
int frameIntervalMs(int delayCs, int userDelayMs);

// The interval the frame timer is actually set to: frameIntervalMs, at least the resolution.
int frameTimerIntervalMs(int delayCs, int userDelayMs);

}  // namespace plivora
