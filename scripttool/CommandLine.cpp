#include "scripttool/CommandLine.h"

#include "core/VirtualPlatform.h"
#include "pictures/Pictures.h"
#include "scripttool/ChildProcesses.h"
#ifdef KV410_WITH_MCP
#include "scripttool/McpServer.h"
#endif
#include "scenario/Lesson.h"
#include "scripttool/Runner.h"

#include "KV410Version.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>

namespace kv410 {

namespace {

constexpr const char* Usage =
    "usage: kv410-script [--flash PATH] [--clock \"YYYY-MM-DD hh:mm:ss\"] [--trace] [OPTION]...\n"
    "                    SCRIPT...\n"
    "       kv410-script --live [--flash PATH] [--clock \"YYYY-MM-DD hh:mm:ss\"] [--trace]\n"
    "       kv410-script --mcp [--folder DIR] [--clock \"YYYY-MM-DD hh:mm:ss\"]\n"
    "       kv410-script --lesson FILE --trainee STEPS.kvs [--seed N] [--junit FILE]\n"
    "                    [--trace] [--flash PATH] [--clock \"YYYY-MM-DD hh:mm:ss\"]\n"
    "\n"
    "Plays scenario scripts on the simulated KV410 controller with a virtual clock.\n"
    "\n"
    "  SCRIPT         a script file; several run one after another, each in a fresh\n"
    "                 process state; - reads the script from standard input\n"
    "  --flash PATH   the file that plays Flash.dat (loaded at the start, saved at the\n"
    "                 end and at every restart); without it the image stays in memory\n"
    "  --clock TIME   the virtual host clock at the start (default 2026-12-07 08:00:00)\n"
    "  --trace        print every change of an LCD line with its virtual time\n"
    "  --gloss        add the English gloss under every LCD shown (show, failures, the\n"
    "                 trace), on lines marked \"en\" that no check reads\n"
    "  --live         read steps from standard input as they arrive and answer every\n"
    "                 check (ok / FAIL), show and print with one line\n"
    "  --mcp          serve the Model Context Protocol on standard input and output\n"
    "                 (JSON-RPC 2.0, a message per line): tools that press, turn, wait,\n"
    "                 check, read the display and record the session as a script\n"
    "  --folder DIR   with --mcp: the folder of the flash images, pictures and\n"
    "                 recordings it reads and writes (default: the current folder);\n"
    "                 no file outside it is touched\n"
    "  -j N, --jobs N run N script files at a time, in N processes; the output of each\n"
    "                 file stays together, in the order given\n"
    "  --junit FILE   write a JUnit XML report (a testsuite per script, a testcase per\n"
    "                 check) for GitLab, Jenkins and the like\n"
    "  --keep-going   run the scripts that could be understood even when another could\n"
    "                 not (the exit status is still 2)\n"
    "  --pictures DIR the folder of the pictures that scripts name (default: each\n"
    "                 script's own folder)\n"
    "  --tolerance N  expect snapshot: each colour channel may differ by N (0..255)\n"
    "  --update-snapshots\n"
    "                 expect snapshot writes the approved pictures instead of comparing\n"
    "  --gif FILE     write an animated GIF of the whole run, a frame at every change of\n"
    "                 the front; long waits are shortened and marked\n"
    "  --lesson FILE  play the lesson FILE beside the trainee's steps of --trainee, then\n"
    "                 print the lesson's report: each task and question, the score and\n"
    "                 the time taken\n"
    "  --trainee STEPS.kvs\n"
    "                 with --lesson: the trainee's input (a script; - reads standard\n"
    "                 input)\n"
    "  --seed N       with --lesson: picks the instants of the faults that fall between\n"
    "                 two times (default 1)\n"
    "  --help         print this help\n"
    "  --version      print the version\n"
    "\n"
    "Lesson steps (only with --lesson): lesson \"TITLE\", task \"TEXT\", hint \"TEXT\",\n"
    "await CHECK [within D], fault sensor NAME missing|shorted|value V|drift R per hour\n"
    "[at D | between D1 and D2], fault input NAME on [at D | between D1 and D2],\n"
    "ask \"QUESTION\" \"CHOICE\"... answer \"CHOICE\" [within D]; the trainee's steps:\n"
    "choose \"CHOICE\" and hint. With --lesson the exit status is 1 also when a task was\n"
    "missed or a question not answered right.\n"
    "\n"
    "Steps for pictures of the front: snapshot \"NAME.png\" saves one; expect snapshot\n"
    "\"NAME.png\" compares the front with an approved one (a mismatch writes\n"
    "NAME.actual.png and NAME.diff.png); click paneler shows or hides the side panels.\n"
    "\n"
    "Exit status: 0 all checks passed, 1 a check failed, 2 a script could not be read or\n"
    "understood, or a step could not do its work.\n";

// A script file (or standard input) and its parsed steps.
struct ScriptSource {
    std::string name;
    std::string text;
};

bool readSource(const std::string& argument, std::istream& in, ScriptSource& source) {
    std::ostringstream text;
    if (argument == "-") {
        source.name = "<stdin>";
        text << in.rdbuf();
    } else {
        source.name = argument;
        std::ifstream file(argument, std::ios::binary);
        if (!file) {
            return false;
        }
        text << file.rdbuf();
        if (file.bad()) {
            return false;
        }
    }
    source.text = text.str();
    return true;
}

// A number of an option, within min..max.
bool optionNumber(const std::string& text, int min, int max, int& value) {
    int64_t number = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, number);
    if (text.empty() || ec != std::errc{} || ptr != end || number < min || number > max) {
        return false;
    }
    value = static_cast<int>(number);
    return true;
}

// The line number of an error "FILE:LINE: message" of the script named FILE.
int errorLine(const std::string& error, const std::string& file) {
    int line = 0;
    if (error.compare(0, file.size() + 1, file + ":") == 0) {
        const size_t from = file.size() + 1;
        const size_t to = error.find(':', from);
        if (to != std::string::npos) {
            optionNumber(error.substr(from, to - from), 0, 1 << 30, line);
        }
    }
    return line;
}

bool writeReportFile(const std::string& path, const std::vector<ScriptReport>& reports,
                     std::ostream& err) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (file) {
        writeJUnit(file, reports);
        file.flush();
    }
    if (!file) {
        err << "kv410-script: cannot write the JUnit report " << path << '\n';
        return false;
    }
    return true;
}

