#pragma once
// The tick clock every timer, animation and long press reads. It is the real monotonic
// clock unless a test or the headless backend switches it to virtual time, where it
// moves only when told to, so the same script gives the same frames on every run.

#include <cstdint>

namespace vantrel::platform {

// Milliseconds since an arbitrary start, wrapping like the phone's tick count.
uint32_t tickCount();

// Switches the process to virtual time starting at `start` (or back to real time).
void useVirtualClock(bool on, uint32_t start = 0);
bool isVirtualClock();

// Moves virtual time forward; no effect in real time. Called by the message loop when
// it runs timers in virtual time, and by tests.
void advanceVirtualClock(uint32_t milliseconds);

// The wall clock as the phone's stores keep times: 100 ns units since 1601-01-01, UTC.
uint64_t systemFileTime();

} // namespace vantrel::platform
