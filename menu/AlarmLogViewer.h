// The alarm log viewer and the help pages of an alarm.
#pragma once

#include <cstdint>

namespace kv410 {

// Where the help text of an alarm lies in the line-4 text group.
struct AlarmHelpRange {
    int32_t firstText; // offset of the first help text (text number 431 + firstText)
    int32_t lastPage;  // offset from the first text to the first text of the last page
};

// Help texts of alarms 0..21, indexed by alarm number.
inline constexpr AlarmHelpRange AlarmHelpTable[22] = {
    {146, 12}, {146, 12}, {146, 12}, {146, 12}, {146, 12}, {146, 12}, {146, 12}, {146, 12},
    {146, 12}, {146, 12}, {161, 12}, {255, 12}, {176, 12}, {18, 16},  {206, 16}, {270, 16},
    {270, 16}, {289, 12}, {289, 12}, {191, 12}, {225, 12}, {240, 12},
};

// Alarm number of the record the viewer shows.
extern uint8_t logAlarm;
// Whether the viewer shows a record (else "Ingen alarm logget! ").
extern bool logHasRecord;
// Set when the help pages were opened from the viewer: it then shows the same record again.
extern bool returnFromHelp;
// Offset of the first text of the help page shown, counted like AlarmHelpRange::firstText.
extern int32_t helpPage;

// Returns the viewer's and the help pages' state to its process-start state.
void resetAlarmLogViewerState();

} // namespace kv410
