#include "supervision/TimePrograms.h"

#include "core/Memory.h"
#include "core/MemoryMap.h"

namespace kv410 {

namespace {

constexpr uint16_t SundayBit = 0x40;

// A time of day as one number that grows with the time: hour x 96 + minute, raw BCD.
uint16_t timeKey(uint16_t hour, uint16_t minute) {
    return static_cast<uint16_t>(hour * 96 + minute);
}

} // namespace

bool timeProgramActive(uint8_t e) {
    if (e >= TimeProgramEntries) {
        return false;
    }
    const uint16_t mask = cellUnsigned(ProgramMaskCell + e);
    const uint16_t start =
        timeKey(cellUnsigned(ProgramStartHourCell + e), cellUnsigned(ProgramStartMinuteCell + e));
    const uint16_t stop =
        timeKey(cellUnsigned(ProgramStopHourCell + e), cellUnsigned(ProgramStopMinuteCell + e));
    const uint16_t now = timeKey(IoWords[ClockHourWord], IoWords[ClockMinuteWord]);

    // Weekday 1 is Monday (bit 0) .. 7 Sunday (bit 6); anything else counts as Monday's bit.
    const uint16_t weekday = IoWords[WeekdayWord];
    const uint16_t today = weekday >= 1 && weekday <= 7 ? 1u << (weekday - 1) : 1u;
    const uint16_t yesterday = weekday == 1 ? SundayBit : today >> 1;

    if (start == 0 && stop == 0) {
        return (mask & today) != 0;
    }
    if (start < stop) {
        return start <= now && now < stop && (mask & today) != 0;
    }
    if (stop < start) {
        if (start <= now && (mask & today) != 0) {
            return true;
        }
        return now < stop && (mask & yesterday) != 0;
    }
    return false;
}

} // namespace kv410
