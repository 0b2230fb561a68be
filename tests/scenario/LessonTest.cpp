#include "scenario/Lesson.h"

#include "ControllerFixture.h"

#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "panel/FrontPanel.h"
#include "scenario/StepSequencer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <sstream>

namespace kv410 {
namespace {

// Two tasks with a hint each and a question between them; the second task is done by a fault.
constexpr const char* Lesson = R"kvs(lesson "Menu and alarm"
task "Open the main menu."
hint "Switch the unit on first."
hint "Then the right button."
hint "It selects."
hint "Really."
await lcd 2 "Her stiller du inn  " within 30s
ask "Which button opened it?" "Left" "Right" answer "right" within 1m
print "Now a fault."
fault sensor GT1 missing at 2s
task "Wait for the alarm."
await lcd 1 "ALARM          (GT1)"
)kvs";

constexpr const char* Solution = "click power\ntick\nclick right\ntick 2\nchoose RIGHT\nwait 1m\n";

Script parsed(std::string_view text, const char* file = "l.kvs") {
    Script script;
    std::vector<std::string> errors;
    EXPECT_TRUE(parseScript(text, file, script, errors)) << (errors.empty() ? "" : errors[0]);
    return script;
}

// The errors of a lesson: its lines not understood, then what checkLesson finds.
std::vector<std::string> errorsOf(std::string_view text) {
    Script script;
    std::vector<std::string> errors;
    if (parseScript(text, "bad.kvs", script, errors)) {
        checkLesson(script, errors);
    }
    return errors;
}

struct Played {
    int status = 0;
    LessonView view;
    std::string report;
    std::string output;
    ScenarioTotals totals;
};

class LessonTest : public ControllerTest {
protected:
    // Plays the lesson beside the trainee's steps as kv410-script does; `eachTick` looks after
    // every tick.
    Played play(std::string_view lessonText, std::string_view trainee, uint32_t seed = 1,
                const std::function<void(const Session&)>& eachTick = {}) {
        Session session(host);
        session.start();
        const Script lesson = parsed(lessonText);
        LessonRun run(session, lesson, seed);
        std::ostringstream out;
        run.setOutput([&out](const std::string& line) { out << line << '\n'; });
        SequencerOptions options;
        options.lesson = &run;
        SequencerHooks hooks;
        if (eachTick) {
            hooks.afterTick = [&] { eachTick(session); };
        }
        StepSequencer sequencer(session, out, options, hooks);
        run.begin();
        sequencer.enqueue(parsed(trainee, "t.kvs"));
        sequencer.finish();
        run.traineeFinished();
        while (!run.finished()) {
            sequencer.runUntil(session.time.tick + 1);
        }
        return {run.status(), run.view(), run.report(), out.str(), sequencer.totals};
    }
};

TEST_F(LessonTest, ATraineeWhoDoesEveryTaskGetsTheFullScore) {
    const Played played = play(Lesson, Solution);
    EXPECT_EQ(played.status, 0);
    EXPECT_TRUE(played.view.finished);
    ASSERT_EQ(played.view.items.size(), 3u);
    for (const LessonItemResult& item : played.view.items) {
        EXPECT_TRUE(item.done) << item.text;
        EXPECT_FALSE(item.open) << item.text;
        EXPECT_EQ(item.points, 10) << item.text;
    }
    EXPECT_TRUE(played.view.items[1].question);
    EXPECT_EQ(played.view.points, 30);
    EXPECT_EQ(played.view.maxPoints, 30);
    EXPECT_EQ(played.view.notes, std::vector<std::string>{"Now a fault."});
    EXPECT_NE(played.output.find("Now a fault.\n"), std::string::npos);
    EXPECT_NE(played.report.find("Lesson \"Menu and alarm\"\ntask 1 done at [00:00:00.100]: Open "
                                 "the main menu.\nquestion 1 right at [00:00:00.150]: Which"),
              std::string::npos)
        << played.report;
    EXPECT_NE(played.report.find("score 30 of 30, time "), std::string::npos) << played.report;
}

TEST_F(LessonTest, AnEmptyTraineeMissesTasksAndTheLessonStillEnds) {
    const Played played = play(Lesson, "");
    EXPECT_EQ(played.status, 1);
    ASSERT_EQ(played.view.items.size(), 3u);
    // The first task and the question wait out their limits; the fault then raises the alarm,
    // but the last task has no limit, so with the trainee gone it is missed at once.
    EXPECT_FALSE(played.view.items[0].done);
    EXPECT_EQ(played.view.items[0].ticks, 30 * TicksPerSecond);
    EXPECT_FALSE(played.view.items[1].done);
    EXPECT_EQ(played.view.items[1].ticks, 60 * TicksPerSecond);
    EXPECT_FALSE(played.view.items[2].done);
    EXPECT_EQ(played.view.items[2].ticks, 0);
    EXPECT_EQ(played.view.points, 0);
    EXPECT_NE(played.report.find("task 1 missed at [00:00:30.000]: Open the main menu.\n"),
              std::string::npos)
        << played.report;
}

TEST_F(LessonTest, HintsAndWrongAnswersLowerTheScoreButNotBelowTheirFloor) {
    // Two hints: 10 - 6; four hints (and a fifth that is not there): at least 1.
    const Played twoHints = play(Lesson, std::string("hint\nhint\n") + Solution);
    EXPECT_EQ(twoHints.status, 0);
    EXPECT_EQ(twoHints.view.items[0].hints, 2);
    EXPECT_EQ(twoHints.view.items[0].points, 4);
    const Played allHints = play(Lesson, std::string("hint\nhint\nhint\nhint\nhint\n") + Solution);
    EXPECT_EQ(allHints.view.items[0].hints, 4);
    EXPECT_EQ(allHints.view.items[0].points, 1);
    EXPECT_EQ(allHints.status, 0);

    // A wrong answer costs 5 and the right one still passes; three cost everything, but the
    // question is still answered right. Answers given before the question are kept for it.
    const Played oneWrong = play(Lesson, "choose left\nclick power\ntick\nclick right\ntick 2\n"
                                         "choose Right\nwait 1m\n");
    EXPECT_EQ(oneWrong.status, 0);
    EXPECT_EQ(oneWrong.view.items[1].wrongAnswers, 1);
    EXPECT_EQ(oneWrong.view.items[1].points, 5);
    EXPECT_EQ(oneWrong.view.points, 25);
    EXPECT_NE(oneWrong.report.find("right at [00:00:00.150] after 1 wrong answer:"),
              std::string::npos)
        << oneWrong.report;
    const Played threeWrong =
        play(Lesson, std::string("choose left\nchoose left\nchoose \"maybe\"\n") + Solution);
    EXPECT_TRUE(threeWrong.view.items[1].done);
    EXPECT_EQ(threeWrong.view.items[1].points, 0);
    EXPECT_EQ(threeWrong.status, 0);

    // Never the right answer: missed when its time runs out, with the wrong answers counted.
    const Played never = play(Lesson, "click power\ntick\nclick right\ntick 2\nchoose left\n");
    EXPECT_FALSE(never.view.items[1].done);
    EXPECT_EQ(never.view.items[1].wrongAnswers, 1);
    EXPECT_EQ(never.status, 1);
}

TEST_F(LessonTest, ATraineeSeesTheTaskItsHintsAndTheQuestionInTheView) {
    Session session(host);
    session.start();
    const Script lesson = parsed(Lesson);
    LessonRun run(session, lesson, 1);
    run.begin();
    LessonView view = run.view();
    EXPECT_EQ(view.title, "Menu and alarm");
    EXPECT_EQ(view.task, "Open the main menu.");
    EXPECT_TRUE(view.hintAvailable);
    EXPECT_EQ(view.itemsTotal, 3);
    const uint32_t before = run.generation();
    EXPECT_EQ(run.takeHint(), "Switch the unit on first.");
    EXPECT_NE(run.generation(), before);
    EXPECT_EQ(run.view().hints, std::vector<std::string>{"Switch the unit on first."});
    // The question is not asked yet: the answer waits for it.
    EXPECT_FALSE(run.choose("left"));
    Shape6MouseDown();
    advanceTicks(session.time, 1, [&] { run.afterTick(); });
    pressPanelButton(session.time, PanelButton::Right);
    releasePanelButton(PanelButton::Right);
    advanceTicks(session.time, 2, [&] { run.afterTick(); });
    view = run.view();
    EXPECT_EQ(view.question, "Which button opened it?");
    EXPECT_EQ(view.choices, (std::vector<std::string>{"Left", "Right"}));
    EXPECT_EQ(view.answerFeedback, "Not right; try again.");
    EXPECT_EQ(view.items[1].wrongAnswers, 1);
    EXPECT_TRUE(run.choose("right"));
    EXPECT_EQ(run.view().answerFeedback, "Right.");
    EXPECT_EQ(run.view().task, "Wait for the alarm.");
    EXPECT_FALSE(run.view().hintAvailable);
    EXPECT_EQ(run.takeHint(), "");
    installPlatform(nullptr);
}

TEST_F(LessonTest, AFaultBetweenTwoTimesFallsOnTheSameTickForTheSameSeed) {
    const char* lesson = "lesson \"Drift\"\nwait 1s\nfault sensor GT2 value 1234 between 10s and "
                         "20s\nwait 30s\n";
    const auto faultTick = [&](uint32_t seed) {
        std::optional<int64_t> tick;
        play(lesson, "", seed, [&](const Session& session) {
            if (!tick && static_cast<int16_t>(IoWords[FirstSensorWord + 1]) == 1234) {
                tick = session.time.tick;
            }
        });
        EXPECT_TRUE(tick.has_value()) << "seed " << seed;
        return tick.value_or(-1);
    };
    std::vector<int64_t> ticks;
    for (uint32_t seed = 1; seed <= 6; ++seed) {
        const int64_t tick = faultTick(seed);
        // Reached at 1 s, the fault falls from 11 s to 21 s.
        EXPECT_GE(tick, 11 * TicksPerSecond) << "seed " << seed;
        EXPECT_LE(tick, 21 * TicksPerSecond) << "seed " << seed;
        EXPECT_EQ(faultTick(seed), tick) << "seed " << seed;
        ticks.push_back(tick);
    }
    std::sort(ticks.begin(), ticks.end());
    EXPECT_GT(std::unique(ticks.begin(), ticks.end()) - ticks.begin(), 2);
}

TEST_F(LessonTest, FaultsSetSliderAndWordAlikeAsFarAsTheSliderReaches) {
    const char* lesson = "lesson \"Faults\"\n"
                         "fault sensor GT3 shorted\n"
                         "fault sensor GT4 value -40\n"
                         "fault sensor GT5 missing at 1s\n"
                         "fault input HP on\n"
                         "fault input EK on at 2s\n"
                         "fault sensor GT6 drift 600 per hour at 1s\n"
                         "wait 1m\n";
    // The trainee switches EK on himself before the fault: the fault leaves it on.
    const Played played = play(lesson, "click EK\nwait 3s\nexpect io 6 1\n");
    EXPECT_EQ(played.totals.failed, 0);
    EXPECT_EQ(static_cast<int16_t>(IoWords[Gt3Word]), ShortedSensorValue);
    EXPECT_EQ(SliderPositions[2], SliderMax);
    EXPECT_EQ(static_cast<int16_t>(IoWords[Gt4Word]), -40);
    EXPECT_EQ(SliderPositions[3], -40);
    EXPECT_EQ(static_cast<int16_t>(IoWords[Gt5Word]), -500);
    EXPECT_EQ(IoWords[ToggleWords[3]], 1);
    EXPECT_TRUE(CaptionLight[3]);
    EXPECT_EQ(IoWords[ToggleWords[1]], 1);
    // GT6 drifts 60 degrees an hour from 90.0: 59 s later, 0.98 degrees more.
    EXPECT_EQ(static_cast<int16_t>(IoWords[FirstSensorWord + 5]), 909);
    EXPECT_EQ(SliderPositions[5], 909);
}

TEST_F(LessonTest, LessonStepsNeedALessonAndTheTraineeStepsAPlayingOne) {
    Session session(host);
    session.start();
    std::ostringstream out;
    StepSequencer sequencer(session, out, {});
    sequencer.enqueue(parsed("choose x\nhint\ntask \"a\"\nawait beeps 0\nshow\n"));
    sequencer.finish();
    EXPECT_EQ(sequencer.totals.problems, 4);
    EXPECT_NE(out.str().find("ERROR l.kvs:1: a lesson step needs --lesson\n"), std::string::npos)
        << out.str();
    installPlatform(nullptr);

    std::vector<std::string> errors;
    EXPECT_FALSE(checkLesson(parsed("task \"a\"\nawait beeps 0\nkey Up\nchoose a\n"), errors));
    ASSERT_EQ(errors.size(), 3u);
    EXPECT_EQ(errors[0], "l.kvs:1: a lesson begins with lesson \"TITLE\"");
    EXPECT_EQ(errors[1].rfind("l.kvs:3: ", 0), 0u) << errors[1];
    EXPECT_EQ(errors[2].rfind("l.kvs:4: ", 0), 0u) << errors[2];
    errors.clear();
    EXPECT_FALSE(checkTraineeScript(parsed("choose a\nhint\nfault input HP on\n"), errors));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind("l.kvs:3: ", 0), 0u) << errors[0];
}

