#include "menu/AlarmDisplay.h"

#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "display/Lcd.h"
#include "menu/MenuEngine.h"
#include "menu/MenuTree.h"
#include "menu/Screens.h"
#include "supervision/Alarms.h"

namespace kv410 {

int8_t selectedIndex = -1;

namespace {

// Index drawn by the last knob move; -1 = none.
int8_t drawnIndex = -1;
// Alarm number shown.
uint8_t shownAlarm;
// Set while the alarm display has handed over to the alarm help pages.
bool returningFromHelp;

constexpr int ListEntries = 32;
constexpr int FirstAlarmLineText = 488;
constexpr int BlankLineText = 267;
// Line 1 of an alarm that has a slot but no texts of its own.
constexpr int PlainAlarmLineText = 528;
constexpr int UnacknowledgedKeysText = 447;
constexpr int AcknowledgedKeysText = 448;
constexpr int TimeColumn = 3;

// The slot cells of the raise time, in the order they are shown: year, month, day, then
// hour, minute, second after a blank.
constexpr int RaiseTimeCells[6] = {AlarmYearCell, AlarmMonthCell,  AlarmDayCell,
                                   AlarmHourCell, AlarmMinuteCell, AlarmSecondCell};

// Entry i of the list; positions outside it read as empty.
uint8_t entry(int i) {
    return i >= 0 && i <= ListEntries ? ActiveAlarmList[i] : NoAlarm;
}

bool hasSlot(uint8_t n) {
    return n < AlarmSlotCount;
}

bool acknowledged(uint8_t n) {
    return hasSlot(n) && (cellUnsigned(AlarmFlagsCell + n) & AlarmAcknowledgedBit) != 0;
}

// Index of alarm n in the list, searched from the oldest end; -1 when it is not listed.
int indexOf(uint8_t n) {
    if (n == NoAlarm) {
        return -1;
    }
    for (int i = ListEntries - 1; i >= 0; --i) {
        if (ActiveAlarmList[i] == n) {
            return i;
        }
    }
    return -1;
}

// The first listed alarm, newest first, that waits for acknowledgement; NoAlarm when none does.
uint8_t firstUnacknowledged() {
    for (int i = 0; i < ListEntries; ++i) {
        const uint8_t n = ActiveAlarmList[i];
        if (n != NoAlarm && hasSlot(n) && !acknowledged(n)) {
            return n;
        }
    }
    return NoAlarm;
}

char digit(int nibble) {
    return static_cast<char>(0x30 | (nibble & 0x0F));
}

// The node the display hands back to. It never returns into the help pages it opened itself
// (they would lead straight back here), nor to itself, nor to nothing.
MenuNode* returnNode() {
    MenuNode* self = &MenuNodes[NodeAlarmDisplay];
    MenuNode* help = &MenuNodes[NodeAlarmHelp];
    MenuNode* parent = self->parent;
    if (parent == nullptr || parent == self || (parent == help && help->parent == self)) {
        return &MenuNodes[NodeRoot];
    }
    return parent;
}

void openHelpPages() {
    MenuNode* help = &MenuNodes[NodeAlarmHelp];
    returningFromHelp = true;
    help->parent = currentNode;
    currentNode = help;
    help->cell = shownAlarm;
    menuFlags &= ~EditingFlag;
    menuFlags |= RedrawRequestFlag;
}

// Keeps the selection on the shown alarm while the list changes under it.
void followList() {
    if (selectedIndex == -1) {
        selectedIndex = 0;
        shownAlarm = entry(0);
        drawAlarm(shownAlarm);
    }
    if (entry(selectedIndex) == NoAlarm && selectedIndex > 0) {
        --selectedIndex;
        shownAlarm = entry(selectedIndex);
        drawAlarm(shownAlarm);
    }
    const int found = indexOf(shownAlarm);
    if (found >= 0) {
        selectedIndex = static_cast<int8_t>(found);
    } else if (entry(selectedIndex) != NoAlarm) {
        shownAlarm = entry(selectedIndex);
        drawAlarm(shownAlarm);
    } else {
        --selectedIndex;
        shownAlarm = entry(selectedIndex);
    }
}

void acknowledgeShown() {
    if (hasSlot(shownAlarm)) {
        acknowledgeAlarm(shownAlarm);
    }
    const int found = indexOf(shownAlarm);
    if (found >= 0) {
        selectedIndex = static_cast<int8_t>(found);
    }
    shownAlarm = entry(selectedIndex);
    const uint8_t waiting = firstUnacknowledged();
    if (waiting != NoAlarm) {
        shownAlarm = waiting;
    }
    drawAlarm(shownAlarm);
}

void moveSelection() {
    if (knobSteps > 0 && entry(selectedIndex + 1) != NoAlarm) {
        ++selectedIndex;
    } else if (knobSteps < 0 && selectedIndex > 0) {
        --selectedIndex;
    }
    knobSteps = 0;
    shownAlarm = entry(selectedIndex);
    if (drawnIndex != selectedIndex) {
        drawnIndex = selectedIndex;
        drawAlarm(shownAlarm);
    }
}

void close() {
    selectedIndex = -1;
    drawnIndex = -1;
    currentNode = returnNode();
    menuFlags &= ~EditingFlag;
    menuFlags |= RedrawRequestFlag | FullRedrawFlag;
    shownValue = NothingShown;
}

} // namespace

void drawAlarm(uint8_t n) {
    // An empty list entry or a number without a slot is never drawn.
    if (!hasSlot(n)) {
        return;
    }
    if (isKnownAlarm(n)) {
        showText(1, FirstAlarmLineText + 2 * n);
        showText(2, FirstAlarmLineText + 2 * n + 1);
    } else {
        showText(1, PlainAlarmLineText);
        showText(2, BlankLineText);
    }
    showText(3, BlankLineText);
    char time[16];
    int p = 0;
    for (int k = 0; k < 6; ++k) {
        if (k == 3) {
            time[p++] = ' ';
        } else if (k > 3) {
            time[p++] = ':';
        }
        const uint16_t bcd = cellUnsigned(RaiseTimeCells[k] + n);
        time[p++] = digit(bcd >> 4);
        time[p++] = digit(bcd);
    }
    time[p] = '\0';
    writeText(3, TimeColumn, time);
    showText(4, acknowledged(n) ? AcknowledgedKeysText : UnacknowledgedKeysText);
}

void runAlarmDisplay() {
    if ((menuFlags & EditingFlag) == 0) {
        menuFlags |= EditingFlag;
        if (returningFromHelp) {
            shownAlarm = entry(selectedIndex);
            if (shownAlarm != NoAlarm) {
                drawAlarm(shownAlarm);
            }
        } else {
            selectedIndex = -1;
            drawnIndex = -1;
        }
        returningFromHelp = false;
    }

    if (UnacknowledgedAlarmFlag != 0) {
        followList();
        if (IoWords[MiddleButtonWord] != 0) {
            // Only an alarm with texts has help pages.
            if (isKnownAlarm(shownAlarm)) {
                openHelpPages();
            }
            IoWords[MiddleButtonWord] = 0;
        }
        if (IoWords[RightButtonWord] != 0) {
            acknowledgeShown();
            IoWords[RightButtonWord] = 0;
        }
        if (knobSteps != 0) {
            moveSelection();
        }
    }

    // The back key never closes the alarm display.
    IoWords[LeftButtonWord] = 0;

    if (UnacknowledgedAlarmFlag == 0) {
        close();
    }
}

void screenAlarmDisplay() {
    runAlarmDisplay();
}

void resetAlarmDisplayState() {
    selectedIndex = -1;
    drawnIndex = -1;
    shownAlarm = 0;
    returningFromHelp = false;
}

} // namespace kv410
