#include "scenario/Runner.h"

#include "scenario/Actions.h"

#include "core/FlashFile.h"
#include "core/Memory.h"
#include "core/VirtualPlatform.h"
#include "display/Lcd.h"
#include "panel/FrontPanel.h"
#include "scenario/Pictures.h"
#include "unit/ControllerState.h"
#include "unit/FormLifeCycle.h"
#include "unit/VirtualTime.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <istream>
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
    ScenarioTotals& totals;
    VirtualPlatform host;
    // Virtual time since the script began.
    VirtualTime time;
    // The LCD lines as last traced.
    char tracedLines[4][21] = {};
    // Flash words 0..1023 carried over a restart without a flash file.
    uint16_t carriedImage[PersistedFlashWords] = {};
    // Live control: every check, show and print answers with exactly one line.
    bool live = false;
    // Filled for a report, or nullptr.
    ScriptReport* report = nullptr;
    // When the check before ended (or the script began), for the report's times.
    std::chrono::steady_clock::time_point lastCheck = std::chrono::steady_clock::now();
};

void traceLcd(Run& run) {
    for (int line = 0; line < 4; ++line) {
        if (std::memcmp(run.tracedLines[line], LcdLines[line], 20) != 0) {
            std::memcpy(run.tracedLines[line], LcdLines[line], 20);
            run.out << timeStamp(run.time.tick) << " L" << line + 1 << " \""
                    << lcdLineText(line + 1) << "\"\n";
        }
    }
}

void showLcd(const Run& run, std::ostream& out) {
    if (run.live) {
        out << timeStamp(run.time.tick) << ' ';
        for (int line = 1; line <= 4; ++line) {
            out << '|' << lcdLineText(line);
        }
        out << "|\n";
        return;
    }
    out << timeStamp(run.time.tick) << "\n+--------------------+\n";
    for (int line = 1; line <= 4; ++line) {
        out << '|' << lcdLineText(line) << "|\n";
    }
    out << "+--------------------+\n";
}

// Advances the virtual clock by whole ticks, running every timer that falls due.
void advance(Run& run, int64_t ticks) {
    if (run.options.gif != nullptr) {
        advanceTicks(run.time, ticks, [&run] {
            if (run.options.trace) {
                traceLcd(run);
            }
            run.options.gif->observe(run.time.tick);
        });
    } else if (run.options.trace) {
        advanceTicks(run.time, ticks, [&run] { traceLcd(run); });
    } else {
        advanceTicks(run.time, ticks);
    }
}

// Prints the message boxes the controller asked for (the Flash.dat failures), so a run that could
// not load or save its flash file says so.
void reportMessages(Run& run) {
    for (const RecordedMessage& message : run.host.messages) {
        run.out << timeStamp(run.time.tick) << " message box \"" << message.caption
                << "\": " << message.text << '\n';
    }
    run.host.messages.clear();
}

// The window's start: flash image, start values of the inputs, boot.
void startProgram(Run& run) {
    if (!run.options.flashPath.empty()) {
        FlashFilePath = run.options.flashPath;
        FormCreate();
        reportMessages(run);
    }
    FormShow();
}

void freshProcess(Run& run) {
    resetControllerState();
    installPlatform(&run.host);
    run.host.beeps = 0;
}

void restart(Run& run) {
    if (!run.options.flashPath.empty()) {
        FormDestroy();
        reportMessages(run);
    } else {
        std::memcpy(run.carriedImage, FlashImage, sizeof run.carriedImage);
    }
    freshProcess(run);
    if (run.options.flashPath.empty()) {
        std::memcpy(FlashImage, run.carriedImage, sizeof run.carriedImage);
    }
    startProgram(run);
}

// What a check found: whether it held, and when it did not, what it saw.
struct Finding {
    bool held = false;
    std::string found;
    std::vector<std::string> attachments;
};

// Wall-clock seconds since the check before, for the report.
double secondsSinceLastCheck(Run& run) {
    const auto now = std::chrono::steady_clock::now();
    const double seconds = std::chrono::duration<double>(now - run.lastCheck).count();
    run.lastCheck = now;
    return seconds;
}

void pass(Run& run, const Step& step) {
    ++run.totals.passed;
    if (run.live) {
        run.out << "ok " << run.script.file << ':' << step.line << '\n';
    }
    if (run.report != nullptr) {
        CheckReport check;
        check.line = step.line;
        check.step = step.source;
        check.passed = true;
        check.seconds = secondsSinceLastCheck(run);
        run.report->checks.push_back(std::move(check));
    }
}

