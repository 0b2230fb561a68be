#include "supervision/AlarmLog.h"

#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "supervision/Alarms.h"

namespace kv410 {

uint16_t AlarmLogCursor;

namespace {

// Position of the characters of a record in the text read back; the gaps hold ' ' and ':'.
constexpr int RecordTextPosition[AlarmRecordWords] = {0, 1, 2, 3, 4, 5, 6, 8, 9, 11, 12, 14, 15};

int recordWord(int offset, int k) {
    return AlarmLogFirstFlashWord + offset + k;
}

// Drops the oldest record and moves the others down one record.
void dropOldestRecord() {
    for (int w = AlarmLogFirstFlashWord; w + AlarmRecordWords < FlashWordCount; ++w) {
        writeFlashWord(w, readFlashWord(w + AlarmRecordWords));
    }
    if (AlarmLogCursor >= AlarmRecordWords) {
        AlarmLogCursor -= AlarmRecordWords;
    }
}

} // namespace

void loadAlarmLogCursor() {
    AlarmLogCursor = readFlashWord(AlarmLogOffsetFlashWord);
}

int repairAlarmLogOffset() {
    const int stored = readFlashWord(AlarmLogOffsetFlashWord);
    int offset = stored > AlarmLogMaxOffset ? AlarmLogMaxOffset : stored;
    offset -= offset % AlarmRecordWords;
    if (offset != stored) {
        writeFlashWord(AlarmLogOffsetFlashWord, offset);
    }
    if (AlarmLogCursor > offset || AlarmLogCursor % AlarmRecordWords != 0) {
        AlarmLogCursor = static_cast<uint16_t>(offset);
    }
    return offset;
}

void appendAlarmLog(const char* text) {
    int offset = repairAlarmLogOffset();
    if (offset == AlarmLogMaxOffset) {
        dropOldestRecord();
        offset -= AlarmRecordWords;
    }
    for (int k = 0; k < AlarmRecordWords; ++k) {
        writeFlashWord(recordWord(offset, k), static_cast<int8_t>(text[k]));
    }
    writeFlashWord(AlarmLogOffsetFlashWord, offset + AlarmRecordWords);
}

bool readAlarmLog(char* out, uint8_t mode) {
    const int offset = repairAlarmLogOffset();
    int cursor = AlarmLogCursor;
    bool moved = true;
    switch (mode) {
    case 0:
        moved = offset > 0;
        cursor = offset - AlarmRecordWords;
        break;
    case 1:
        moved = cursor >= AlarmRecordWords;
        cursor -= AlarmRecordWords;
        break;
    case 2:
        moved = cursor < offset - AlarmRecordWords;
        cursor += AlarmRecordWords;
        break;
    case 3:
        break;
    default:
        moved = false;
        break;
    }
    out[0] = 0;
    if (!moved) {
        return false;
    }
    AlarmLogCursor = static_cast<uint16_t>(cursor);
    // The cursor may stand on the free place after the newest record; at a full log that place
    // lies past the end of the image and holds no record.
    if (cursor + AlarmRecordWords > AlarmLogMaxOffset) {
        return false;
    }
    for (int p = 0; p < AlarmLogTextLength; ++p) {
        out[p] = p == 7 ? ' ' : ':';
    }
    for (int k = 0; k < AlarmRecordWords; ++k) {
        out[RecordTextPosition[k]] = static_cast<char>(readFlashWord(recordWord(cursor, k)) & 0xFF);
    }
    out[AlarmLogTextLength] = 0;
    return out[0] != 0 && isKnownAlarm(out[0] - '0');
}

void resetAlarmLog() {
    for (int w = AlarmLogOffsetFlashWord; w < FlashWordCount; ++w) {
        writeFlashWord(w, 0);
    }
    AlarmLogCursor = 0;
}

void resetAlarmLogState() {
    AlarmLogCursor = 0;
}

} // namespace kv410
