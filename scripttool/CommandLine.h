// kv410-script's command line: options, the scripts they name, and the run that follows.
#pragma once

#include <iosfwd>
#include <span>
#include <string>

namespace kv410 {

// The whole tool: arguments (without the program name), standard input for "-", output and
// error streams; returns the exit status (0 all passed, 1 a check failed, 2 not runnable).
int runScenarioTool(std::span<const std::string> arguments, std::istream& in, std::ostream& out,
                    std::ostream& err);

} // namespace kv410
