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
};

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
    // Changes whenever what view() shows changes, so a front-end redraws only then.
    uint32_t generation() const;
    LessonView view() const;
    // The result as kv410-script prints it: one line per task and question, then the score.
    std::string report() const;
    // 0 when every task was done and every question answered right, 1 otherwise.
    int status() const;

    // (members: the implementer's choice)
};

} // namespace kv410