void fail(Run& run, const Step& step, const std::string& expected, Finding finding) {
    ++run.totals.failed;
    std::ostringstream lines;
    std::ostream& shown = run.report != nullptr ? lines : run.out;
    shown << "FAIL " << run.script.file << ':' << step.line << ": expected " << expected << ", got "
          << finding.found << '\n';
    if (!run.live &&
        (step.check.kind == CheckKind::LcdExact || step.check.kind == CheckKind::LcdContains)) {
        showLcd(run, shown);
    }
    if (run.report != nullptr) {
        run.out << lines.str();
        CheckReport check;
        check.line = step.line;
        check.step = step.source;
        check.expected = expected;
        check.found = std::move(finding.found);
        check.failure = lines.str();
        check.attachments = std::move(finding.attachments);
        check.seconds = secondsSinceLastCheck(run);
        run.report->checks.push_back(std::move(check));
    }
}

// A step could not do its work: the run goes on, its exit status is 2.
void problem(Run& run, const Step& step, const std::string& message) {
    ++run.totals.problems;
    const std::string text = run.script.file + ":" + std::to_string(step.line) + ": " + message;
    run.out << "ERROR " << text << '\n';
    if (run.report != nullptr) {
        run.report->problems.push_back({step.line, text});
    }
}

std::string pictureOf(const Run& run, const Step& step) {
    return picturePath(run.script.file, run.options.picturesFolder,
                       step.kind == StepKind::Snapshot ? step.text : step.check.text);
}

// The front compared with its approved picture; `last` is the final try of the check, which
// writes the pictures of a mismatch.
Finding snapshotFinding(Run& run, const Step& step, bool last) {
    Finding finding;
    FrontPictures* pictures = frontPictures();
    const std::string golden = pictureOf(run, step);
    std::string trouble;
    if (run.options.updateSnapshots) {
        finding.held = pictures->save(golden, trouble);
    } else {
        SnapshotComparison comparison =
            pictures->compare(golden, run.options.tolerance, actualPicturePath(golden),
                              diffPicturePath(golden), last);
        finding.held = comparison.matches;
        finding.found = std::move(comparison.found);
        if (!comparison.written.empty()) {
            finding.found += ", wrote";
            for (size_t i = 0; i < comparison.written.size(); ++i) {
                finding.found += (i == 0 ? " " : " and ") + comparison.written[i];
            }
        }
        finding.attachments = std::move(comparison.written);
        trouble = std::move(comparison.problem);
    }
    if (!trouble.empty()) {
        problem(run, step, trouble);
    }
    return finding;
}

Finding findingOf(Run& run, const Step& step, bool last) {
    if (step.check.kind == CheckKind::Snapshot) {
        return snapshotFinding(run, step, last);
    }
    Finding finding;
    finding.held = checkHolds(step.check, run.host.beeps);
    if (!finding.held && last) {
        finding.found = checkFound(step.check, run.host.beeps);
    }
    return finding;
}

void expect(Run& run, const Step& step) {
    Finding finding = findingOf(run, step, true);
    if (finding.held) {
        pass(run, step);
    } else {
        fail(run, step, step.check.source, std::move(finding));
    }
}

void waitUntil(Run& run, const Step& step) {
    const int64_t start = run.time.tick;
    bool held = findingOf(run, step, false).held;
    for (int64_t i = 0; !held && i < step.ticks; ++i) {
        advance(run, 1);
        held = findingOf(run, step, false).held;
    }
    if (!held) {
        // Once more on the state the check gave up on, for what it found (and the pictures of
        // a mismatch).
        fail(run, step, step.check.source + " within " + step.text, findingOf(run, step, true));
        return;
    }
    pass(run, step);
    if (run.options.trace) {
        run.out << timeStamp(run.time.tick) << ' ' << run.script.file << ':' << step.line
                << ": held after " << (run.time.tick - start) * TickMs << " ms\n";
    }
}

// Starts the program again from the flash image in a file, which is only read: as a fresh start
// with that image. A relative path is relative to the script's folder.
void loadFlash(Run& run, const Step& step) {
    std::filesystem::path path = step.text;
    if (path.is_relative() && run.script.file != "<stdin>") {
        path = std::filesystem::path(run.script.file).parent_path() / path;
    }
    freshProcess(run);
    if (!readFlashImageFile(path.string())) {
        std::ostringstream message;
        message << timeStamp(run.time.tick) << ' ' << run.script.file << ':' << step.line
                << ": cannot read the flash image " << path.string() << '\n';
        run.out << message.str();
        ++run.totals.failed;
        // Counted as a failed check, so it is reported as one.
        if (run.report != nullptr) {
            CheckReport check;
            check.line = step.line;
            check.step = step.source;
            check.expected = "a flash image to read";
            check.found = "cannot read " + path.string();
            check.failure = message.str();
            check.seconds = secondsSinceLastCheck(run);
            run.report->checks.push_back(std::move(check));
        }
    }
    FormShow();
}

