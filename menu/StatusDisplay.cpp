// The status view of the main display: the page chosen by cell 106, redrawn only where it changed.
#include "menu/StatusDisplay.h"

#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "display/Lcd.h"
#include "display/TextTable.h"
#include "menu/MenuEngine.h"
#include "menu/Screens.h"

namespace kv410 {

namespace {

// The raw line-3 value last drawn; -3000 when nothing is drawn.
int32_t shownValueA;
// The raw line-4 value last drawn; -3000 when nothing is drawn.
int32_t shownValueB;

// Texts of the status pages, as offsets into the line-4 group.
constexpr uint8_t text(int number) {
    return static_cast<uint8_t>(number - TextGroupLine4);
}

constexpr StatusPage page(StatusPageType type, int t1, int t2, int t3, int t4, int32_t cellA = 0,
                          int32_t cellB = 0) {
    return {type, {text(t1), text(t2), text(t3), text(t4)}, cellA, cellB};
}

constexpr int BlankLineText = 123;
constexpr uint16_t RoomSensorInstalled = 0x20;
// Lowest and highest temperature a sensor reports as a number.
constexpr int32_t LowestTemperature = -400;
constexpr int32_t HighestTemperature = 1400;

// clang-format off
// The 26 status pages.
const StatusPage StatusPageTable[StatusPageCount] = {
    page(TextsOnly,         540, 551, 552, 553),
    page(Countdown,         541, 554, 555, 565, 2),
    page(Countdown,         542, 554, 555, 565, 2),
    page(SignedValue,       543, 556, 561, 562, 112, 521),
    page(SignedValue,       543, 558, 561, 562, 112, 521),
    page(HotWaterStopValue, 544, 556, 561, 562, 43, 532),
    page(HotWaterStopValue, 544, 558, 561, 562, 43, 532),
    page(SignedValue,       545, 559, 561, 562, 112, 521),
    page(HotWaterStopValue, 545, 560, 561, 562, 43, 532),
    page(SignedValue,       546, 556, 561, 562, 46, 532),
    page(SignedValue,       546, 558, 561, 562, 46, 532),
    page(SignedValue,       546, 557, 561, 562, 46, 532),
    page(SignedValue,       547, 556, 561, 562, 46, 532),
    page(SignedValue,       547, 558, 561, 562, 46, 532),
    page(SignedValue,       547, 557, 561, 562, 46, 532),
    // Holiday: the room temperature setting is the stop temperature.
    page(RoomValue,         548, 556, 561, 562, 33, 525),
    page(RoomValue,         548, 558, 561, 562, 33, 525),
    page(TextsOnly,         549, 550, 552, 553),
    page(TextsOnly,         540, 571, 572, 573),
    page(SignedValue,       543, 556, 564, 562, 38, 528),
    page(SignedValue,       543, 558, 564, 562, 38, 528),
    page(TextsOnly,         549, 550, 551, 565),
    page(SignedValue,       545, 559, 564, 562, 38, 528),
    page(SignedValue,       570, 559, 564, 562, 38, 528),
    page(OffsetValue,       541, 556, 561, 562, 117, 525),
    page(OffsetValue,       541, 558, 561, 562, 117, 525),
};
// clang-format on

bool roomSensorInstalled() {
    return (cellUnsigned(ConfigurationCell) & RoomSensorInstalled) != 0;
}

void drawPage(const StatusPage& page) {
    for (int line = 1; line <= 3; ++line) {
        showText(line, TextGroupLine4 + page.pageTexts[line - 1]);
    }
    if (page.pageType == RoomValue && !roomSensorInstalled()) {
        showText(4, BlankLineText);
    } else {
        showText(4, TextGroupLine4 + page.pageTexts[3]);
    }
    shownValueA = NothingShown;
    shownValueB = NothingShown;
}

// Line 3: the raw value a decides whether anything is drawn; shown is what is drawn.
void showLine3(int32_t a, int32_t shown) {
    if (a == shownValueA) {
        return;
    }
    shownValueA = a;
    showTenths(3, 14, shown);
}

// Line 4: the measured temperature, or dashes when the sensor reads outside its range.
void showSensor(int cell) {
    const int32_t b = ControllerCells[cell];
    if (b == shownValueB) {
        return;
    }
    shownValueB = b;
    if (b < LowestTemperature) {
        writeText(4, 15, "  --  ");
    } else if (b > HighestTemperature) {
        writeText(4, 15, "  --- ");
    } else {
        showTenths(4, 14, b);
    }
}

// One pass of the status view, while the main display's status view is on.
void runStatusView() {
    menuFlags |= RedrawRequestFlag;
    const uint16_t stored = cellUnsigned(StatusPageIndexCell);
    const int32_t index = stored < StatusPageCount ? stored : 0;
    const StatusPage& page = StatusPageTable[index];
    if (index != shownValue) {
        shownValue = index;
        drawPage(page);
    }
    switch (page.pageType) {
    case Countdown: {
        const int32_t t = static_cast<int32_t>(SecondTimers[page.cellA]);
        if (t != shownValueA) {
            shownValueA = t;
            showInteger(3, 3, t);
        }
        break;
    }
    case SignedValue:
        showLine3(ControllerCells[page.cellA], ControllerCells[page.cellA]);
        showSensor(page.cellB);
        break;
    case RoomValue:
        showLine3(cellUnsigned(page.cellA), cellUnsigned(page.cellA));
        if (roomSensorInstalled()) {
            showSensor(page.cellB);
        }
        break;
    case HotWaterStopValue: {
        const int32_t a = ControllerCells[page.cellA];
        showLine3(a, a + cellUnsigned(HotWaterDifferenceCell) / 2);
        showSensor(page.cellB);
        break;
    }
    case OffsetValue: {
        const int32_t a = ControllerCells[page.cellA];
        showLine3(a, a + 8);
        showSensor(page.cellB);
        break;
    }
    default:
        break;
    }
}

} // namespace

void resetStatusDisplayState() {
    shownValueA = NothingShown;
    shownValueB = NothingShown;
}

} // namespace kv410

namespace kv410 {

void screenStatusView() {
    runStatusView();
}

} // namespace kv410
