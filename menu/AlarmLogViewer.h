// The alarm log viewer and the help pages of an alarm.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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

// One record of the alarm log as the viewer shows it.
struct AlarmLogLine {
    int alarm;            // 0..21; -1 for a damaged record, which the viewer shows as no record
    std::string time;     // line 3 from column 3: "261206 12:15:20"
    std::string texts[2]; // lines 1 and 2, the alarm's two texts (20 display characters each)
};
// Every record of the log, newest first, as the viewer pages through them with the knob.
std::vector<AlarmLogLine> alarmLogLines();

// The texts of a known alarm (0..21) as the alarm display and its help pages show them, in the
// display's characters: the two lines that name it and every line of its help text in order.
struct AlarmTexts {
    std::string lines[2];
    std::vector<std::string> help;
};
AlarmTexts alarmTexts(int alarm);

// Returns the viewer's and the help pages' state to its process-start state.
void resetAlarmLogViewerState();

// Kind 27: the alarm log viewer.
void screenAlarmLogViewer();
// Kind 29: the alarm help pages.
void screenAlarmHelp();

} // namespace kv410
