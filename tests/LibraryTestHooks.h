// What the tests see of the library beyond its headers: working state that the library keeps to
// one file (defined there, declared only here) and helpers that only tests need. Library code
// never includes this header.
#pragma once

#include "menu/MenuTree.h"

#include <cstdint>

namespace kv410 {

// ---------------------------------------------------------------- working state, by file

// core/Clock.cpp
// The weekday abbreviation that the next composition of ClockText uses.
extern char WeekdayAbbreviation[3];
// The host's time as "yyyy-mm-dd hh:mm:ss".
extern char HostClockText[20];

// display/TextWords.cpp
// "dag", "tim", "min", "sek", each with a zero (text 427).
extern char UnitNames[4][4];

// supervision/AlarmLog.cpp
// Offset of the record the reader last delivered, in words from flash word 514.
extern uint16_t AlarmLogCursor;

// supervision/MixingValve.cpp
// Estimated position in steps, 0 closed .. 60 open.
extern uint8_t ValvePosition;

// menu/AlarmDisplay.cpp
// Index in ActiveAlarmList of the shown alarm; -1 = none.
extern int8_t selectedIndex;

// menu/AlarmLogViewer.cpp
// Offset of the first text of the help page shown, counted like AlarmHelpRange::firstText.
extern int32_t helpPage;

// menu/ClockSetting.cpp
// The field being changed, 1 (year) to 7 (weekday).
extern uint8_t clockSettingField;

// menu/MenuEngine.cpp
// The access level the engine last accepted.
extern int32_t lastAccessLevel;

// menu/QuickSettings.cpp
// Quick-setting editor: the value being edited.
extern int32_t editValue;
// Quick-setting editor: the save key is offered.
extern bool editArmed;

// menu/TimeProgramScreens.cpp
// The day on view, 0 Monday .. 6 Sunday, shared by the three programs.
extern int8_t selectedProgramDay;
// The day editor has the keys.
extern bool dayEditorOpen;
// The day editor's field, 1..11.
extern uint8_t dayEditorField;
// The day editor's stop minute (BCD).
extern uint8_t dayEditorStopMinute;

// ---------------------------------------------------------------- helpers

// supervision/Alarms.cpp: makes the next superviseAlarms run in full.
void forgetSupervisionPass();

// N for MenuNodes[N], -1 for null or a node outside the tree.
inline int nodeIndex(const MenuNode* node) {
    for (int n = 0; n < MenuNodeCount; ++n) {
        if (node == &MenuNodes[n]) {
            return n;
        }
    }
    return -1;
}

} // namespace kv410
