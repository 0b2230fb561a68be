// The alarm log in the flash image.
#pragma once

#include <cstdint>

namespace kv410 {

// Write offset of the log, in words from flash word 514; mirrors flash word 513.
extern uint16_t AlarmLogCursor;

// Returns the log's own state to its process-start state.
void resetAlarmLogState();

} // namespace kv410