// kv410-script --lesson FILE --trainee STEPS.kvs: both read and understood before anything runs.
int runLessonCommand(const std::string& lessonPath, const std::string& traineePath, uint32_t seed,
                     const ScenarioOptions& options, const std::string& junitPath, std::istream& in,
                     std::ostream& out, std::ostream& err) {
    std::vector<std::string> errors;
    Script lesson;
    Script trainee;
    ScriptReport lessonReport;
    ScriptReport traineeReport;
    FrontPictures* pictures = frontPictures();
    const auto load = [&](const std::string& path, Script& script, ScriptReport& report,
                          bool isLesson) {
        const size_t errorsBefore = errors.size();
        ScriptSource source;
        report.file = path;
        if (!readSource(path, in, source)) {
            errors.push_back(path + ":0: cannot read the script");
        } else {
            report.file = source.name;
            if (parseScript(source.text, source.name, script, errors)) {
                if (isLesson) {
                    checkLesson(script, errors);
                } else {
                    checkTraineeScript(script, errors);
                }
            }
            for (const Step& step : script.steps) {
                if (pictures == nullptr && stepNeedsPictures(step)) {
                    errors.push_back(source.name + ":" + std::to_string(step.line) +
                                     ": pictures of the front need kv410-script built with Qt 6, "
                                     "and this build has none");
                }
            }
        }
        for (size_t e = errorsBefore; e < errors.size(); ++e) {
            report.problems.push_back({errorLine(errors[e], report.file), errors[e]});
        }
    };
    load(lessonPath, lesson, lessonReport, true);
    load(traineePath, trainee, traineeReport, false);
    const bool reporting = !junitPath.empty();
    if (!errors.empty()) {
        for (const std::string& error : errors) {
            err << error << '\n';
        }
        if (reporting) {
            writeReportFile(junitPath, {traineeReport, lessonReport}, err);
        }
        return 2;
    }
    ScenarioTotals totals;
    const int lessonStatus = reporting ? runLesson(lesson, trainee, seed, options, out, totals,
                                                   &traineeReport, &lessonReport)
                                       : runLesson(lesson, trainee, seed, options, out, totals);
    out << totals.passed << " passed, " << totals.failed << " failed\n";
    out.flush();
    if (reporting && !writeReportFile(junitPath, {traineeReport, lessonReport}, err)) {
        return 2;
    }
    const int status = scenarioStatus(totals);
    return status == 2 ? 2 : std::max(status, lessonStatus);
}

} // namespace

