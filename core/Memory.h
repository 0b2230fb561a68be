// The controller's memory: cells, I/O words, the flash image and the counters beside them.
#pragma once

#include <cstdint>

namespace kv410 {

inline constexpr int CellCount = 16384;
inline constexpr int IoWordCount = 16384;
inline constexpr int FlashWordCount = 2048;
// Flash words 0..1023 are the part of the image kept in Flash.dat.
inline constexpr int PersistedFlashWords = 1024;
// Cells 0..478 are parameters with a twin flash word.
inline constexpr int ParameterCellCount = 479;

// The controller's RAM, cited as cell N.
extern int16_t ControllerCells[CellCount];
// Words shared by the window and the controller, cited as I/O word N.
extern uint16_t IoWords[IoWordCount];
// The controller's flash, cited as flash word N.
extern uint16_t FlashImage[FlashWordCount];

// Pending knob steps, positive = turned forward.
extern int8_t knobSteps;
// Seconds until the display goes dark; every panel input reloads it with IdleSeconds.
extern int32_t idleCountdown;
inline constexpr int32_t IdleSeconds = 600;
// Countdowns in seconds, each decremented once per second while non-zero.
extern uint32_t SecondTimers[10];
// Countdowns in minutes, decremented once per minute while non-zero.
extern uint32_t MinuteTimers[5];
// Seconds 0..59 that pace MinuteTimers.
extern uint32_t minuteDivider;
// Reloaded with 32 by every I/O exchange outside the output test.
extern uint8_t outputTestWatchdog;

// Flash word n (0..2047).
uint16_t readFlashWord(int n);
// Flash word n := the low 16 bits of value.
void writeFlashWord(int n, int32_t value);
// Cells 0..478 := flash words 0..478.
void loadCellsFromFlash();
// All relay outputs off: I/O words 12..23 := 0.
void clearOutputs();

// Cell n read as an unsigned 16-bit pattern.
inline uint16_t cellUnsigned(int n) {
    return static_cast<uint16_t>(ControllerCells[n]);
}
// Stores a parameter for good: the cell and its twin flash word.
void storeParameter(int n, int32_t value);

// Returns the memory and its counters to their process-start state (all zero).
void resetMemory();

} // namespace kv410