TEST_F(LessonTest, LessonLinesNotUnderstoodNameTheirLine) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"lesson \"a\"\nlesson \"b\"\n", "bad.kvs:2: lesson \"TITLE\" is the first step"},
        {"task \"a\"\ntask \"b\"\nawait beeps 0\n", "bad.kvs:2: the task of line 1 has no await"},
        {"hint \"a\"\n", "bad.kvs:1: a hint belongs to a task"},
        {"task \"a\"\nawait beeps 0\nhint \"late\"\n", "bad.kvs:3: a hint belongs to a task"},
        {"await beeps 0\n", "bad.kvs:1: await ends a task"},
        {"\ntask \"a\"\n", "bad.kvs:2: the task has no await"},
        {"task \"\"\n", "bad.kvs:1: the task is empty"},
        {"task \"a\"\nawait beeps 0 within\n", "bad.kvs:2: "},
        {"task \"a\"\nawait snapshot \"a.png\"\n", "bad.kvs:2: a lesson cannot await a picture"},
        {"fault sensor GT7 missing\n", "bad.kvs:1: unknown sensor 'gt7'"},
        {"fault sensor GT1 broken\n", "bad.kvs:1: expected missing, shorted"},
        {"fault sensor GT1 drift 5\n", "bad.kvs:1: expected 'drift R per hour'"},
        {"fault sensor GT1 missing between 5s and 2s\n", "bad.kvs:1: the end of 'between"},
        {"fault sensor GT1 missing between 5s\n", "bad.kvs:1: expected 'between D1 and D2'"},
        {"fault input Larm on\n", "bad.kvs:1: unknown alarm input 'larm'"},
        {"fault input HP off\n", "bad.kvs:1: expected 'fault input NAME on'"},
        {"ask \"q\" answer \"a\"\n", "bad.kvs:1: expected the choices"},
        {"ask \"q\" \"a\" \"b\"\n", "bad.kvs:1: expected 'answer"},
        {"ask \"q\" \"a\" \"b\" answer \"c\"\n", "bad.kvs:1: the answer \"c\" is not one"},
        {"ask \"q\" \"a\" answer \"a\" within\n", "bad.kvs:1: missing a duration"},
        {"choose\n", "bad.kvs:1: missing a choice"},
        {"hint \"a\" \"b\"\n", "bad.kvs:1: unexpected 'b'"},
    };
    for (const auto& c : cases) {
        const std::vector<std::string> errors = errorsOf(c.text);
        std::string all;
        for (const std::string& error : errors) {
            all += error + "\n";
        }
        EXPECT_TRUE(std::any_of(errors.begin(), errors.end(),
                                [&](const std::string& e) { return e.rfind(c.error, 0) == 0; }))
            << c.text << " gave " << all;
    }
    // A well-ordered lesson passes.
    EXPECT_TRUE(errorsOf(Lesson).empty());
}

