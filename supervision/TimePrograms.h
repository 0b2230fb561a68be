// The three weekly time programs (heat pump, auxiliary heat, hot water) and their window test.
#pragma once

#include <cstdint>

namespace kv410 {

// Entries are program base (0, 7, 14) plus the day (0 Monday .. 6 Sunday).
inline constexpr int TimeProgramEntries = 21;

// Whether the window of entry e (0..20) is open at the clock's current weekday and time.
bool timeProgramActive(uint8_t e);

} // namespace kv410
