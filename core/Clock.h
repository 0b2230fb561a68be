// The controller's real-time clock, taken from the host's local time.
#pragma once

namespace kv410 {

// The clock text object: "yymmdd hh:mm:ss Wd" in characters 1..18, zero at 19, 20 wide.
extern char ClockText[21];
// The plain 19-byte copy of ClockText that the clock screen prints.
extern char ClockTextBuffer[19];
// Two-letter weekday names and a zero, Monday first (text 471, taken at start-up).
extern char WeekdayNames[7][3];

// Access level 1 and the first refresh.
void initClock();
// Rewrites the clock words 35..41 and ClockText whenever the host's second has moved on.
void refreshClock();

// Returns the clock to its process-start state.
void resetClock();

} // namespace kv410
