#include "scripttool/Runner.h"

#include "core/VirtualPlatform.h"
#include "pictures/Pictures.h"
#include "scenario/Actions.h"
#include "scenario/Lesson.h"
#include "unit/Session.h"

#include <chrono>
#include <istream>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>

namespace kv410 {

namespace {

// One script being played.
struct Run {
    const Script& script;
    const ScenarioOptions& options;
    std::ostream& out;
    VirtualPlatform host;
    Session session;
    // The lesson played beside the script, if any.
    std::optional<LessonRun> lesson;
    StepSequencer sequencer;
    // Filled for a report, or nullptr.
    ScriptReport* report = nullptr;
    // When the check before ended (or the script began), for the report's times.
    std::chrono::steady_clock::time_point lastCheck = std::chrono::steady_clock::now();

    Run(const Script& script, const ScenarioOptions& options, std::ostream& out, bool live,
        const Script* lessonScript = nullptr, uint32_t seed = 1)
        : script(script), options(options), out(out), session(host, options.flashPath),
          lesson(lessonOf(session, lessonScript, seed)),
          sequencer(session, out, sequencerOptions(options, live, lesson), hooks()) {}

    static std::optional<LessonRun> lessonOf(Session& session, const Script* lessonScript,
                                             uint32_t seed) {
        if (lessonScript == nullptr) {
            return std::nullopt;
        }
        return std::optional<LessonRun>(std::in_place, session, *lessonScript, seed);
    }

    static SequencerOptions sequencerOptions(const ScenarioOptions& options, bool live,
                                             std::optional<LessonRun>& lesson) {
        SequencerOptions sequencer;
        sequencer.lesson = lesson ? &*lesson : nullptr;
        sequencer.trace = options.trace;
        sequencer.gloss = options.gloss;
        sequencer.oneLine = live;
        sequencer.picturesFolder = options.picturesFolder;
        sequencer.tolerance = options.tolerance;
        sequencer.updateSnapshots = options.updateSnapshots;
        return sequencer;
    }

    SequencerHooks hooks() {
        SequencerHooks hooks;
        if (options.gif != nullptr) {
            hooks.afterTick = [this] { options.gif->observe(session.time.tick); };
            hooks.stepBegins = [this](const Step&, int64_t ticks) {
                options.gif->stepBegins(session.time.tick, ticks);
            };
            hooks.stepEnds = [this](const Step&) { options.gif->stepEnds(session.time.tick); };
        }
        hooks.programStarted = [this] { reportMessages(); };
        hooks.checked = [this](const CheckOutcome& outcome) { recordCheck(outcome); };
        hooks.problem = [this](const Step& step, const std::string& text) {
            if (report != nullptr) {
                report->problems.push_back({step.line, text});
            }
        };
        return hooks;
    }

    // Prints the message boxes the controller asked for (the Flash.dat failures), so a run that
    // could not load or save its flash file says so.
    void reportMessages() {
        for (const RecordedMessage& message : host.messages) {
            out << timeStamp(session.time.tick) << " message box \"" << message.caption
                << "\": " << message.text << '\n';
        }
        host.messages.clear();
    }

    void recordCheck(const CheckOutcome& outcome) {
        if (report == nullptr) {
            return;
        }
        const auto now = std::chrono::steady_clock::now();
        CheckReport check;
        check.line = outcome.step.line;
        check.step = outcome.step.source;
        check.passed = outcome.passed;
        if (!outcome.passed) {
            check.expected = outcome.expected;
            check.found = outcome.found;
            check.failure = outcome.failure;
            check.attachments = outcome.attachments;
        }
        check.seconds = std::chrono::duration<double>(now - lastCheck).count();
        lastCheck = now;
        report->checks.push_back(std::move(check));
    }

    // The window's start: the host's clock, a fresh process, the flash image, the start values
    // of the inputs, the boot.
    void begin() {
        const int* c = options.clock;
        host.setClock(c[0], c[1], c[2], c[3], c[4], c[5]);
        session.create();
        sequencer.noteLcd();
        reportMessages();
        session.show();
        sequencer.traceLcd();
    }

    void end() {
        session.stop();
        reportMessages();
        if (session.failedSaves() > 0) {
            // Every change the run made to the flash file is lost: the run did not do its work.
            const std::string text =
                script.file + ":0: the flash file " + options.flashPath + " could not be saved";
            out << "ERROR " << text << '\n';
            ++sequencer.totals.problems;
            if (report != nullptr) {
                report->problems.push_back({0, text});
            }
        }
        installPlatform(nullptr);
    }

