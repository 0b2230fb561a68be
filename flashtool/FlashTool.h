// kv410-flash: reads, compares and changes a Flash.dat offline.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace kv410 {

// Runs the command line (without the program's name); returns the exit status: 0 done (or no
// difference, a sound file), 1 differences or findings, 2 bad input.
int runFlashTool(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

} // namespace kv410
