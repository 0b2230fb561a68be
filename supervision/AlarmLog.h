// The alarm log in the flash image.
#pragma once

#include <cstdint>

namespace kv410 {

// Words per record: the alarm character and twelve clock digits.
inline constexpr int AlarmRecordWords = 13;
// The log keeps the newest 118 records (flash words 514..2047).
inline constexpr int AlarmLogCapacity = 118;
inline constexpr int AlarmLogMaxOffset = AlarmLogCapacity * AlarmRecordWords;
// Characters of a record read back, without the terminating zero.
inline constexpr int AlarmLogTextLength = 16;

// Appends a record of 13 characters; when the log is full the oldest record is dropped.
void appendAlarmLog(const char* text);
// Moves the cursor by mode (0 newest, 1 older, 2 newer, 3 same) and formats the record
// under it into out (at least 17 bytes); out[0] is 0 when the move is impossible. Returns
// whether a record of a known alarm came back: an empty or damaged record reads as none.
bool readAlarmLog(char* out, uint8_t mode);
// Empties the log: flash words 513..2047 and the cursor := 0.
void resetAlarmLog();
// Brings a damaged write offset in flash word 513 (and a cursor beyond it) back into range;
// returns the offset.
int repairAlarmLogOffset();

// Puts the cursor at the write offset stored in flash word 513; at boot.
void loadAlarmLogCursor();

// Returns the log's own state to its process-start state.
void resetAlarmLogState();

} // namespace kv410
