// kv410-script: plays scenario scripts on the simulated controller without a window.
#include "scripttool/CommandLine.h"

#ifdef KV410_WITH_PICTURES
#include "pictures/ScenarioPictures.h"
#endif

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
#ifdef KV410_WITH_PICTURES
    // Pictures are drawn by the window's painting code; Qt starts only when one is needed.
    kv410::ScenarioPictures pictures;
    kv410::installFrontPictures(&pictures);
#endif
    return kv410::runScenarioTool(arguments, std::cin, std::cout, std::cerr);
}
