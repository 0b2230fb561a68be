#include "core/VirtualPlatform.h"
#include "scenario/Runner.h"

#include "KV410Version.h"

#include <fstream>
#include <iostream>
#include <sstream>

namespace kv410 {

namespace {

constexpr const char* Usage =
    "usage: kv410-script [--flash PATH] [--clock \"YYYY-MM-DD hh:mm:ss\"] [--trace] SCRIPT...\n"
    "       kv410-script --live [--flash PATH] [--clock \"YYYY-MM-DD hh:mm:ss\"] [--trace]\n"
    "\n"
    "Plays scenario scripts on the simulated KV410 controller with a virtual clock.\n"
    "\n"
    "  SCRIPT         a script file; several run one after another, each in a fresh\n"
    "                 process state; - reads the script from standard input\n"
    "  --flash PATH   the file that plays Flash.dat (loaded at the start, saved at the\n"
    "                 end and at every restart); without it the image stays in memory\n"
    "  --clock TIME   the virtual host clock at the start (default 2026-12-07 08:00:00)\n"
    "  --trace        print every change of an LCD line with its virtual time\n"
    "  --live         read steps from standard input as they arrive and answer every\n"
    "                 check (ok / FAIL), show and print with one line\n"
    "  --help         print this help\n"
    "  --version      print the version\n"
    "\n"
    "Exit status: 0 all checks passed, 1 a check failed, 2 a script could not be read or\n"
    "understood.\n";

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

} // namespace

int runScenarioTool(std::span<const std::string> arguments, std::istream& in, std::ostream& out,
                    std::ostream& err) {
    ScenarioOptions options;
    std::vector<std::string> scripts;
    bool live = false;
    bool optionsEnded = false;
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
        } else if (argument == "--live") {
            live = true;
        } else if (argument == "--flash" || argument == "--clock") {
            if (i + 1 >= arguments.size()) {
                err << "kv410-script: " << argument << " needs a value\n" << Usage;
                return 2;
            }
            const std::string& value = arguments[++i];
            if (argument == "--flash") {
                options.flashPath = value;
            } else {
                int* c = options.clock;
                if (!parseDateTime(value, c[0], c[1], c[2], c[3], c[4], c[5])) {
                    err << "kv410-script: --clock expects \"YYYY-MM-DD hh:mm:ss\", got \"" << value
                        << "\"\n";
                    return 2;
                }
            }
        } else {
            err << "kv410-script: unknown option " << argument << "\n" << Usage;
            return 2;
        }
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
        return totals.failed == 0 ? 0 : 1;
    }
    if (scripts.empty()) {
        err << "kv410-script: no script given\n" << Usage;
        return 2;
    }
    if (options.flashPath.empty() == false && options.flashPath == "-") {
        err << "kv410-script: --flash needs a file, not standard input\n";
        return 2;
    }

    // Every script is read and parsed before anything runs.
    std::vector<Script> parsed(scripts.size());
    std::vector<std::string> errors;
    for (size_t i = 0; i < scripts.size(); ++i) {
        ScriptSource source;
        if (!readSource(scripts[i], in, source)) {
            errors.push_back(scripts[i] + ":0: cannot read the script");
            continue;
        }
        parseScript(source.text, source.name, parsed[i], errors);
    }
    if (!errors.empty()) {
        for (const std::string& error : errors) {
            err << error << '\n';
        }
        return 2;
    }

    ScenarioTotals totals;
    for (const Script& script : parsed) {
        runScript(script, options, out, totals);
    }
    out << totals.passed << " passed, " << totals.failed << " failed\n";
    out.flush();
    return totals.failed == 0 ? 0 : 1;
}

} // namespace kv410
