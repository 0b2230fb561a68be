// Setting the controller's clock from the panel: seven fields edited one at a time.
#pragma once

#include <cstdint>

namespace kv410 {

// The seven clock fields while they are edited, as plain numbers.
inline constexpr int ClockFieldCount = 7;
// Field numbers of the clock setting, left to right on line 2.
inline constexpr int ClockFieldYear = 1;
inline constexpr int ClockFieldWeekday = 7;

// A two-digit BCD byte as a plain number (0x59 gives 59).
inline int bcdToNumber(uint16_t bcd) {
    return ((bcd >> 4) & 0x0F) * 10 + (bcd & 0x0F);
}
// A plain number 0..99 as a two-digit BCD byte (59 gives 0x59).
inline uint16_t numberToBcd(int number) {
    return static_cast<uint16_t>(((number / 10) % 10) << 4 | (number % 10));
}

// Returns the clock setting's working state to its process-start state.
void resetClockSettingState();

// Kind 10: setting the clock.
void screenClockSetting();

} // namespace kv410
