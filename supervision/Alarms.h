// Alarm supervision: alarm slots, the active-alarm list, delays and summary flags.
#pragma once

#include <cstdint>

namespace kv410 {

inline constexpr uint8_t NoAlarm = 0xFF;

// Active alarms, newest first; free entries and the trailing byte hold 0xFF.
extern uint8_t ActiveAlarmList[33];
// Per alarm number, seconds until its fault counts; the one-second tick counts them down.
extern int32_t AlarmDelayCounters[32];
// Set by every raise; the menu engine clears it when it opens the alarm display.
extern uint8_t NewAlarmFlag;
// 1 while an active alarm is not acknowledged.
extern uint8_t UnacknowledgedAlarmFlag;
// For class 0, 1 and 2: 1 while an active alarm of that class exists.
extern uint8_t ClassActiveFlags[3];

// Empties ActiveAlarmList (all 33 bytes 0xFF).
void clearActiveAlarmList();
// Prepares the supervision at start and at every switch-on.
void initAlarmSupervision();
// One supervision pass; the controller cycle runs it while the unit is on.
void superviseAlarms();

// Returns the supervision's own state to its process-start state.
void resetAlarmState();

} // namespace kv410
