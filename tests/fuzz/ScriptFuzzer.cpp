// libFuzzer target: the text of a scenario script, as kv410-script reads it.
//
// The text is parsed; a line that is not understood must give "fuzz.kvs:LINE: message". A script
// that is understood is run on the virtual clock with --trace, its time bounded: every wait, hold,
// `wait until`, tick count, knob turn and key repeat is clamped so that one input uses at most
// TickBudget ticks. Pictures go to a stand-in front-end that draws nothing and checks that every
// picture lies inside the picture folder. The report of the run must survive the trip through a
// child process's bytes and be written as JUnit XML. A script that begins with `lesson` is played
// as kv410-script --lesson plays it: its lesson steps and the trainer's steps as the lesson, the
// rest as the trainee's script beside it. A broken rule aborts with a message.
#include "pictures/Pictures.h"
#include "scenario/Lesson.h"
#include "scenario/Script.h"
#include "scripttool/Report.h"
#include "scripttool/Runner.h"
#include "unit/ControllerState.h"
#include "unit/VirtualTime.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

namespace {

using namespace kv410;

// Virtual time one input may use: ten minutes, so that a run stays quick enough to explore many
// inputs.
constexpr int64_t TickBudget = 10 * 60 * TicksPerSecond;
// Key strokes of one `key NAME xN` step.
constexpr int32_t MaxKeyRepeat = 200;
// Where the stand-in front-end is told the pictures go.
const std::string PictureFolder = "/kv410-fuzz-pictures";

[[noreturn]] void broken(const char* rule, const std::string& detail) {
    std::fprintf(stderr, "rule broken: %s: %s\n", rule, detail.c_str());
    std::abort();
}

// A stream that throws everything away.
class Discard : public std::streambuf {
protected:
    int overflow(int c) override { return c; }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

// Draws nothing; every picture must lie inside the picture folder, and never above it.
class PathCheck final : public FrontPictures {
public:
    bool save(const std::string& path, std::string&) override {
        inside(path);
        return true;
    }
    SnapshotComparison compare(const std::string& golden, int, const std::string& actual,
                               const std::string& diff, bool) override {
        inside(golden);
        inside(actual);
        inside(diff);
        SnapshotComparison result;
        result.matches = golden.size() % 2 == 0;
        result.found = "pretend";
        return result;
    }
    std::unique_ptr<FrameSink> startGif(const std::string&, bool, std::string& problem) override {
        problem = "no GIF";
        return nullptr;
    }

private:
    static void inside(const std::string& path) {
        if (path.compare(0, PictureFolder.size() + 1, PictureFolder + "/") != 0) {
            broken("a picture outside the picture folder", path);
        }
        for (size_t start = 0; start <= path.size();) {
            size_t end = path.find('/', start);
            end = end == std::string::npos ? path.size() : end;
            if (path.compare(start, end - start, "..") == 0) {
                broken("a picture path climbs out of the picture folder", path);
            }
            start = end + 1;
        }
    }
};

// Clamps the script's time and repeats to the budget of one input.
void boundTime(Script& script) {
    int64_t left = TickBudget;
    for (Step& step : script.steps) {
        switch (step.kind) {
        case StepKind::Wait:
        case StepKind::HoldButton:
        case StepKind::WaitUntil:
        case StepKind::Await:
        case StepKind::Ask:
            step.ticks = std::min(step.ticks, left);
            break;
        case StepKind::FaultSensor:
        case StepKind::FaultInput:
            step.ticks = std::min(step.ticks, TickBudget);
            step.latestTicks = std::clamp(step.latestTicks, step.ticks, TickBudget);
            break;
        case StepKind::Turn: {
            const int32_t clicks =
                static_cast<int32_t>(std::min<int64_t>(std::abs(int64_t{step.count}), left));
            step.count = step.count < 0 ? -clicks : clicks;
            break;
        }
        case StepKind::Key:
            step.count = std::min(step.count, MaxKeyRepeat);
            break;
        default:
            break;
        }
        left -= stepTicks(step);
    }
}

void checkReport(const ScriptReport& report) {
    ScriptReport back;
    if (!decodeReport(encodeReport(report), back) || back.output != report.output ||
        back.checks.size() != report.checks.size() || back.passed != report.passed) {
        broken("the report does not survive its bytes", report.file);
    }
    if (report.passed + report.failed != static_cast<int>(report.checks.size())) {
        broken("the checks counted are not the checks reported", report.file);
    }
}

// Plays a script that begins with `lesson`: the lesson's own steps beside the rest as the
// trainee's.
void playLesson(const Script& script, const ScenarioOptions& options, std::ostream& out) {
    Script lesson;
    Script trainee;
    lesson.file = "fuzz.kvs";
    trainee.file = "trainee.kvs";
    for (const Step& step : script.steps) {
        Script& to = isLessonStep(step) || step.kind == StepKind::Wait ||
                             step.kind == StepKind::Sensor || step.kind == StepKind::Print
                         ? lesson
                         : trainee;
        to.steps.push_back(step);
    }
    std::vector<std::string> errors;
    if (!checkTraineeScript(trainee, errors)) {
        broken("a trainee's script split from a lesson holds a lesson step", errors.front());
    }
    if (!checkLesson(lesson, errors)) {
        // Its steps out of order: refused before anything runs, each error with its line.
        for (const std::string& error : errors) {
            if (error.compare(0, 9, "fuzz.kvs:") != 0 || error.find(": ", 9) == std::string::npos) {
                broken("an error of a lesson is not 'file:line: message'", error);
            }
        }
        return;
    }
    ScenarioTotals totals;
    ScriptReport traineeReport;
    ScriptReport lessonReport;
    const int status =
        runLesson(lesson, trainee, 7, options, out, totals, &traineeReport, &lessonReport);
    if (status != 0 && status != 1) {
        broken("a lesson's status is 0 or 1", std::to_string(status));
    }
    if ((status == 0) != (lessonReport.failed == 0)) {
        broken("the lesson's status is not what its report says", lessonReport.output);
    }
    checkReport(traineeReport);
    checkReport(lessonReport);
    writeJUnit(out, {traineeReport, lessonReport});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static PathCheck pictures;
    static Discard discard;
    static std::ostream nowhere(&discard);

    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Script script;
    std::vector<std::string> errors;
    if (!parseScript(text, "fuzz.kvs", script, errors)) {
        for (const std::string& error : errors) {
            const size_t colon = error.find(':', 9);
            if (error.compare(0, 9, "fuzz.kvs:") != 0 || colon == std::string::npos || colon == 9 ||
                error.find_first_not_of("0123456789", 9) != colon ||
                error.compare(colon, 2, ": ") != 0 || error.size() <= colon + 2) {
                broken("an error is not 'file:line: message'", error);
            }
        }
        return 0;
    }
    boundTime(script);

    ScenarioOptions options;
    options.trace = true;
    options.picturesFolder = PictureFolder;
    options.tolerance = static_cast<int>(size % 256);
    options.updateSnapshots = size % 7 == 0;
    installFrontPictures(&pictures);
    if (!script.steps.empty() && script.steps.front().kind == StepKind::Lesson) {
        playLesson(script, options, nowhere);
        installFrontPictures(nullptr);
        resetControllerState();
        return 0;
    }
    ScenarioTotals totals;
    ScriptReport report;
    runScript(script, options, nowhere, totals, report);
    installFrontPictures(nullptr);

    checkReport(report);
    writeJUnit(nowhere, {report});
    resetControllerState();
    return 0;
}