    void play() {
        begin();
        if (options.gif != nullptr) {
            options.gif->scriptBegins();
            options.gif->observe(session.time.tick);
        }
        sequencer.enqueue(script);
        sequencer.finish();
        end();
    }
};

// The lesson's tasks and questions as the checks of a report.
void reportLesson(const LessonRun& lesson, const Script& script, ScriptReport& report) {
    report.file = script.file;
    report.ran = true;
    report.output = lesson.report();
    const LessonView view = lesson.view();
    int tasks = 0;
    int questions = 0;
    for (const LessonItemResult& item : view.items) {
        CheckReport check;
        check.line = item.line;
        check.step = (item.question ? "question " + std::to_string(++questions)
                                    : "task " + std::to_string(++tasks)) +
                     ": " + item.text;
        check.passed = item.done;
        if (!item.done) {
            check.expected = item.question ? "the right answer" : "the task done";
            check.found =
                item.question ? std::to_string(item.wrongAnswers) + " wrong answers" : "missed";
            check.failure = check.step + ": " + (item.question ? "not answered right" : "missed");
        }
        check.seconds = static_cast<double>(item.ticks * TickMs) / 1000.0;
        report.checks.push_back(std::move(check));
        report.passed += item.done ? 1 : 0;
        report.failed += item.done ? 0 : 1;
    }
    report.seconds = static_cast<double>(view.ticks * TickMs) / 1000.0;
}

void add(ScenarioTotals& totals, const ScenarioTotals& more) {
    totals.passed += more.passed;
    totals.failed += more.failed;
    totals.problems += more.problems;
}

} // namespace

void runScript(const Script& script, const ScenarioOptions& options, std::ostream& out,
               ScenarioTotals& totals) {
    Run run(script, options, out, false);
    run.play();
    add(totals, run.sequencer.totals);
}

void runScript(const Script& script, const ScenarioOptions& options, std::ostream& out,
               ScenarioTotals& totals, ScriptReport& report) {
    const auto start = std::chrono::steady_clock::now();
    std::ostringstream output;
    Run run(script, options, output, false);
    run.report = &report;
    report.file = script.file;
    report.ran = true;
    run.play();
    report.output = output.str();
    report.passed = run.sequencer.totals.passed;
    report.failed = run.sequencer.totals.failed;
    add(totals, run.sequencer.totals);
    report.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    out << report.output;
}

int runLesson(const Script& lesson, const Script& trainee, uint32_t seed,
              const ScenarioOptions& options, std::ostream& out, ScenarioTotals& totals,
              ScriptReport* traineeReport, ScriptReport* lessonReport) {
    const auto start = std::chrono::steady_clock::now();
    std::ostringstream output;
    Run run(trainee, options, traineeReport != nullptr ? output : out, false, &lesson, seed);
    if (traineeReport != nullptr) {
        run.report = traineeReport;
        traineeReport->file = trainee.file;
        traineeReport->ran = true;
    }
    run.begin();
    run.lesson->setOutput([&out = run.out](const std::string& line) { out << line << '\n'; });
    run.lesson->begin();
    run.sequencer.enqueue(trainee);
    run.sequencer.finish();
    // The trainee is done; the lesson runs on by itself, each step left waiting for a time.
    run.lesson->traineeFinished();
    while (!run.lesson->finished()) {
        run.sequencer.runUntil(run.session.time.tick + 1);
    }
    run.end();
    add(totals, run.sequencer.totals);
    if (traineeReport != nullptr) {
        traineeReport->output = output.str();
        traineeReport->passed = run.sequencer.totals.passed;
        traineeReport->failed = run.sequencer.totals.failed;
        traineeReport->seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        out << traineeReport->output;
    }
    if (lessonReport != nullptr) {
        reportLesson(*run.lesson, lesson, *lessonReport);
    }
    out << run.lesson->report();
    return run.lesson->status();
}

void runLive(std::istream& in, const ScenarioOptions& options, std::ostream& out,
             ScenarioTotals& totals) {
    Script live;
    live.file = "<stdin>";
    Run run(live, options, out, true);
    run.begin();
    out.flush();
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        Script one;
        one.file = live.file;
        std::vector<std::string> errors;
        if (!parseScript(line, live.file, one, errors)) {
            // The message names line 1 of the one-line text; name the line of the session.
            const std::string& error = errors.front();
            const size_t at = error.find(": ", live.file.size() + 1);
            out << "error " << live.file << ':' << number << ':'
                << (at == std::string::npos ? " " + error : error.substr(at + 1)) << '\n';
            // The session goes on, but a controlling program that did not read the answer
            // learns it from the exit status.
            ++run.sequencer.totals.problems;
        }
        for (Step& step : one.steps) {
            step.line = number;
        }
        run.sequencer.enqueue(one);
        run.sequencer.finish();
        out.flush();
    }
    run.end();
    add(totals, run.sequencer.totals);
}

} // namespace kv410