TEST_F(LessonTest, LessonStepsAreWrittenAsTheyAreRead) {
    const Script s = parsed(
        "lesson \"T \\\"1\\\"\"\ntask \"a\"\nhint \"b\"\nHINT\nawait lcd 1 contains \"x\"\n"
        "task \"c\"\nawait led alarm lit within 1m\nfault sensor gt3x missing\n"
        "fault sensor GT1 shorted at 2s\nfault sensor GT2 value -32768 between 1s and 30ticks\n"
        "fault sensor GT11 drift -25 per hour\nfault input fff on between 0s and 0s\n"
        "ask \"q\" \"Ja\" \"Nei\" answer \"ja\"\nask \"q\" \"x\" answer \"X\" within 250ms\n"
        "choose Ja\nchoose \"two words\"\n");
    const char* written[] = {
        "lesson \"T \\\"1\\\"\"",
        "task \"a\"",
        "hint \"b\"",
        "hint",
        "await lcd 1 contains \"x\"",
        "task \"c\"",
        "await led alarm lit within 60000ms",
        "fault sensor GT3X missing",
        "fault sensor GT1 shorted at 2000ms",
        "fault sensor GT2 value -32768 between 1000ms and 1500ms",
        "fault sensor GT11 drift -25 per hour",
        "fault input FFF on between 0ms and 0ms",
        "ask \"q\" \"Ja\" \"Nei\" answer \"ja\"",
        "ask \"q\" \"x\" answer \"X\" within 250ms",
        "choose \"Ja\"",
        "choose \"two words\"",
    };
    ASSERT_EQ(s.steps.size(), std::size(written));
    for (size_t i = 0; i < s.steps.size(); ++i) {
        const std::string line = writeStep(s.steps[i]);
        EXPECT_EQ(line, written[i]);
        const Script again = parsed(line);
        ASSERT_EQ(again.steps.size(), 1u) << line;
        const Step& a = again.steps[0];
        const Step& b = s.steps[i];
        EXPECT_EQ(writeStep(a), line);
        EXPECT_EQ(a.kind, b.kind) << line;
        EXPECT_EQ(a.text, b.text) << line;
        EXPECT_EQ(a.count, b.count) << line;
        EXPECT_EQ(a.value, b.value) << line;
        EXPECT_EQ(a.ticks, b.ticks) << line;
        EXPECT_EQ(a.latestTicks, b.latestTicks) << line;
        EXPECT_EQ(a.limited, b.limited) << line;
        EXPECT_EQ(a.between, b.between) << line;
        EXPECT_EQ(a.fault, b.fault) << line;
        EXPECT_EQ(a.choices, b.choices) << line;
        EXPECT_EQ(a.answer, b.answer) << line;
    }
    // The trainee's steps take no time; a lesson's limits are its most.
    EXPECT_EQ(stepTicks(s.steps[3]), 0);
    EXPECT_EQ(stepTicks(s.steps[14]), 0);
    EXPECT_EQ(stepTicks(s.steps[6]), 60 * TicksPerSecond);
}

} // namespace
} // namespace kv410
