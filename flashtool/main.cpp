// kv410-flash: shows, compares, checks and changes the settings of a Flash.dat.
#include "flashtool/FlashTool.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return kv410::runFlashTool(arguments, std::cout, std::cerr);
}
