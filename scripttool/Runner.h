// Plays parsed scripts on the panel logic with a virtual clock and counts the checks.
#pragma once

#include "scenario/Script.h"
#include "scenario/StepSequencer.h"
#include "scripttool/Report.h"

#include <iosfwd>
#include <string>

namespace kv410 {

class GifTimeline;

// How a run is set up from the command line.
struct ScenarioOptions {
    // The file that plays Flash.dat; empty keeps the image in memory.
    std::string flashPath;
    // Host clock at the start: year, month, day, hour, minute, second.
    int clock[6] = {DefaultScriptClock[0], DefaultScriptClock[1], DefaultScriptClock[2],
                    DefaultScriptClock[3], DefaultScriptClock[4], DefaultScriptClock[5]};
    // Print every change of an LCD line.
    bool trace = false;
    // Print the English gloss under every LCD shown.
    bool gloss = false;
    // Folder of the pictures of `snapshot` and `expect snapshot`; empty: each script's folder.
    std::string picturesFolder;
    // How far each colour channel of a pixel may differ in `expect snapshot`.
    int tolerance = 0;
    // `expect snapshot` writes the approved picture instead of comparing with it.
    bool updateSnapshots = false;
    // The animated picture of the run being recorded (--gif), or nullptr.
    GifTimeline* gif = nullptr;
};

// Runs one script in a fresh process state, printing to out and adding to totals.
void runScript(const Script& script, const ScenarioOptions& options, std::ostream& out,
               ScenarioTotals& totals);
// The same, and fills `report` with the script's output, checks and problems.
void runScript(const Script& script, const ScenarioOptions& options, std::ostream& out,
               ScenarioTotals& totals, ScriptReport& report);

// Plays a lesson beside a trainee's script, in a fresh process state: the lesson begins, the
// trainee's steps are played with the lesson attached, then the lesson runs on by itself to its
// end. Prints the trainee's output and the lesson's report to out and adds the trainee's checks
// to totals; returns the lesson's status (LessonRun::status). With reports, fills the trainee's
// and the lesson's (a check per task and question).
int runLesson(const Script& lesson, const Script& trainee, uint32_t seed,
              const ScenarioOptions& options, std::ostream& out, ScenarioTotals& totals,
              ScriptReport* traineeReport = nullptr, ScriptReport* lessonReport = nullptr);

// Plays steps as they arrive on `in`, one line at a time, in one run on the virtual clock, and
// answers every check ("ok" or "FAIL ..."), show and print with one line on out; a line that
// cannot be understood gets an "error ..." line and the session goes on.
void runLive(std::istream& in, const ScenarioOptions& options, std::ostream& out,
             ScenarioTotals& totals);

} // namespace kv410
