// A scenario script as the runner plays it: every line parsed into a step before anything runs.
#pragma once

#include "unit/VirtualTime.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kv410 {

// What a check looks at.
enum class CheckKind : uint8_t {
    LcdExact,
    LcdContains,
    Cell,
    Io,
    Flash,
    Led,
    Lamp,
    Display,
    GraphHidden,
    GraphRange,
    Beeps,
    KnobFrame,
    KnobSteps,
    // The front as a picture, compared with an approved one (text holds the picture's name).
    Snapshot,
    // A setting of the catalogue by its number (setting), its value as the display shows it
    // (text, UTF-8).
    Setting
};

// One check of an `expect` or `wait until` step.
struct Check {
    CheckKind kind = CheckKind::Beeps;
    // Line 1..4, word number, LED (FrontLed), lamp 1..10.
    int index = 0;
    // Expected value (16-bit pattern for words), START of a graph, beeps, frame.
    int32_t value = 0;
    // END of a graph.
    int32_t value2 = 0;
    // Expected lit (LEDs, lamps, display).
    bool lit = false;
    // Expected LCD text, in the display's single-byte characters.
    std::string text;
    // The number of a setting, as the display shows it.
    std::string setting;
    // The check as written in the script, for messages.
    std::string source;
};

// The keys a script can strike.
struct ScriptKey {
    // PanelKey of the key-down.
    int key = 0;
    bool shift = false;
    // Character of the key-press, 0 for none.
    char character = 0;
};

// What a step does.
enum class StepKind : uint8_t {
    Wait,
    ClickPower,
    ClickButton,
    HoldButton,
    ClickKnob,
    Turn,
    ClickToggle,
    Key,
    KeyDown,
    KeyUp,
    Sensor,
    Restart,
    SetClock,
    PokeCell,
    PokeIo,
    PokeFlash,
    Expect,
    WaitUntil,
    Show,
    Print,
    PressButton,
    ReleaseButton,
    FocusSlider,
    LoadFlash,
    // Saves a picture of the front (text holds the picture's name).
    Snapshot,
    // Shows or hides the side panels, as the "Paneler" button beside the picture does.
    ClickPanels,
    // Steps of a lesson, played only by a lesson run (scenario/Lesson.h): its title (text), a
    // task (text), a hint of the task before it (text), the check that ends a task, a hidden
    // fault of a sensor or of an alarm input, a question (text) with its choices and answer.
    Lesson,
    Task,
    Hint,
    Await,
    FaultSensor,
    FaultInput,
    Ask,
    // The trainee's steps in a lesson: answers the question under way (text), asks for the next
    // hint of the task under way.
    Choose,
    TakeHint
};

// What a `fault sensor` step does to its sensor.
enum class SensorFault : uint8_t {
    // Not fitted (-500).
    Missing,
    // Far above the valid range.
    Shorted,
    // Jumps to a value (tenths).
    Value,
    // Drifts by a rate (tenths per hour) from its value when the fault falls due.
    Drift
};

// One line of a script.
struct Step {
    StepKind kind = StepKind::Show;
    int line = 0;
    // Ticks to advance (wait, tick, hold, wait until).
    int64_t ticks = 0;
    // Repeat count (key xN), knob clicks (turn, signed; a knob click 1 forward, -1 back, 0 with
    // the middle mouse button), button 0 left / 1 right / 2 middle, toggle button 1..11,
    // slider 1..11, word number of a poke.
    int32_t count = 0;
    // Value of a sensor or a poke.
    int32_t value = 0;
    // Shift held (knob clicks).
    bool shift = false;
    ScriptKey key;
    // Clock fields of a `clock` step: year, month, day, hour, minute, second.
    int clock[6] = {};
    // Text of `print`; the duration as written for `wait until`; the path of `flash`; the
    // picture's name of `snapshot`.
    std::string text;
    Check check;
    // Lesson steps: `await` and `ask` have a time limit (`within`, in ticks); a fault falls
    // `ticks` after its step is reached, or, with `between`, at a random tick from `ticks` to
    // `latestTicks`.
    bool limited = false;
    bool between = false;
    int64_t latestTicks = 0;
    SensorFault fault = SensorFault::Missing;
    // The choices of an `ask` and its right answer (UTF-8).
    std::vector<std::string> choices;
    std::string answer;
    // The step as written (its words, without a comment), for reports.
    std::string source;
};

// The host clock a script starts on unless told otherwise (a Monday): year, month, day, hour,
// minute, second.
inline constexpr int DefaultScriptClock[6] = {2026, 12, 7, 8, 0, 0};

// A parsed script.
struct Script {
    std::string file;
    std::vector<Step> steps;
};

// Parses the whole script; each line that cannot be understood adds "file:line: message" to
// errors. True when there was none.
bool parseScript(std::string_view source, const std::string& file, Script& script,
                 std::vector<std::string>& errors);

// The step as one script line, which parseScript reads back to the same step: the inverse of
// the parser, so a recording writes exactly the steps that were performed. A duration is written
// in ms, a key by its script name.
std::string writeStep(const Step& step);

// The script's name of a key stroke (PanelKey, Shift held, the typed character or 0): the key
// that does the same to the unit, "other" for a key that only wakes the display.
std::string scriptKeyName(int panelKey, bool shift, char character);

// The most virtual time a step takes, in ticks: a wait, a hold or a wait until its length, a turn
// one tick per click, an `await` or an `ask` its limit; every other step none.
int64_t stepTicks(const Step& step);
// The virtual time a whole script asks for, in ticks.
int64_t scriptTicks(const Script& script);

// True for the steps only a lesson plays (`lesson`, `task`, `hint "TEXT"`, `await`, `fault`,
// `ask`); a plain run of one is an error "a lesson step needs --lesson".
bool isLessonStep(const Step& step);
// True for the trainee's steps of a lesson (`choose`, a bare `hint`): they need a lesson that is
// playing.
bool isTraineeStep(const Step& step);
// The message of a lesson step played without a lesson.
inline constexpr const char* LessonStepNeedsLesson = "a lesson step needs --lesson";

// True when the step draws the front: `snapshot`, `expect snapshot`, a `wait until snapshot`.
bool stepNeedsPictures(const Step& step);

// A text in double quotes as a script writes it: an inner `"` as \" and a `\` as \\, so the
// quoted text reads back as it was.
std::string quotedText(std::string_view text);

// Converts UTF-8 text to the display's single-byte characters (Latin-1); false when the text is
// not UTF-8 or holds a character outside Latin-1.
bool utf8ToLatin1(std::string_view utf8, std::string& latin1);
// Converts display characters (Latin-1) to UTF-8; control bytes show as '?'.
std::string latin1ToUtf8(std::string_view latin1);

} // namespace kv410
