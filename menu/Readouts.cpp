#include "menu/Readouts.h"

#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "display/Lcd.h"
#include "display/TextTable.h"
#include "menu/MenuEngine.h"
#include "menu/Screens.h"
#include "menu/ValueEditors.h"

#include <algorithm>
#include <cstring>

namespace kv410 {

namespace {

constexpr int LineWidth = 20;
// A fraction cell above this adds one to the shown hours.
constexpr uint32_t FractionRoundUp = 5;

// ---- operating times ----------------------------------------------------------------------

constexpr char SplitTemplate[] = "      % VV     % rad";

uint32_t cellValue(int n) {
    return cellUnsigned(n);
}

uint32_t roundUp(uint32_t fraction) {
    return fraction > FractionRoundUp ? 1 : 0;
}

// Hours of a counter that is the sum of two (hours, fraction) pairs; the fractions are summed
// before they are rounded.
uint32_t pairedHours(int first, int second) {
    return cellValue(first) + cellValue(second) +
           roundUp(cellValue(first + 1) + cellValue(second + 1));
}

void showHours(uint32_t hours) {
    char unit[4] = {};
    unitName(unit, currentNode->unit);
    showInteger(2, 6, static_cast<int32_t>(hours));
    writeText(2, 11, unit);
}

// The split between hot water and space heating, in percent of the hours.
void showSplit(uint32_t hotWater, uint32_t heating) {
    writeText(2, 1, SplitTemplate);
    showInteger(2, 2, static_cast<int32_t>(hotWater));
    showInteger(2, 11, static_cast<int32_t>(heating));
}

// The space-heating share of `total` in whole percent, and the hot-water share beside it.
OperatingTime split(uint32_t heating, uint32_t total) {
    if (total == 0) {
        return {OperatingTime::Split, 0, 0};
    }
    const uint32_t percent = heating * 100 / total;
    return {OperatingTime::Split, 100 - percent, percent};
}

void showOperatingTimeValue() {
    const OperatingTime value = operatingTime(currentNode->cell);
    switch (value.kind) {
    case OperatingTime::Hours:
        showHours(value.first);
        break;
    case OperatingTime::Split:
        showSplit(value.first, value.second);
        break;
    case OperatingTime::Tenths:
        showTenths(2, 7, static_cast<int32_t>(value.first));
        break;
    case OperatingTime::None:
        break;
    }
}

// ---- countdown timers ---------------------------------------------------------------------

// The timer screen with this format reads MinuteTimers; every other format SecondTimers.
constexpr uint8_t MinuteTimerFormat = 5;
constexpr int TimerUnitsText = 427;
constexpr int SecondTimerCount = static_cast<int>(sizeof SecondTimers / sizeof SecondTimers[0]);
constexpr int MinuteTimerCount = static_cast<int>(sizeof MinuteTimers / sizeof MinuteTimers[0]);

enum TimerUnit { Days, Hours, Minutes, Seconds };

// One of "dag", "tim", "min", "sek", the three-letter words of the unit text.
void writeTimerUnit(int column, TimerUnit unit) {
    char word[4] = {};
    std::memcpy(word, TextTable[TimerUnitsText] + 3 * unit, 3);
    writeText(2, column, word);
}

// The selected timer; an index past its array reads as a stopped timer.
uint32_t selectedTimer() {
    const uint32_t index = currentNode->cell;
    if (currentNode->format == MinuteTimerFormat) {
        return index < static_cast<uint32_t>(MinuteTimerCount) ? MinuteTimers[index] : 0;
    }
    return index < static_cast<uint32_t>(SecondTimerCount) ? SecondTimers[index] : 0;
}

// Three numbers with their units: the first ends in column 2, the second in column 9, the
// third in column 16.
struct TimerLayout {
    TimerUnit units[3];
};
constexpr TimerLayout MinuteLayout{{Days, Hours, Minutes}};
constexpr TimerLayout SecondLayout{{Hours, Minutes, Seconds}};

void showTimer(uint32_t value) {
    const bool minutes = currentNode->format == MinuteTimerFormat;
    const TimerLayout& layout = minutes ? MinuteLayout : SecondLayout;
    const uint32_t parts[3] = {minutes ? value / 1440 : value / 3600,
                               minutes ? (value / 60) % 24 : (value / 60) % 60, value % 60};
    showClippedInteger(2, -2, static_cast<int32_t>(parts[0]));
    writeTimerUnit(4, layout.units[0]);
    showInteger(2, 5, static_cast<int32_t>(parts[1]));
    writeTimerUnit(11, layout.units[1]);
    showInteger(2, 12, static_cast<int32_t>(parts[2]));
    writeTimerUnit(18, layout.units[2]);
}

// ---- live values --------------------------------------------------------------------------

struct PowerText {
    int16_t value;
    const char* text;
};
constexpr PowerText ConnectedPowerTexts[] = {
    {1, "Effekt 3kW"},
    {2, "Effekt 6kW"},
    {4, "Effekt 9kW"},
};

// The valve motion texts: opening, still, closing.
constexpr int ValveOpeningText = 386;
constexpr int ValveClosingText = 387;
constexpr int ValveStillText = 388;

void showConnectedPower() {
    for (const PowerText& entry : ConnectedPowerTexts) {
        if (ControllerCells[ConnectedPowerCell] == entry.value) {
            writeText(3, 6, entry.text);
        }
    }
}

void showValveMotion(uint16_t motion) {
    switch (motion) {
    case 1:
        showText(2, ValveOpeningText);
        break;
    case 0:
        showText(2, ValveStillText);
        break;
    default:
        showText(2, ValveClosingText);
        break;
    }
}

} // namespace

OperatingTime operatingTime(uint32_t cell) {
    switch (cell) {
    case TotalHoursCell:
        return {OperatingTime::Hours,
                cellValue(TotalHoursCell) + roundUp(cellValue(TotalHoursCell + 1)), 0};
    case HeatPumpHeatingHoursCell:
        return {OperatingTime::Hours,
                pairedHours(HeatPumpHeatingHoursCell, HeatPumpHotWaterHoursCell), 0};
    case AuxHeatingHoursCell:
        return {OperatingTime::Hours, pairedHours(AuxHeatingHoursCell, AuxHotWaterHoursCell), 0};
    case HeatPumpHotWaterHoursCell: {
        // Each fraction of the heat pump rounds on its own.
        const uint32_t heating =
            cellValue(HeatPumpHeatingHoursCell) + roundUp(cellValue(HeatPumpHeatingHoursCell + 1));
        const uint32_t hotWater = cellValue(HeatPumpHotWaterHoursCell) +
                                  roundUp(cellValue(HeatPumpHotWaterHoursCell + 1));
        return split(heating, heating + hotWater);
    }
    case AuxHotWaterHoursCell:
        return split(cellValue(AuxHeatingHoursCell) + roundUp(cellValue(AuxHeatingHoursCell + 1)),
                     pairedHours(AuxHeatingHoursCell, AuxHotWaterHoursCell));
    case DegreeDaysCell:
        return {OperatingTime::Tenths, cellValue(DegreeDaysCell), 0};
    default:
        return {OperatingTime::None, 0, 0};
    }
}

void showClippedInteger(int line, int column, int32_t value) {
    char field[8] = {};
    formatNumber(value, field, false);
    // Of the leading blanks only the one before the first digit or sign is kept.
    int first = 0;
    while (field[first] == ' ' && field[first + 1] == ' ') {
        ++first;
    }
    int start = column + first;
    const char* text = field + first;
    if (start < 1) {
        text += 1 - start;
        start = 1;
    }
    const int length = static_cast<int>(std::strlen(text));
    if (length == 0 || start > LineWidth) {
        return;
    }
    char clipped[LineWidth + 1] = {};
    std::memcpy(clipped, text, static_cast<size_t>(std::min(length, LineWidth - start + 1)));
    writeText(line, start, clipped);
}

void screenOperatingTimesReadout() {
    showMenuEntry();
    showOperatingTimeValue();
}

void screenTimersReadout() {
    menuFlags |= RedrawRequestFlag;
    if (takeFullRedraw()) {
        showMenuEntry();
    }
    const uint32_t value = selectedTimer();
    if (static_cast<int32_t>(value) == shownValue) {
        return;
    }
    shownValue = static_cast<int32_t>(value);
    showTimer(value);
}

void screenLiveValuesReadout() {
    const bool valve = currentNode->cell == ValveMotionCell;
    if (takeFullRedraw()) {
        showMenuEntry();
        if (!valve) {
            writeText(2, 12, "%");
            showConnectedPower();
        }
    }
    menuFlags |= RedrawRequestFlag;
    const uint16_t value = cellUnsigned(static_cast<int>(currentNode->cell));
    if (value == shownValue) {
        return;
    }
    shownValue = value;
    if (valve) {
        showValveMotion(value);
    } else {
        showInteger(2, 7, ControllerCells[currentNode->cell]);
    }
}

void screenVersionReadout() {
    const uint16_t version = cellUnsigned(ProgramVersionCell);
    // The hundreds digit wraps like the others, so a version of 10.00 or more still shows
    // a digit.
    const char text[] = {static_cast<char>('0' + (version / 100) % 10), '.',
                         static_cast<char>('0' + (version / 10) % 10),
                         static_cast<char>('0' + version % 10), '\0'};
    showMenuEntry();
    writeText(2, 9, text);
}

} // namespace kv410
