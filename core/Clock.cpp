#include "core/Clock.h"

#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "core/Platform.h"

#include <cstring>

namespace kv410 {

char ClockText[21];
char ClockTextBuffer[19];
char WeekdayAbbreviation[3];
char HostClockText[20];
char WeekdayNames[7][3];

namespace {

// Where the two digits of each clock word stand in HostClockText (0-based), year first. The year
// is always written with four digits, so its last two are at 2 and 3.
constexpr int HostDigitPositions[6] = {2, 5, 8, 11, 14, 17};
// Where the same pairs go in ClockText (0-based).
constexpr int ClockTextPositions[6] = {0, 2, 4, 7, 10, 13};

int lastTwoDigits(int value) {
    const int rest = value % 100;
    return rest < 0 ? -rest : rest;
}

// Writes value as `width` decimal digits with leading zeros.
void putDigits(char* at, int value, int width) {
    for (int i = width - 1; i >= 0; --i) {
        at[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
}

void formatHostClock(const HostDateTime& now) {
    // The last four digits of the year, so that the two the clock keeps are always at 3 and 4.
    const int year = now.year % 10000 < 0 ? -(now.year % 10000) : now.year % 10000;
    putDigits(HostClockText, year, 4);
    const int fields[5] = {now.month, now.day, now.hour, now.minute, now.second};
    for (int field = 0; field < 5; ++field) {
        putDigits(HostClockText + HostDigitPositions[field + 1], lastTwoDigits(fields[field]), 2);
    }
    HostClockText[4] = '-';
    HostClockText[7] = '-';
    HostClockText[10] = ' ';
    HostClockText[13] = ':';
    HostClockText[16] = ':';
    HostClockText[19] = '\0';
}

// The host time HostClockText was last formatted from; the host clock is read every cycle but
// moves on only once a second.
HostDateTime formattedTime;
bool hostClockFormatted = false;

bool sameTime(const HostDateTime& a, const HostDateTime& b) {
    return a.second == b.second && a.minute == b.minute && a.hour == b.hour && a.day == b.day &&
           a.month == b.month && a.year == b.year && a.dayOfWeek == b.dayOfWeek;
}

// Monday = 1 .. Sunday = 7 from the host's Sunday = 1 .. Saturday = 7.
int controllerWeekday(int hostDayOfWeek) {
    return ((hostDayOfWeek - 2) % 7 + 7) % 7 + 1;
}

} // namespace

void initClock() {
    IoWords[AccessLevelWord] = 1;
    refreshClock();
}

void refreshClock() {
    const HostDateTime now = platform().localNow();
    if (!hostClockFormatted || !sameTime(now, formattedTime)) {
        formatHostClock(now);
        formattedTime = now;
        hostClockFormatted = true;
    }
    if (HostClockText[18] == ClockText[14]) {
        return;
    }

    for (int field = 0; field < 6; ++field) {
        const char tens = HostClockText[HostDigitPositions[field]];
        const char units = HostClockText[HostDigitPositions[field] + 1];
        ClockText[ClockTextPositions[field]] = tens;
        ClockText[ClockTextPositions[field] + 1] = units;
        IoWords[ClockYearWord + field] = static_cast<uint16_t>(((tens - '0') << 4) | (units - '0'));
    }
    ClockText[6] = ' ';
    ClockText[9] = ':';
    ClockText[12] = ':';
    ClockText[15] = ' ';
    ClockText[16] = WeekdayAbbreviation[0];
    ClockText[17] = WeekdayAbbreviation[1];
    ClockText[18] = '\0';
    std::memcpy(ClockTextBuffer, ClockText, sizeof ClockTextBuffer);

    const int weekday = controllerWeekday(now.dayOfWeek);
    std::memcpy(WeekdayAbbreviation, WeekdayNames[weekday - 1], sizeof WeekdayAbbreviation);
    IoWords[WeekdayWord] = static_cast<uint16_t>(weekday);
}

void resetClock() {
    std::memset(ClockText, ' ', 20);
    ClockText[20] = '\0';
    std::memset(ClockTextBuffer, 0, sizeof ClockTextBuffer);
    std::memset(WeekdayAbbreviation, 0, sizeof WeekdayAbbreviation);
    std::memset(HostClockText, 0, sizeof HostClockText);
    std::memset(WeekdayNames, 0, sizeof WeekdayNames);
    hostClockFormatted = false;
}

} // namespace kv410
