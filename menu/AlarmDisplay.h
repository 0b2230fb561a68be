// The alarm display: the active alarms one at a time, newest first, to acknowledge or explain.
#pragma once

#include <cstdint>

namespace kv410 {

// The screen of the alarm display node, run every cycle while it is current.
void runAlarmDisplay();
// Draws alarm n: its two lines, its raise time on line 3 and the soft keys on line 4.
void drawAlarm(uint8_t n);

// Returns the alarm display's state to its process-start state.
void resetAlarmDisplayState();

// Kind 33: the alarm display.
void screenAlarmDisplay();

} // namespace kv410
