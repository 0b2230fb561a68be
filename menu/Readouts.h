// The readout screens: operating times, countdown timers, live values and the version.
#pragma once

#include <cstdint>

namespace kv410 {

// What an operating-time readout (kind 22) shows for its cell: hours; the hot-water and the
// space-heating share in percent; degree days in tenths; or nothing for another cell.
struct OperatingTime {
    enum Kind : uint8_t { None, Hours, Split, Tenths } kind;
    uint32_t first;  // hours, the hot-water share, or the tenths
    uint32_t second; // the space-heating share
};
OperatingTime operatingTime(uint32_t cell);

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
