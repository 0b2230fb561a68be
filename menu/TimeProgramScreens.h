// The weekly time program screens: one day of a program on view, and the day editor.
#pragma once

#include <cstdint>

namespace kv410 {

// Day editor fields: 1..7 the day switch (all alike), then the four times.
inline constexpr uint8_t DayFieldStartHour = 8;
inline constexpr uint8_t DayFieldStartMinute = 9;
inline constexpr uint8_t DayFieldStopHour = 10;
inline constexpr uint8_t DayFieldStopMinute = 11;

// The day on view, 0 Monday .. 6 Sunday, shared by the three programs.
extern int8_t selectedProgramDay;
// The day editor has the keys.
extern bool dayEditorOpen;
// The day editor's field, 1..11.
extern uint8_t dayEditorField;
// The day editor's working copies: the day switch and the four times (BCD).
extern uint8_t dayEditorSwitch;
extern uint8_t dayEditorStartHour;
extern uint8_t dayEditorStartMinute;
extern uint8_t dayEditorStopHour;
extern uint8_t dayEditorStopMinute;

// Draws day d (0..6) of the current node's program on lines 1 and 2.
void showProgramDay(int d);

// One knob step on a BCD time byte: up or down by one with carry and borrow between the digits.
uint8_t stepBcd(uint8_t value, bool up);
// A BCD time byte stepped within 0..highest, wrapping at both ends.
uint8_t stepBcdWrapping(uint8_t value, bool up, uint8_t highest);

// Returns the time program screens' working state to its process-start state.
void resetTimeProgramScreenState();

} // namespace kv410
