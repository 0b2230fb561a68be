// The alarm display: the active alarms one at a time, newest first, to acknowledge or explain.
#pragma once

#include <cstdint>

namespace kv410 {

// Index in ActiveAlarmList of the shown alarm; -1 = none.
extern int8_t selectedIndex;
// Index drawn by the last knob move; -1 = none.
extern int8_t drawnIndex;
// Alarm number shown.
extern uint8_t shownAlarm;
// Set while the alarm display has handed over to the alarm help pages.
extern bool returningFromHelp;

// The screen of the alarm display node, run every cycle while it is current.
void runAlarmDisplay();
// Draws alarm n: its two lines, its raise time on line 3 and the soft keys on line 4.
void drawAlarm(uint8_t n);

// Returns the alarm display's state to its process-start state.
void resetAlarmDisplayState();

} // namespace kv410
