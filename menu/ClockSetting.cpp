// The clock setting screen: the seven clock fields edited one at a time and written back together.
#include "menu/ClockSetting.h"

#include "core/Clock.h"
#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "display/Lcd.h"
#include "menu/MenuEngine.h"
#include "menu/Screens.h"

namespace kv410 {

uint8_t clockSettingField;

namespace {

// Year 0..99, month, day, hour, minute, second, weekday 1..7.
uint8_t ClockSettingFields[ClockFieldCount];
// Column on line 2 where the selected field is written.
uint8_t clockSettingColumn;
// The value of the selected field as the knob changes it.
int8_t clockSettingValue;

constexpr int SaveMessageText = 534;
constexpr int UnchangedLine4 = -1;

// One field of the clock setting: its marker on line 3, its soft keys and its place on line 2.
struct ClockField {
    const char* marker;
    int markerColumn;
    int line4Text; // UnchangedLine4 keeps line 4
    int column;    // on line 2
    int lowest;
    int highest;
};

// Fields 1..7 at indexes 0..6.
constexpr ClockField ClockFields[ClockFieldCount] = {
    {"^^  ", 2, 437, 2, 0, 99},                 // year
    {"  ^^  ", 2, 438, 4, 1, 12},               // month
    {"  ^^   ", 4, UnchangedLine4, 6, 1, 31},   // day, whatever the month
    {"   ^^   ", 6, UnchangedLine4, 9, 0, 23},  // hour
    {"   ^^   ", 9, UnchangedLine4, 12, 0, 59}, // minute
    {"   ^^", 12, 438, 15, 0, 59},              // second
    {"   ^^", 15, 439, 18, 1, 7},               // weekday
};

const ClockField& selected() {
    return ClockFields[clockSettingField - 1];
}

void writeTwoDigits(int line, int column, int value) {
    const char digits[3] = {static_cast<char>('0' + (value / 10) % 10),
                            static_cast<char>('0' + value % 10), 0};
    writeText(line, column, digits);
}

void writeWeekdayName() {
    writeText(2, ClockFields[ClockFieldWeekday - 1].column,
              WeekdayNames[ClockSettingFields[ClockFieldWeekday - 1] - 1]);
}

void writeSelectedField() {
    if (clockSettingField == ClockFieldWeekday) {
        writeWeekdayName();
    } else {
        writeTwoDigits(2, selected().column, ClockSettingFields[clockSettingField - 1]);
    }
}

// A register that holds no valid value for its field opens at the field's lowest value.
uint8_t withinField(int field, int value) {
    const ClockField& f = ClockFields[field - 1];
    return static_cast<uint8_t>(value < f.lowest || value > f.highest ? f.lowest : value);
}

void selectField(int field) {
    clockSettingField = static_cast<uint8_t>(field);
    clockSettingColumn = static_cast<uint8_t>(selected().column);
    clockSettingValue = static_cast<int8_t>(ClockSettingFields[field - 1]);
}

void openClockSetting() {
    showMenuEntry();
    writeText(3, 2, "^^                ");
    for (int field = 1; field < ClockFieldWeekday; ++field) {
        ClockSettingFields[field - 1] =
            withinField(field, bcdToNumber(IoWords[ClockYearWord + field - 1]));
    }
    ClockSettingFields[ClockFieldWeekday - 1] =
        withinField(ClockFieldWeekday, IoWords[WeekdayWord]);
    writeWeekdayName();
    selectField(ClockFieldYear);
    for (int field = 1; field < ClockFieldWeekday; ++field) {
        writeTwoDigits(2, ClockFields[field - 1].column, ClockSettingFields[field - 1]);
    }
    writeText(2, 8, " ");
    writeText(2, 11, ":");
    writeText(2, 14, ":");
    menuFlags |= EditingFlag;
}

// Back to the clock line, which draws its whole screen again.
void returnToClockLineRedrawn() {
    leaveToParent();
    menuFlags |= FullRedrawFlag;
    shownValue = NothingShown;
}

void saveClock() {
    showMessage(SaveMessageText);
    for (int field = 1; field < ClockFieldWeekday; ++field) {
        IoWords[ClockYearWord + field - 1] = numberToBcd(ClockSettingFields[field - 1]);
    }
    IoWords[WeekdayWord] = ClockSettingFields[ClockFieldWeekday - 1];
    returnToClockLineRedrawn();
}

void markSelectedField() {
    const ClockField& field = selected();
    const bool open = (menuFlags & EditingFlag) != 0;
    if (clockSettingField != ClockFieldWeekday || open) {
        writeText(3, field.markerColumn, field.marker);
    }
    if (field.line4Text != UnchangedLine4) {
        showText(4, field.line4Text);
    }
    clockSettingValue = static_cast<int8_t>(ClockSettingFields[clockSettingField - 1]);
    IoWords[MiddleButtonWord] = 0;
    IoWords[RightButtonWord] = 0;
}

void stepSelectedField() {
    const ClockField& field = selected();
    int value = clockSettingValue;
    if (knobSteps > 0) {
        ++value;
        --knobSteps;
    } else {
        --value;
        ++knobSteps;
    }
    if (value > field.highest) {
        value = field.lowest;
    } else if (value < field.lowest) {
        value = field.highest;
    }
    clockSettingValue = static_cast<int8_t>(value);
    ClockSettingFields[clockSettingField - 1] = static_cast<uint8_t>(value);
    writeSelectedField();
}

} // namespace

void screenClockSetting() {
    if ((menuFlags & EditingFlag) == 0) {
        openClockSetting();
    }
    if (takeKey(LeftButtonWord)) {
        returnToClockLineRedrawn();
        return;
    }
    const bool middle = takeKey(MiddleButtonWord);
    const bool right = takeKey(RightButtonWord);
    if (middle && clockSettingField > ClockFieldYear) {
        selectField(clockSettingField - 1);
    }
    if (right) {
        if (clockSettingField == ClockFieldWeekday) {
            saveClock();
        } else {
            selectField(clockSettingField + 1);
        }
    }
    if (middle || right) {
        markSelectedField();
    }
    if (knobSteps != 0 && (menuFlags & EditingFlag) != 0) {
        stepSelectedField();
    }
}

void resetClockSettingState() {
    for (uint8_t& field : ClockSettingFields) {
        field = 0;
    }
    clockSettingField = ClockFieldYear;
    clockSettingColumn = 2;
    clockSettingValue = 0;
}

} // namespace kv410
