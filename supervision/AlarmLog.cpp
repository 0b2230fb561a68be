// PLACEHOLDER: replaced by the supervision's owner.
#include "supervision/AlarmLog.h"

namespace kv410 {

uint16_t AlarmLogCursor;

void resetAlarmLogState() {
    AlarmLogCursor = 0;
}

} // namespace kv410
