// The one step sequencer: plays the steps of scripts on a session of the unit, in order, each at
// its tick. Steps that act on the front happen at once; the steps that take time (wait, hold,
// turn, wait until) hold the queue until the session's clock has run the ticks they need.
// kv410-script runs the queue to its end at once; the window runs it as far as its monotonic
// clock has come (`runUntil`), so both play the same steps at the same ticks.
#pragma once

#include "scenario/Script.h"
#include "unit/Session.h"

#include <deque>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace kv410 {

class LessonRun;

// Checks counted over all scripts of a run.
struct ScenarioTotals {
    int passed = 0;
    int failed = 0;
    // Steps that could not do their work (a picture that could not be written, a flash image
    // that could not be read or saved, a line of live control not understood): exit status 2.
    int problems = 0;
};

// The exit status of a run with these totals, as kv410-script and the window's playback and
// live control give it: 2 when a step could not do its work (or a line was not understood), 1
// when a check failed, 0 otherwise.
inline int scenarioStatus(const ScenarioTotals& totals) {
    return totals.problems > 0 ? 2 : totals.failed > 0 ? 1 : 0;
}

// How steps are played and answered.
struct SequencerOptions {
    // Every change of an LCD line is printed with its time, and how long a `wait until` took.
    bool trace = false;
    // Live control: every check, show and print is answered with exactly one line.
    bool oneLine = false;
    // The English gloss is printed under every LCD shown (show, failures, the trace), on lines
    // marked "en" that no check reads.
    bool gloss = false;
    // Folder of the pictures of `snapshot` and `expect snapshot`; empty: each script's folder.
    std::string picturesFolder;
    // How far each colour channel of a pixel may differ in `expect snapshot`.
    int tolerance = 0;
    // `expect snapshot` writes the approved picture instead of comparing with it.
    bool updateSnapshots = false;
    // The lesson the steps are played beside, or nullptr: it takes the trainee's `choose` and
    // `hint`, and its afterTick() runs after every tick the sequencer runs.
    LessonRun* lesson = nullptr;
};

// What a check came to, for a front-end's report.
struct CheckOutcome {
    const Step& step;
    bool passed;
    // The check as written (with "within D" for a wait until), what was found, and the lines
    // printed for the failure.
    std::string expected;
    std::string found;
    std::string failure;
    // Pictures written for a snapshot that did not match.
    std::vector<std::string> attachments;
};

// What a front-end adds to the playing of steps. Every hook may be left empty.
struct SequencerHooks {
    // After every tick the sequencer runs (painting, the GIF's frames).
    std::function<void()> afterTick;
    // A step begins, and may take up to `ticks` ticks; it has ended.
    std::function<void(const Step& step, int64_t ticks)> stepBegins;
    std::function<void(const Step& step)> stepEnds;
    // The program started again (`restart`, `flash`): the front-end shows it anew.
    std::function<void()> programStarted;
    // The side panels shown or hidden, as the "Paneler" button does.
    std::function<void()> togglePanels;
    // After every check, with its outcome.
    std::function<void(const CheckOutcome& outcome)> checked;
    // A step could not do its work ("file:line: message"); the run goes on, exit status 2.
    std::function<void(const Step& step, const std::string& message)> problem;
};

class StepSequencer {
public:
    // Plays on `session`, answering on `out`.
    StepSequencer(Session& session, std::ostream& out, SequencerOptions options,
                  SequencerHooks hooks = {});

    // Adds a script's steps at the end of the queue.
    void enqueue(const Script& script);
    // Runs the queued steps and the ticks they need until the session's time reaches untilTick;
    // with an empty queue the ticks simply run.
    void runUntil(int64_t untilTick);
    // Runs every queued step to its end, however much time they take.
    void finish();
    // True when no step is left or under way.
    bool idle() const { return queue_.empty(); }
    // Drops every queued step (a person took over); a held button is released.
    void stop();

    // From now on the LCD lines are traced against the display as it is now.
    void noteLcd();
    // Prints the LCD lines that changed since they were last traced (with the trace option).
    void traceLcd();

    ScenarioTotals totals;

private:
    struct Queued {
        Step step;
        std::string file;
    };
    // What a check found: whether it held, and when it did not, what it saw.
    struct Finding {
        bool held = false;
        std::string found;
        std::vector<std::string> attachments;
    };

    // Performs the steps that take no time; stops at one that needs ticks.
    void performInstant();
    // Starts the front step; true when it now waits for ticks.
    bool start(const Queued& queued);
    // Runs up to `ticks` ticks of the step under way, and ends it when it is done.
    void proceed(int64_t ticks);
    void end(const Queued& queued);
    void tick();
    // True when every tick must run on its own (a trace, a hook, a lesson look after each).
    bool tickByTick() const;
    Finding findingOf(const Queued& queued, bool last);
    Finding snapshotFinding(const Queued& queued, bool last);
    void pass(const Queued& queued);
    void fail(const Queued& queued, const std::string& expected, Finding finding);
    void problem(const Queued& queued, const std::string& message);
    std::string pictureOf(const Queued& queued) const;
    void show(std::ostream& out) const;
    void loadFlash(const Queued& queued);

    Session& session_;
    std::ostream& out_;
    SequencerOptions options_;
    SequencerHooks hooks_;
    std::deque<Queued> queue_;
    // The front step is under way: ticks left to run, clicks left of a turn, and for a wait
    // until the tick it began.
    bool underWay_ = false;
    int64_t ticksLeft_ = 0;
    int32_t clicksLeft_ = 0;
    int64_t startTick_ = 0;
    // The LCD lines as last traced.
    char tracedLines_[4][21] = {};
};

} // namespace kv410
