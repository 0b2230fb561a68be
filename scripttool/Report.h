// What one script of a run did, kept for the JUnit report and carried back from a child process
// when scripts run side by side.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace kv410 {

// One check of a script: an `expect` or a `wait until`.
struct CheckReport {
    int line = 0;
    // The step as written.
    std::string step;
    bool passed = false;
    // For a failed check: what it expected and what it found.
    std::string expected;
    std::string found;
    // For a failed check: the lines printed for it.
    std::string failure;
    // Files that show the failure (pictures written beside an approved one).
    std::vector<std::string> attachments;
    // Wall-clock seconds from the check before (or the script's start) to this one.
    double seconds = 0;
};

// A script that could not be read or understood, or a step that could not do its work.
struct ProblemReport {
    // The line, 0 for the script as a whole.
    int line = 0;
    // "file:line: message" as printed.
    std::string message;
};

// One script of a run.
struct ScriptReport {
    // The script as given on the command line ("<stdin>" for "-").
    std::string file;
    // False when the script did not run (it or another script could not be understood).
    bool ran = false;
    // What the script printed.
    std::string output;
    std::vector<CheckReport> checks;
    std::vector<ProblemReport> problems;
    int passed = 0;
    int failed = 0;
    // Wall-clock seconds of the whole script.
    double seconds = 0;
};

// The report as bytes, and back; false when the bytes are not a whole report.
std::string encodeReport(const ScriptReport& report);
bool decodeReport(std::string_view bytes, ScriptReport& report);

// Writes a JUnit XML report of the scripts, as GitLab and Jenkins read it: a testsuite per
// script, a testcase per check (or per problem), the script's output as its system-out.
void writeJUnit(std::ostream& out, const std::vector<ScriptReport>& reports);

// Text made fit for XML: invalid UTF-8 and characters XML cannot hold become U+FFFD, and the
// markup characters are escaped (in attributes also quotes and line breaks).
std::string xmlText(std::string_view text, bool attribute);

} // namespace kv410
