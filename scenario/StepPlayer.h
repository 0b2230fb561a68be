// Plays the steps of a script in a front-end that keeps its own time (the window): actions
// happen at once, and the steps that take time (wait, hold, turn, wait until) hold the queue
// until the front-end's clock has run the ticks they need. The same steps, in the same order at
// the same ticks, as kv410-script plays them.
#pragma once

#include "scenario/Script.h"
#include "unit/VirtualTime.h"

#include <deque>
#include <functional>
#include <iosfwd>
#include <string>

namespace kv410 {

// Checks counted over all scripts of a run.
struct ScenarioTotals {
    int passed = 0;
    int failed = 0;
    // Steps that could not do their work (a picture that could not be written): exit status 2.
    int problems = 0;
};

// What the front-end does for the steps it owns.
struct PlayerHooks {
    // `restart`: the program closes and starts again.
    std::function<void()> restartProgram;
    // `flash "PATH"`: the program starts again from that image (PATH as written, relative to
    // the script's folder); false when the file cannot be read.
    std::function<bool(const std::string& path)> loadFlash;
    // `clock "..."`: year, month, day, hour, minute, second.
    std::function<void(const int* clock)> setClock;
    // The alarm sounds played since the run began.
    std::function<int()> beeps;
    // After every tick the player runs (painting, tracing).
    std::function<void()> afterTick;
    // The side panels shown or hidden, as the "Paneler" button does.
    std::function<void()> togglePanels;
    // After every check, with its result.
    std::function<void(const Step& step, bool passed)> checked;
};

// A queue of steps played against the front-end's virtual time.
class StepPlayer {
public:
    // Answers go to out: as kv410-script prints them, or with `oneLine` one line for every
    // check, show and print (live control).
    StepPlayer(std::ostream& out, bool oneLine, PlayerHooks hooks);

    // Adds a script's steps at the end of the queue.
    void enqueue(const Script& script);
    // Runs the queued steps and the ticks they need until the virtual time reaches untilTick;
    // with an empty queue the ticks simply run.
    void runUntil(VirtualTime& time, int64_t untilTick);
    // True when no step is left or under way.
    bool idle() const { return queue_.empty(); }
    // Drops every queued step (a person took over); a held button is released.
    void stop();

    ScenarioTotals totals;

private:
    struct Queued {
        Step step;
        std::string file;
    };
    // Performs the steps that take no time; stops at one that needs ticks.
    void performInstant(VirtualTime& time);
    // One tick has run: moves the step under way on.
    void tickDone();
    // Starts the front step; true when it now waits for ticks.
    bool start(const Queued& queued, VirtualTime& time);
    void report(const Queued& queued, bool passed, const std::string& expected);
    void show(const VirtualTime& time);

    std::ostream& out_;
    bool oneLine_;
    PlayerHooks hooks_;
    std::deque<Queued> queue_;
    // The front step is under way: ticks left to run, clicks left of a turn.
    bool underWay_ = false;
    int64_t ticksLeft_ = 0;
    int32_t clicksLeft_ = 0;
};

} // namespace kv410
