#include "display/TextWords.h"

#include "core/Clock.h"
#include "display/Lcd.h"

#include <cstring>

namespace kv410 {

char WeekdayLetters[14];
char FromToHeadings[20];
char OffMarker[9];
char UnitNames[4][4];

namespace {

// Text indexes the start-up set-up takes apart.
constexpr int WeekdayLettersText = 470;
constexpr int WeekdayNamesText = 471;
constexpr int FromToText = 472;
constexpr int OffMarkerText = 532;
constexpr int UnitNamesText = 427;
constexpr int ScratchTarget = 5;

// Copies characters from the scratch text at `from` until a blank has been copied or `limit`
// characters are done, and ends the word with a zero in place of the blank.
void copyWord(char* to, int from, int limit) {
    int i = 0;
    while (i < limit && TextScratch[from + i] != ' ') {
        to[i] = TextScratch[from + i];
        ++i;
    }
    to[i] = '\0';
}

} // namespace

void takeTextWords() {
    showText(ScratchTarget, WeekdayLettersText);
    std::memcpy(WeekdayLetters, TextScratch, sizeof WeekdayLetters);

    showText(ScratchTarget, WeekdayNamesText);
    for (int day = 0; day < 7; ++day) {
        WeekdayNames[day][0] = TextScratch[2 * day];
        WeekdayNames[day][1] = TextScratch[2 * day + 1];
        WeekdayNames[day][2] = '\0';
    }

    showText(ScratchTarget, FromToText);
    copyWord(FromToHeadings, 0, 10);
    copyWord(FromToHeadings + 10, 9, 9);

    showText(ScratchTarget, OffMarkerText);
    std::memcpy(OffMarker, TextScratch, 8);
    OffMarker[8] = '\0';

    showText(ScratchTarget, UnitNamesText);
    for (int unit = 0; unit < 4; ++unit) {
        std::memcpy(UnitNames[unit], TextScratch + 3 * unit, 3);
        UnitNames[unit][3] = '\0';
    }
}

void resetTextWords() {
    std::memset(WeekdayLetters, 0, sizeof WeekdayLetters);
    std::memset(FromToHeadings, 0, sizeof FromToHeadings);
    std::memset(OffMarker, 0, sizeof OffMarker);
    std::memset(UnitNames, 0, sizeof UnitNames);
}

} // namespace kv410
