// The weekly time program screens: a day of a program with its open-or-closed word, and the
// editor of one day's switch and window.
#include "menu/TimeProgramScreens.h"

#include "core/Clock.h"
#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "display/Lcd.h"
#include "display/TextWords.h"
#include "menu/MenuEngine.h"
#include "menu/Screens.h"
#include "supervision/TimePrograms.h"

#include <algorithm>
#include <iterator>

namespace kv410 {

int8_t selectedProgramDay;
bool dayEditorOpen;
uint8_t dayEditorField;
uint8_t dayEditorStopMinute;

namespace {

// The day editor's working copies: the day switch and the four times (BCD).
uint8_t dayEditorSwitch;
uint8_t dayEditorStartHour;
uint8_t dayEditorStartMinute;
uint8_t dayEditorStopHour;

constexpr int LastDay = 6;
constexpr int SaveMessageText = 534;
constexpr int UnchangedLine4 = -1;
constexpr uint8_t HighestHour = 0x23;
constexpr uint8_t HighestMinute = 0x59;
// The stop hour may be 24: 24:00 is the end of the day.
constexpr uint8_t HighestStopHour = 0x24;
constexpr char NoWord[] = "        ";

// The day editor's marker line and soft keys for each field.
struct DayField {
    const char* marker; // the whole of line 3
    int line4Text;      // UnchangedLine4 keeps line 4
};

constexpr DayField DaySwitchField = {"^                   ", 437};
// Fields 8..11.
constexpr DayField TimeFields[] = {
    {"        ^^          ", 438},
    {"           ^^       ", UnchangedLine4},
    {"              ^^    ", 438},
    {"                 ^^ ", 439},
};
constexpr DayField OtherField = {"                    ", UnchangedLine4};

// A time field: its working copy, where it stands on line 2 and how far it counts.
struct TimeField {
    uint8_t* value;
    int column;
    uint8_t highest;
};

const TimeField DayTimes[] = {
    {&dayEditorStartHour, 9, HighestHour},
    {&dayEditorStartMinute, 12, HighestMinute},
    {&dayEditorStopHour, 15, HighestStopHour},
    {&dayEditorStopMinute, 18, HighestMinute},
};

int programEntry(int d) {
    return static_cast<int>(currentNode->cell) + d;
}

bool daySwitchedOn(int d) {
    return ControllerCells[ProgramMaskCell + programEntry(d)] != 0;
}

char lowDigit(uint16_t bcd) {
    return static_cast<char>('0' + (bcd & 0x0F));
}

char highDigit(uint16_t bcd) {
    return static_cast<char>('0' + ((bcd >> 4) & 0x0F));
}

void writeBcd(int line, int column, uint16_t bcd) {
    const char digits[3] = {highDigit(bcd), lowDigit(bcd), 0};
    writeText(line, column, digits);
}

void putDayInitial(int d, bool on) {
    putChar(2, 1, WeekdayLetters[2 * d + (on ? 1 : 0)]);
}

void showSelectedDay() {
    showProgramDay(selectedProgramDay);
    if (!daySwitchedOn(selectedProgramDay)) {
        writeText(3, 1, NoWord);
    }
}

void openTimeProgram() {
    showMenuEntry();
    if (selectedProgramDay < 0 || selectedProgramDay > LastDay) {
        selectedProgramDay = 0;
    }
    showSelectedDay();
    menuFlags |= EditingFlag;
    dayEditorOpen = false;
}

void openDayEditor(int d) {
    showProgramDay(d);
    const int e = programEntry(d);
    dayEditorSwitch = static_cast<uint8_t>(ControllerCells[ProgramMaskCell + e]);
    dayEditorStartHour = static_cast<uint8_t>(ControllerCells[ProgramStartHourCell + e]);
    dayEditorStartMinute = static_cast<uint8_t>(ControllerCells[ProgramStartMinuteCell + e]);
    dayEditorStopHour = static_cast<uint8_t>(ControllerCells[ProgramStopHourCell + e]);
    dayEditorStopMinute = static_cast<uint8_t>(ControllerCells[ProgramStopMinuteCell + e]);
    dayEditorField = static_cast<uint8_t>(d + 1);
    menuFlags |= EditingFlag;
}

void saveDay(int d) {
    showMessage(SaveMessageText);
    saveProgramDay(programEntry(d), {dayEditorSwitch, dayEditorStartHour, dayEditorStartMinute,
                                     dayEditorStopHour, dayEditorStopMinute});
    shownValue = NothingShown;
    dayEditorOpen = false;
    handBack();
}

void markDayField() {
    const DayField* field = &OtherField;
    if (dayEditorField >= 1 && dayEditorField < DayFieldStartHour) {
        field = &DaySwitchField;
    } else if (dayEditorField >= DayFieldStartHour && dayEditorField <= DayFieldStopMinute) {
        field = &TimeFields[dayEditorField - DayFieldStartHour];
    }
    if (dayEditorField != DayFieldStopMinute || (menuFlags & EditingFlag) != 0) {
        writeText(3, 1, field->marker);
    }
    if (field->line4Text != UnchangedLine4) {
        showText(4, field->line4Text);
    }
}

void stepDayField(int d, bool up) {
    if (dayEditorField < DayFieldStartHour) {
        if (dayEditorSwitch != 0) {
            dayEditorSwitch = 0;
            putDayInitial(d, false);
        } else {
            dayEditorSwitch = static_cast<uint8_t>(dayEditorSwitch | 1u << d);
            putDayInitial(d, true);
        }
        return;
    }
    if (dayEditorField > DayFieldStopMinute) {
        return;
    }
    const TimeField& field = DayTimes[dayEditorField - DayFieldStartHour];
    *field.value = stepBcdWrapping(*field.value, up, field.highest);
    if (dayEditorField == DayFieldStopMinute && dayEditorStopHour == HighestStopHour) {
        dayEditorStopMinute = 0x00;
    }
    writeBcd(2, field.column, *field.value);
}

void runDayEditor() {
    const int d = selectedProgramDay;
    if ((menuFlags & EditingFlag) == 0) {
        openDayEditor(d);
    }
    if (takeKey(LeftButtonWord)) {
        shownValue = NothingShown;
        handBack();
        return;
    }
    if (takeKey(MiddleButtonWord)) {
        if (dayEditorField == DayFieldStartHour) {
            dayEditorField = 1;
        } else if (dayEditorField > 1) {
            --dayEditorField;
        }
    }
    if (takeKey(RightButtonWord)) {
        if (dayEditorField == DayFieldStopMinute) {
            saveDay(d);
        } else if (dayEditorField < DayFieldStartHour) {
            dayEditorField = DayFieldStartHour;
        } else {
            ++dayEditorField;
        }
    }
    if (!dayEditorOpen) {
        return;
    }
    markDayField();
    if (knobSteps != 0) {
        stepDayField(d, knobSteps > 0);
        knobSteps = 0;
    }
}

} // namespace

uint8_t stepBcd(uint8_t value, bool up) {
    uint8_t next = static_cast<uint8_t>(up ? value + 1 : value - 1);
    if ((next & 0x0F) == 0x0A) {
        next = static_cast<uint8_t>((next & 0xF0) + 0x10);
    } else if ((next & 0x0F) == 0x0F) {
        next = static_cast<uint8_t>((next & 0xF0) | 0x09);
    }
    return next;
}

uint8_t stepBcdWrapping(uint8_t value, bool up, uint8_t highest) {
    const uint8_t next = stepBcd(value, up);
    if (next <= highest) {
        return next;
    }
    return up ? 0x00 : highest;
}

void saveProgramDay(int e, const ProgramDay& day) {
    storeParameter(ProgramMaskCell + e, day.daySwitch);
    storeParameter(ProgramStartHourCell + e, day.startHour);
    storeParameter(ProgramStartMinuteCell + e, day.startMinute);
    storeParameter(ProgramStopHourCell + e, day.stopHour);
    storeParameter(ProgramStopMinuteCell + e, day.stopMinute);
}

void programWindowText(int e, char* out) {
    const uint16_t startHour = cellUnsigned(ProgramStartHourCell + e);
    const uint16_t startMinute = cellUnsigned(ProgramStartMinuteCell + e);
    const uint16_t stopHour = cellUnsigned(ProgramStopHourCell + e);
    const uint16_t stopMinute = cellUnsigned(ProgramStopMinuteCell + e);
    const char window[12] = {highDigit(startHour),   lowDigit(startHour),   ':',
                             highDigit(startMinute), lowDigit(startMinute), '-',
                             highDigit(stopHour),    lowDigit(stopHour),    ':',
                             highDigit(stopMinute),  lowDigit(stopMinute),  0};
    std::copy(std::begin(window), std::end(window), out);
}

void showProgramDay(int d) {
    const int e = programEntry(d);
    writeText(2, 1, WeekdayNames[d]);
    putDayInitial(d, daySwitchedOn(d));
    char window[12];
    programWindowText(e, window);
    writeText(2, 9, window);
    putChar(1, 20, static_cast<char>('1' + d));
}

void screenTimeProgram() {
    if ((menuFlags & EditingFlag) == 0) {
        openTimeProgram();
    }
    menuFlags &= ~RedrawRequestFlag;
    if (dayEditorOpen) {
        runDayEditor();
        return;
    }
    if (takeKey(LeftButtonWord)) {
        selectedProgramDay = 0;
        leaveToParent();
        return;
    }
    takeKey(MiddleButtonWord);
    if (takeKey(RightButtonWord)) {
        dayEditorOpen = true;
        menuFlags &= ~EditingFlag;
        runDayEditor();
        return;
    }
    if (knobSteps != 0) {
        int day = selectedProgramDay + knobSteps;
        day = day < 0 ? 0 : (day > LastDay ? LastDay : day);
        selectedProgramDay = static_cast<int8_t>(day);
        shownValue = NothingShown;
        showSelectedDay();
        knobSteps = 0;
    }
    if (daySwitchedOn(selectedProgramDay)) {
        const int32_t active =
            timeProgramActive(static_cast<uint8_t>(programEntry(selectedProgramDay))) ? 1 : 0;
        if (active != shownValue) {
            shownValue = active;
            writeText(3, 1, active != 0 ? &FromToHeadings[10] : &FromToHeadings[0]);
        }
    }
}

void resetTimeProgramScreenState() {
    selectedProgramDay = 0;
    dayEditorOpen = false;
    dayEditorField = 1;
    dayEditorSwitch = 0;
    dayEditorStartHour = 0;
    dayEditorStartMinute = 0;
    dayEditorStopHour = 0;
    dayEditorStopMinute = 0;
}

} // namespace kv410
