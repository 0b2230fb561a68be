// The three weekly time programs (heat pump, auxiliary heat, hot water) and their window test.
#pragma once

#include <cstdint>

namespace kv410 {

// Entries are program base (0, 7, 14) plus the day (0 Monday .. 6 Sunday).
inline constexpr int TimeProgramEntries = 21;
// Cells of entry e: day mask, start hour and minute, stop hour and minute (BCD).
inline constexpr int ProgramMaskCell = 118;
inline constexpr int ProgramStartHourCell = 139;
inline constexpr int ProgramStartMinuteCell = 160;
inline constexpr int ProgramStopHourCell = 181;
inline constexpr int ProgramStopMinuteCell = 202;

// Whether the window of entry e (0..20) is open at the clock's current weekday and time.
bool timeProgramActive(uint8_t e);

} // namespace kv410
