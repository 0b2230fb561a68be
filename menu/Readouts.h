// The readout screens: operating times, countdown timers, live values and the version.
#pragma once

#include <cstdint>

namespace kv410 {

// Cell of the program version, shown as d.dd.
inline constexpr int VersionCell = 65;
// Cell of the mixing-valve motion: 0 still, 1 opening, 2 closing.
inline constexpr int ValveMotionCell = 100;
// Cell of the connected electric power: 1 = 3 kW, 2 = 6 kW, 4 = 9 kW.
inline constexpr int ConnectedPowerCell = 107;

// showInteger for a field that may start left of column 1: only columns 1..20 are written.
void showClippedInteger(int line, int column, int32_t value);

} // namespace kv410