void perform(Run& run, const Step& step) {
    if (performAction(step, run.time)) {
        if (run.options.trace) {
            traceLcd(run);
        }
        return;
    }
    switch (step.kind) {
    case StepKind::Wait:
        advance(run, step.ticks);
        break;
    case StepKind::HoldButton:
        pressPanelButton(run.time, static_cast<PanelButton>(step.count));
        advance(run, step.ticks);
        releasePanelButton(static_cast<PanelButton>(step.count));
        break;
    case StepKind::Turn:
        for (int32_t i = 0; i < (step.count < 0 ? -step.count : step.count); ++i) {
            RattImageMouseDown(step.count > 0 ? MouseButton::Left : MouseButton::Right, step.shift);
            advance(run, 1);
        }
        break;
    case StepKind::Restart:
        restart(run);
        break;
    case StepKind::LoadFlash:
        loadFlash(run, step);
        break;
    case StepKind::SetClock:
        run.host.setClock(step.clock[0], step.clock[1], step.clock[2], step.clock[3], step.clock[4],
                          step.clock[5]);
        break;
    case StepKind::Expect:
        expect(run, step);
        break;
    case StepKind::WaitUntil:
        waitUntil(run, step);
        break;
    case StepKind::Show:
        showLcd(run, run.out);
        break;
    case StepKind::Print:
        run.out << step.text << '\n';
        break;
    case StepKind::Snapshot:
        if (std::string trouble; !frontPictures()->save(pictureOf(run, step), trouble)) {
            problem(run, step, trouble);
        }
        break;
    case StepKind::ClickPanels:
        SensorPanelVisible = !SensorPanelVisible;
        break;
    default:
        break;
    }
    if (run.options.trace) {
        traceLcd(run);
    }
}

// The virtual time a step may take, in ticks.
int64_t plannedTicks(const Step& step) {
    switch (step.kind) {
    case StepKind::Wait:
    case StepKind::HoldButton:
    case StepKind::WaitUntil:
        return step.ticks;
    case StepKind::Turn:
        return step.count < 0 ? -int64_t{step.count} : step.count;
    default:
        return 0;
    }
}

void beginRun(Run& run) {
    const int* c = run.options.clock;
    run.host.setClock(c[0], c[1], c[2], c[3], c[4], c[5]);
    freshProcess(run);
    std::memcpy(run.tracedLines, LcdLines, sizeof run.tracedLines);
    startProgram(run);
    if (run.options.trace) {
        traceLcd(run);
    }
}

void endRun(Run& run) {
    if (!run.options.flashPath.empty()) {
        FormDestroy();
        reportMessages(run);
    }
    installPlatform(nullptr);
}

void play(Run& run) {
    const ScenarioOptions& options = run.options;
    beginRun(run);
    if (options.gif != nullptr) {
        options.gif->scriptBegins();
        options.gif->observe(run.time.tick);
    }
    for (const Step& step : run.script.steps) {
        if (options.gif != nullptr) {
            options.gif->stepBegins(run.time.tick, plannedTicks(step));
            perform(run, step);
            options.gif->stepEnds(run.time.tick);
        } else {
            perform(run, step);
        }
    }
    endRun(run);
}

} // namespace

void runScript(const Script& script, const ScenarioOptions& options, std::ostream& out,
               ScenarioTotals& totals) {
    Run run{script, options, out, totals, {}, {}};
    play(run);
}

void runScript(const Script& script, const ScenarioOptions& options, std::ostream& out,
               ScenarioTotals& totals, ScriptReport& report) {
    const auto start = std::chrono::steady_clock::now();
    std::ostringstream output;
    Run run{script, options, output, totals, {}, {}};
    run.report = &report;
    report.file = script.file;
    report.ran = true;
    const int passedBefore = totals.passed;
    const int failedBefore = totals.failed;
    play(run);
    report.output = output.str();
    report.passed = totals.passed - passedBefore;
    report.failed = totals.failed - failedBefore;
    report.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    out << report.output;
}

void runLive(std::istream& in, const ScenarioOptions& options, std::ostream& out,
             ScenarioTotals& totals) {
    Script live;
    live.file = "<stdin>";
    Run run{live, options, out, totals, {}, {}};
    run.live = true;
    beginRun(run);
    out.flush();
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        Script one;
        std::vector<std::string> errors;
        if (!parseScript(line, live.file, one, errors)) {
            // The message names line 1 of the one-line text; name the line of the session.
            const std::string& error = errors.front();
            const size_t at = error.find(": ", live.file.size() + 1);
            out << "error " << live.file << ':' << number << ':'
                << (at == std::string::npos ? " " + error : error.substr(at + 1)) << '\n';
        }
        for (Step& step : one.steps) {
            step.line = number;
            perform(run, step);
        }
        out.flush();
    }
    endRun(run);
}

} // namespace kv410
