// The readout screens: operating times, countdown timers, live values and the version.
#pragma once

#include <cstdint>

namespace kv410 {

// showInteger for a field that may start left of column 1: only columns 1..20 are written.
void showClippedInteger(int line, int column, int32_t value);

// Kind 22: operating times.
void screenOperatingTimesReadout();
// Kind 25: the countdown timers.
void screenTimersReadout();
// Kind 30: the program version.
void screenVersionReadout();
// Kind 31: live values.
void screenLiveValuesReadout();

} // namespace kv410
