// Alarm supervision: alarm slots, the active-alarm list, delays and summary flags.
#pragma once

#include <cstdint>

namespace kv410 {

inline constexpr uint8_t NoAlarm = 0xFF;
// Alarm numbers 0..31 have a slot; 0..21 have a condition, texts and a help page.
inline constexpr int AlarmSlotCount = 32;
inline constexpr int KnownAlarmCount = 22;

// Bits of an alarm slot's flags cell.
inline constexpr uint16_t AlarmActiveBit = 0x01;
inline constexpr uint16_t AlarmAcknowledgedBit = 0x02;

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

// Whether n is an alarm with texts and help pages (0..21); screens check this before indexing.
inline bool isKnownAlarm(int n) {
    return n >= 0 && n < KnownAlarmCount;
}

// Empties ActiveAlarmList (all 33 bytes 0xFF).
void clearActiveAlarmList();
// Prepares the supervision at start and at every switch-on; also repairs the alarm log's offset.
void initAlarmSupervision();
// One supervision pass; the controller cycle runs it while the unit is on. A pass is skipped
// while nothing it reads has changed since the last one.
void superviseAlarms();

// Marks alarm n active, stamps and logs it and puts it at the head of ActiveAlarmList.
void raiseAlarm(uint8_t n);
// Clears alarm n when its class or its acknowledgement allows it.
void clearAlarm(uint8_t n);
// Acknowledges alarm n (the alarm display's enter key).
void acknowledgeAlarm(uint8_t n);
// 1 while alarm n is active, else 0.
int isAlarmActive(uint8_t n);
// Sets the class (0..3) of alarm n.
void setAlarmClass(uint8_t n, uint8_t cls);
// Recomputes the summary flags and the alarm LED word from the 32 slots.
void updateAlarmSummary();

// Returns the supervision's own state to its process-start state.
void resetAlarmState();

} // namespace kv410
