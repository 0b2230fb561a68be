#include "scenario/Runner.h"

#include "scenario/Actions.h"

#include "core/FlashFile.h"
#include "core/Memory.h"
#include "core/VirtualPlatform.h"
#include "display/Lcd.h"
#include "panel/FrontPanel.h"
#include "unit/ControllerState.h"
#include "unit/FormLifeCycle.h"
#include "unit/VirtualTime.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <ostream>

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

void showLcd(Run& run) {
    if (run.live) {
        run.out << timeStamp(run.time.tick) << ' ';
        for (int line = 1; line <= 4; ++line) {
            run.out << '|' << lcdLineText(line);
        }
        run.out << "|\n";
        return;
    }
    run.out << timeStamp(run.time.tick) << "\n+--------------------+\n";
    for (int line = 1; line <= 4; ++line) {
        run.out << '|' << lcdLineText(line) << "|\n";
    }
    run.out << "+--------------------+\n";
}

// Advances the virtual clock by whole ticks, running every timer that falls due.
void advance(Run& run, int64_t ticks) {
    if (run.options.trace) {
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

void pass(Run& run, const Step& step) {
    ++run.totals.passed;
    if (run.live) {
        run.out << "ok " << run.script.file << ':' << step.line << '\n';
    }
}

void fail(Run& run, const Step& step, const std::string& expected) {
    ++run.totals.failed;
    run.out << "FAIL " << run.script.file << ':' << step.line << ": expected " << expected
            << ", got " << checkFound(step.check, run.host.beeps) << '\n';
    if (!run.live &&
        (step.check.kind == CheckKind::LcdExact || step.check.kind == CheckKind::LcdContains)) {
        showLcd(run);
    }
}

void expect(Run& run, const Step& step) {
    if (checkHolds(step.check, run.host.beeps)) {
        pass(run, step);
    } else {
        fail(run, step, step.check.source);
    }
}

void waitUntil(Run& run, const Step& step) {
    const int64_t start = run.time.tick;
    bool held = checkHolds(step.check, run.host.beeps);
    for (int64_t i = 0; !held && i < step.ticks; ++i) {
        advance(run, 1);
        held = checkHolds(step.check, run.host.beeps);
    }
    if (!held) {
        fail(run, step, step.check.source + " within " + step.text);
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
        run.out << timeStamp(run.time.tick) << ' ' << run.script.file << ':' << step.line
                << ": cannot read the flash image " << path.string() << '\n';
        ++run.totals.failed;
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
        showLcd(run);
        break;
    case StepKind::Print:
        run.out << step.text << '\n';
        break;
    default:
        break;
    }
    if (run.options.trace) {
        traceLcd(run);
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

} // namespace

void runScript(const Script& script, const ScenarioOptions& options, std::ostream& out,
               ScenarioTotals& totals) {
    Run run{script, options, out, totals, {}, {}};
    beginRun(run);
    for (const Step& step : script.steps) {
        perform(run, step);
    }
    endRun(run);
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
