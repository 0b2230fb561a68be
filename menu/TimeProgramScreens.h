// The weekly time program screens: one day of a program on view, and the day editor.
#pragma once

#include <cstdint>

namespace kv410 {

// Day editor fields: 1..7 the day switch (all alike), then the four times.
inline constexpr uint8_t DayFieldStartHour = 8;
inline constexpr uint8_t DayFieldStartMinute = 9;
inline constexpr uint8_t DayFieldStopHour = 10;
inline constexpr uint8_t DayFieldStopMinute = 11;

// One day of a time program as its five cells hold it: the day switch and four BCD times.
struct ProgramDay {
    uint8_t daySwitch;
    uint8_t startHour;
    uint8_t startMinute;
    uint8_t stopHour;
    uint8_t stopMinute;
};
// Stores entry e (0..20) as the day editor saves it, each cell written through.
void saveProgramDay(int e, const ProgramDay& day);

// The time window of entry e as the day line shows it, "06:00-22:00" and a zero (12 bytes).
void programWindowText(int e, char* out);

// Draws day d (0..6) of the current node's program on lines 1 and 2.
void showProgramDay(int d);

// One knob step on a BCD time byte: up or down by one with carry and borrow between the digits.
uint8_t stepBcd(uint8_t value, bool up);
// A BCD time byte stepped within 0..highest, wrapping at both ends.
uint8_t stepBcdWrapping(uint8_t value, bool up, uint8_t highest);

// Returns the time program screens' working state to its process-start state.
void resetTimeProgramScreenState();

// Kind 11: one weekly time program with its day editor.
void screenTimeProgram();

} // namespace kv410
