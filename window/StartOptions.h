// The command line of kv410 and the places it decides: where Flash.dat lies, whether a display
// can be opened at all.
#pragma once

#include "window/MainWindow.h"

#include <QString>

#include <string>

namespace kv410 {

// What the command line asks for.
struct StartOptions {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    // --flash PATH; empty when not given.
    std::string flashPath;
    // --data-folder: Flash.dat in the user's data folder (the menu entry starts kv410 so).
    bool dataFolder = false;
    // --record FILE, --record-checks, --play FILE, --speed, --exit, --control, --trace,
    // --lesson FILE, --seed N: what the window does besides showing the unit.
    WindowOptions window;
    // What is wrong with the command line, for Action::Error.
    std::string error;
};

// Reads kv410's arguments (argv[1] on); Qt sees none of them.
StartOptions parseStartOptions(int argc, const char* const* argv);

// The help text of kv410, naming the data folder of this user.
std::string startUsage();

// The file that plays Flash.dat: --flash as given; with --data-folder, Flash.dat in the user's
// application data folder, which is created when missing; otherwise Flash.dat in the current
// folder. Call after the application name is set.
QString flashFileFor(const StartOptions& options);

// The user's application data folder that --data-folder uses.
QString dataFolder();

// The line kv410 prints when there is no display; reason says what is missing.
std::string noDisplayLine(const std::string& reason);

// Why no display can be opened, judged from the environment before Qt starts: neither DISPLAY
// nor WAYLAND_DISPLAY is set and no platform is chosen with QT_QPA_PLATFORM. Empty when a
// display may be there.
std::string missingDisplayReason();

// Turns a failure of Qt to open its platform (a display that cannot be reached) into
// noDisplayLine and exit status 1, for as long as it lives; Qt's own messages meanwhile are held
// back and passed on when the platform opened after all.
class PlatformStartGuard {
public:
    PlatformStartGuard();
    ~PlatformStartGuard();
    PlatformStartGuard(const PlatformStartGuard&) = delete;
    PlatformStartGuard& operator=(const PlatformStartGuard&) = delete;
};

} // namespace kv410
