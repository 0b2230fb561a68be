// A lesson: a scenario script with lesson steps (`lesson`, `task`, `hint`, `await`, `fault`,
// `ask`), played beside a trainee who works the front freely. The lesson and the trainee's input
// meet on the session's one virtual clock: after every tick of the session the lesson looks
// whether the task it waits for is done, sets the faults that fall due and moves on. The window,
// the page and kv410-script all play a lesson through this one class, so a lesson is judged and
// scored alike wherever it runs.
#pragma once

#include "scenario/Script.h"
#include "unit/Session.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kv410 {

// What became of one task (`task` ... `await`) or one question (`ask`).
struct LessonItemResult {
    // True for a question, false for a task.
    bool question = false;
    // The task's or the question's text (UTF-8), and its line in the lesson.
    std::string text;
    int line = 0;
    // Done (a task whose check held in time; a question answered right).
    bool done = false;
    // Still under way (the lesson has not reached its end).
    bool open = false;
    // Hints taken while this task was under way; wrong answers to this question.
    int hints = 0;
    int wrongAnswers = 0;
    // Ticks from the task's (question's) start to its end.
    int64_t ticks = 0;
    // Points earned and the most it could earn.
    int points = 0;
    int maxPoints = 0;
};

// Everything a front-end shows of a lesson under way, already worded (UTF-8): a front-end only
// lays it out.
struct LessonView {
    std::string title;
    // The task or question under way, empty between them and at the end.
    std::string task;
    // Hints taken for the task under way, in order.
    std::vector<std::string> hints;
    // True when the task under way has a hint not yet taken.
    bool hintAvailable = false;
    // The question under way and its choices; empty when none is asked.
    std::string question;
    std::vector<std::string> choices;
    // What the last answer came to ("Right." / "Not right; try again."), empty before any.
    std::string answerFeedback;
    // Tasks and questions ended, and how many the lesson has.
    int itemsEnded = 0;
    int itemsTotal = 0;
    // The lesson has reached its end; score and points as in LessonRun::score().
    bool finished = false;
    int points = 0;
    int maxPoints = 0;
    // Ticks since the lesson began (the time taken, when finished).
    int64_t ticks = 0;
    // Every task and question so far.
    std::vector<LessonItemResult> items;
    // What the lesson printed (`print`), oldest first.
    std::vector<std::string> notes;
};

// Whether `script` can be played as a lesson: it begins with `lesson "TITLE"`, each task is ended
// by its `await` with its hints between the two, and its own steps are lesson steps or the
// trainer's (wait, tick, sensor, clock, poke, a click of a toggle button, print). Each step that
// cannot adds "file:line: message" to errors. Every front-end checks a lesson so before it
// plays it.
bool checkLesson(const Script& script, std::vector<std::string>& errors);
// Whether `script` can be a trainee's input to a lesson: no lesson step of its own.
bool checkTraineeScript(const Script& script, std::vector<std::string>& errors);

// A sensor that is shorted reads this (tenths of a degree), far above the valid range.
inline constexpr int32_t ShortedSensorValue = 3000;

class LessonRun {
public:
    // A lesson of `script` (parsed by parseScript, lesson steps included) on `session`; `seed`
    // picks the times of the faults that fall at a random time inside a window, so a run with
    // the same seed repeats exactly, natively and in WebAssembly alike.
    LessonRun(Session& session, const Script& script, uint32_t seed);

    // Begins the lesson on the started session: performs its steps up to the first that waits.
    void begin();
    // Call after every tick of the session: sets the faults that fell due, judges the check
    // awaited, and moves on through the lesson's steps.
    void afterTick();
    // The trainee's input has ended (kv410-script at the end of the trainee's script): the
    // lesson runs on by itself; a task or question that waits without a time limit is missed.
    // The caller then runs ticks (afterTick after each) until finished(): every step left
    // waits for a limited time.
    void traineeFinished();

    // The trainee asks for a hint: the next hint of the task under way, counted; empty when
    // there is none.
    std::string takeHint();
    // The trainee answers the question under way (matched without regard to case); true when
    // right. A wrong answer is counted and the question stays open. An answer given while no
    // question is asked is kept for the next question.
    bool choose(std::string_view choice);

    bool finished() const;
    // Changes whenever what view() shows changes (its running time aside), so a front-end
    // redraws only then.
    uint32_t generation() const;
    LessonView view() const;
    // The result as kv410-script prints it: one line per task and question, then the score.
    std::string report() const;
    // 0 when every task was done and every question answered right, 1 otherwise.
    int status() const;

    // The lesson's `print` steps also go to `out`, a line at a time without its newline (empty:
    // only to view().notes). A function rather than a stream, so a front-end that has no streams
    // (the page) does not carry them.
    void setOutput(std::function<void(const std::string& line)> out) { out_ = std::move(out); }

private:
    // What the lesson waits for before its next step.
    enum class Waiting : uint8_t { Nothing, Time, Check, Answer };
    // A task or a question of the lesson.
    struct Item {
        LessonItemResult result;
        // A task's hints, in order.
        std::vector<std::string> hints;
        // Its step in the script.
        size_t step = 0;
        int64_t startTick = 0;
        int64_t endTick = 0;
    };
    struct PendingFault {
        int64_t dueTick = 0;
        size_t step = 0;
    };
    // A sensor drifting by `rate` tenths per hour from `base` at `fromTick`; `written` is what it
    // was last set to.
    struct Drift {
        int slider = 0;
        int32_t base = 0;
        int32_t rate = 0;
        int64_t fromTick = 0;
        int32_t written = 0;
    };

    int64_t now() const;
    void advance();
    void perform(size_t index);
    void endItem(int item, bool done);
    bool answer(std::string_view choice);
    void applyFaults();
    void applyFault(const Step& step);
    void setSensor(int slider, int32_t value);
    uint64_t nextRandom();
    std::string itemLine(const Item& item, int number) const;

    Session& session_;
    Script script_;
    std::function<void(const std::string& line)> out_;
    std::string title_;
    std::vector<Item> items_;
    // The item each step of the script starts (a task or an ask), -1 for the others.
    std::vector<int> itemOfStep_;
    size_t next_ = 0;
    bool began_ = false;
    bool finished_ = false;
    bool traineeDone_ = false;
    Waiting waiting_ = Waiting::Nothing;
    int64_t waitUntil_ = 0;
    // The step of the `await` under way.
    size_t awaitStep_ = 0;
    // The tick a task's check or a question runs out, -1 without a limit.
    int64_t deadline_ = -1;
    int currentTask_ = -1;
    int currentQuestion_ = -1;
    int itemsStarted_ = 0;
    int64_t beginTick_ = 0;
    int64_t endTick_ = 0;
    std::string answerFeedback_;
    std::deque<std::string> pendingAnswers_;
    uint64_t random_ = 0;
    std::vector<PendingFault> faults_;
    std::vector<Drift> drifts_;
    std::vector<std::string> notes_;
    uint32_t generation_ = 0;
};

} // namespace kv410
