// PLACEHOLDER: replaced by the supervision's owner.
#include "supervision/Alarms.h"

#include <cstring>

namespace kv410 {

uint8_t ActiveAlarmList[33];
int32_t AlarmDelayCounters[32];
uint8_t NewAlarmFlag;
uint8_t UnacknowledgedAlarmFlag;
uint8_t ClassActiveFlags[3];

void clearActiveAlarmList() {
    std::memset(ActiveAlarmList, NoAlarm, sizeof ActiveAlarmList);
}
void initAlarmSupervision() {}
void superviseAlarms() {}
void resetAlarmState() {}

} // namespace kv410