int runScenarioTool(std::span<const std::string> arguments, std::istream& in, std::ostream& out,
                    std::ostream& err) {
    ScenarioOptions options;
    std::vector<std::string> scripts;
    bool live = false;
    bool mcp = false;
    std::string folder;
    int jobs = 1;
    std::string junitPath;
    std::string gifPath;
    bool keepGoing = false;
    bool optionsEnded = false;
    std::string lessonPath;
    std::string traineePath;
    uint32_t seed = 1;
    bool seedGiven = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument == "-" || argument.empty() || argument[0] != '-') {
            scripts.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help" || argument == "-h") {
            out << Usage;
            return 0;
        } else if (argument == "--version") {
            out << "kv410-script " << ProgramVersion << '\n';
            return 0;
        } else if (argument == "--trace") {
            options.trace = true;
        } else if (argument == "--gloss") {
            options.gloss = true;
        } else if (argument == "--live") {
            live = true;
        } else if (argument == "--mcp") {
            mcp = true;
        } else if (argument == "--keep-going") {
            keepGoing = true;
        } else if (argument == "--update-snapshots") {
            options.updateSnapshots = true;
        } else if (argument.size() > 2 && argument.compare(0, 2, "-j") == 0 && argument[2] != '-') {
            if (!optionNumber(argument.substr(2), 1, 256, jobs)) {
                err << "kv410-script: -j expects a number of jobs from 1 to 256, got \""
                    << argument.substr(2) << "\"\n";
                return 2;
            }
        } else if (argument == "--flash" || argument == "--clock" || argument == "-j" ||
                   argument == "--jobs" || argument == "--junit" || argument == "--pictures" ||
                   argument == "--tolerance" || argument == "--gif" || argument == "--folder" ||
                   argument == "--lesson" || argument == "--trainee" || argument == "--seed") {
            if (i + 1 >= arguments.size()) {
                err << "kv410-script: " << argument << " needs a value\n" << Usage;
                return 2;
            }
            const std::string& value = arguments[++i];
            if (argument == "--flash") {
                options.flashPath = value;
            } else if (argument == "--clock") {
                int* c = options.clock;
                if (!parseDateTime(value, c[0], c[1], c[2], c[3], c[4], c[5])) {
                    err << "kv410-script: --clock expects \"YYYY-MM-DD hh:mm:ss\", got \"" << value
                        << "\"\n";
                    return 2;
                }
            } else if (argument == "-j" || argument == "--jobs") {
                if (!optionNumber(value, 1, 256, jobs)) {
                    err << "kv410-script: " << argument
                        << " expects a number of jobs from 1 to 256, got \"" << value << "\"\n";
                    return 2;
                }
            } else if (argument == "--tolerance") {
                if (!optionNumber(value, 0, 255, options.tolerance)) {
                    err << "kv410-script: --tolerance expects a number from 0 to 255, got \""
                        << value << "\"\n";
                    return 2;
                }
            } else if (argument == "--seed") {
                int64_t number = -1;
                const char* end = value.data() + value.size();
                const auto [ptr, ec] = std::from_chars(value.data(), end, number);
                if (value.empty() || ec != std::errc{} || ptr != end || number < 0 ||
                    number > 0xFFFFFFFF) {
                    err << "kv410-script: --seed expects a number from 0 to 4294967295, got \""
                        << value << "\"\n";
                    return 2;
                }
                seed = static_cast<uint32_t>(number);
                seedGiven = true;
            } else if (argument == "--trainee" && value == "-") {
                traineePath = value;
            } else if (value.empty() || value == "-") {
                err << "kv410-script: " << argument << " needs a file or folder, not \"" << value
                    << "\"\n";
                return 2;
            } else if (argument == "--junit") {
                junitPath = value;
            } else if (argument == "--folder") {
                folder = value;
            } else if (argument == "--lesson") {
                lessonPath = value;
            } else if (argument == "--trainee") {
                traineePath = value;
            } else if (argument == "--pictures") {
                options.picturesFolder = value;
            } else {
                gifPath = value;
            }
        } else {
            err << "kv410-script: unknown option " << argument << "\n" << Usage;
            return 2;
        }
    }
    if (!folder.empty() && !mcp) {
        err << "kv410-script: --folder is the folder of --mcp\n";
        return 2;
    }
    if (!lessonPath.empty() || !traineePath.empty() || seedGiven) {
        if (lessonPath.empty() || traineePath.empty()) {
            err << "kv410-script: --lesson FILE and --trainee STEPS.kvs go together"
                << (seedGiven ? " (--seed is theirs)" : "") << "\n"
                << Usage;
            return 2;
        }
        if (live || mcp || !scripts.empty() || !gifPath.empty()) {
            err << "kv410-script: --lesson plays one lesson beside --trainee; it takes no "
                   "scripts, --live, --mcp or --gif\n";
            return 2;
        }
        return runLessonCommand(lessonPath, traineePath, seed, options, junitPath, in, out, err);
    }
    if (mcp) {
        if (live || !scripts.empty() || !options.flashPath.empty()) {
            err << "kv410-script: --mcp reads protocol messages from standard input; it takes "
                   "no scripts, --live or --flash (load_flash reads an image in --folder)\n";
            return 2;
        }
#ifdef KV410_WITH_MCP
        std::error_code error;
        if (!folder.empty() && !std::filesystem::is_directory(folder, error)) {
            err << "kv410-script: --folder " << folder << " is no folder\n";
            return 2;
        }
        return runMcp(in, out, options, folder);
#else
        err << "kv410-script: this build has no --mcp (it was built without nlohmann-json)\n";
        return 2;
#endif
    }
    if (live) {
        if (!scripts.empty()) {
            err << "kv410-script: --live reads its steps from standard input, not from scripts\n";
            return 2;
        }
        ScenarioTotals totals;
        runLive(in, options, out, totals);
        out << totals.passed << " passed, " << totals.failed << " failed\n";
        out.flush();
        return scenarioStatus(totals);
    }
    if (scripts.empty()) {
        err << "kv410-script: no script given\n" << Usage;
        return 2;
    }
    if (options.flashPath.empty() == false && options.flashPath == "-") {
        err << "kv410-script: --flash needs a file, not standard input\n";
        return 2;
    }
    const bool sideBySide = jobs > 1 && scripts.size() > 1 && childProcessesAvailable();
    if (sideBySide && !options.flashPath.empty()) {
        err << "kv410-script: -j runs scripts at the same time, so they cannot share one --flash "
               "file; run them with -j 1\n";
        return 2;
    }
    if (sideBySide && !gifPath.empty()) {
        err << "kv410-script: --gif records the scripts one after another; use it with -j 1\n";
        return 2;
    }
    FrontPictures* pictures = frontPictures();
    if (!gifPath.empty() && pictures == nullptr) {
        err << "kv410-script: --gif needs pictures of the front, and this build of kv410-script "
               "has none (it was built without Qt 6)\n";
        return 2;
    }

    // Every script is read and parsed before anything runs.
    std::vector<Script> parsed(scripts.size());
    std::vector<ScriptReport> reports(scripts.size());
    std::vector<std::string> errors;
    for (size_t i = 0; i < scripts.size(); ++i) {
        const size_t errorsBefore = errors.size();
        ScriptSource source;
        if (!readSource(scripts[i], in, source)) {
            reports[i].file = scripts[i];
            errors.push_back(scripts[i] + ":0: cannot read the script");
        } else {
            reports[i].file = source.name;
            parseScript(source.text, source.name, parsed[i], errors);
            for (const Step& step : parsed[i].steps) {
                if (isLessonStep(step) || isTraineeStep(step)) {
                    errors.push_back(source.name + ":" + std::to_string(step.line) + ": " +
                                     LessonStepNeedsLesson);
                }
                if (pictures == nullptr && stepNeedsPictures(step)) {
                    errors.push_back(source.name + ":" + std::to_string(step.line) +
                                     ": pictures of the front need kv410-script built with Qt 6, "
                                     "and this build has none");
                }
            }
        }
        for (size_t e = errorsBefore; e < errors.size(); ++e) {
            reports[i].problems.push_back({errorLine(errors[e], reports[i].file), errors[e]});
        }
    }
    if (!errors.empty()) {
        for (const std::string& error : errors) {
            err << error << '\n';
        }
        if (!keepGoing) {
            if (!junitPath.empty()) {
                writeReportFile(junitPath, reports, err);
            }
            return 2;
        }
    }
    std::vector<size_t> runnable;
    for (size_t i = 0; i < scripts.size(); ++i) {
        if (reports[i].problems.empty()) {
            runnable.push_back(i);
        }
    }

    std::unique_ptr<FrameSink> gifSink;
    std::unique_ptr<GifTimeline> gif;
    if (!gifPath.empty()) {
        std::string problem;
        bool panels = false;
        for (const size_t i : runnable) {
            for (const Step& step : parsed[i].steps) {
                panels = panels || step.kind == StepKind::ClickPanels;
            }
        }
        gifSink = pictures->startGif(gifPath, panels, problem);
        if (!gifSink) {
            err << "kv410-script: " << problem << '\n';
            return 2;
        }
        gif = std::make_unique<GifTimeline>(*gifSink);
        options.gif = gif.get();
    }

    ScenarioTotals totals;
    const bool reporting = !junitPath.empty();
    if (sideBySide && runnable.size() > 1) {
        out.flush();
        err.flush();
        std::vector<size_t> longestFirst(runnable.size());
        std::vector<int64_t> planned(runnable.size());
        for (size_t k = 0; k < runnable.size(); ++k) {
            longestFirst[k] = k;
            planned[k] = scriptTicks(parsed[runnable[k]]);
        }
        std::stable_sort(longestFirst.begin(), longestFirst.end(),
                         [&planned](size_t a, size_t b) { return planned[a] > planned[b]; });
        runInChildProcesses(
            runnable.size(), jobs,
            [&](size_t k) {
                ScenarioTotals childTotals;
                std::ostringstream discarded;
                ScriptReport report;
                runScript(parsed[runnable[k]], options, discarded, childTotals, report);
                return encodeReport(report);
            },
            [&](size_t k, std::string&& bytes, const std::string& failure) {
                ScriptReport& report = reports[runnable[k]];
                ScriptReport received;
                if (decodeReport(bytes, received)) {
                    report = std::move(received);
                } else {
                    report.ran = true;
                    report.problems.push_back(
                        {0, report.file + ":0: the run of this script " +
                                (failure.empty() ? "handed back no result" : failure)});
                    out << "ERROR " << report.problems.back().message << '\n';
                }
                out << report.output;
                totals.passed += report.passed;
                totals.failed += report.failed;
                totals.problems += static_cast<int>(report.problems.size());
            },
            longestFirst);
    } else {
        for (const size_t i : runnable) {
            if (reporting) {
                runScript(parsed[i], options, out, totals, reports[i]);
            } else {
                runScript(parsed[i], options, out, totals);
            }
        }
    }
    out << totals.passed << " passed, " << totals.failed << " failed\n";
    out.flush();

    bool written = true;
    if (gif) {
        gif->finish();
        std::string problem;
        if (!gifSink->finish(problem)) {
            err << "kv410-script: " << problem << '\n';
            written = false;
        }
    }
    if (reporting && !writeReportFile(junitPath, reports, err)) {
        written = false;
    }
    if (!errors.empty() || !written) {
        return 2;
    }
    return scenarioStatus(totals);
}

} // namespace kv410
