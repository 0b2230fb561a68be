// The readout screens: operating times, countdown timers, live values and the version.
#pragma once

#include <cstdint>

namespace kv410 {

// showInteger for a field that may start left of column 1: only columns 1..20 are written.
void showClippedInteger(int line, int column, int32_t value);

} // namespace kv410
