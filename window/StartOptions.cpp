#include "window/StartOptions.h"

#include "KV410Version.h"
#include "core/VirtualPlatform.h"

#include <QDir>
#include <QStandardPaths>
#include <QtGlobal>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string_view>
#include <utility>
#include <vector>

namespace kv410 {

StartOptions parseStartOptions(int argc, const char* const* argv) {
    StartOptions options;
    bool seedGiven = false;
    const auto fail = [&options](std::string message) {
        options.action = StartOptions::Action::Error;
        options.error = std::move(message);
        return options;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            options.action = StartOptions::Action::Help;
            return options;
        }
        if (argument == "--version") {
            options.action = StartOptions::Action::Version;
            return options;
        }
        // The value of an option that takes one; false when it is missing.
        const auto value = [&](std::string& into) {
            if (i + 1 >= argc || argv[i + 1][0] == '\0') {
                return false;
            }
            into = argv[++i];
            return true;
        };
        WindowOptions& window = options.window;
        if (argument == "--data-folder") {
            options.dataFolder = true;
        } else if (argument == "--record" || argument == "--play") {
            if (!value(argument == "--record" ? window.recordPath : window.playPath)) {
                return fail(std::string(argument) + " needs a script file");
            }
        } else if (argument == "--lesson") {
            if (!value(window.lessonPath)) {
                return fail("--lesson needs a lesson file");
            }
        } else if (argument == "--seed") {
            std::string seed;
            char* end = nullptr;
            if (!value(seed)) {
                return fail("--seed takes a number from 0 to 4294967295");
            }
            errno = 0;
            const unsigned long long number = std::strtoull(seed.c_str(), &end, 10);
            if (*end != '\0' || seed[0] == '-' || errno != 0 || number > UINT32_MAX) {
                return fail("--seed takes a number from 0 to 4294967295");
            }
            window.seed = static_cast<uint32_t>(number);
            seedGiven = true;
        } else if (argument == "--record-checks") {
            window.recordChecks = true;
        } else if (argument == "--speed") {
            std::string speed;
            if (!value(speed) ||
                (speed != "1" && speed != "2" && speed != "5" && speed != "10" && speed != "max")) {
                return fail("--speed takes 1, 2, 5, 10 or max");
            }
            window.speed = speed == "max" ? 0 : std::stoi(speed);
        } else if (argument == "--exit") {
            window.exitAtEnd = true;
        } else if (argument == "--control") {
            window.control = true;
        } else if (argument == "--trace") {
            window.trace = true;
        } else if (argument == "--read-only") {
            window.readOnly = true;
        } else if (argument == "--clock") {
            std::string clock;
            int* c = window.clock;
            if (!value(clock) || !parseDateTime(clock, c[0], c[1], c[2], c[3], c[4], c[5])) {
                return fail("--clock takes \"YYYY-MM-DD hh:mm:ss\"");
            }
        } else if (argument == "--flash") {
            if (i + 1 >= argc || argv[i + 1][0] == '\0') {
                return fail("--flash needs a file");
            }
            options.flashPath = argv[++i];
        } else if (!argument.empty() && argument[0] == '-') {
            return fail("unknown option " + std::string(argument));
        } else {
            return fail("unexpected argument " + std::string(argument) +
                        " (--flash PATH names the "
                        "flash file)");
        }
    }
    if (!options.window.playPath.empty() && options.window.control) {
        return fail("--play and --control do not go together");
    }
    if (!options.window.lessonPath.empty() && options.window.control) {
        return fail("--lesson and --control do not go together (play the trainee's steps with "
                    "--play, or kv410-script --lesson FILE --trainee STEPS.kvs)");
    }
    if (seedGiven && options.window.lessonPath.empty()) {
        return fail("--seed goes with --lesson");
    }
    if ((!options.window.playPath.empty() || options.window.control ||
         !options.window.lessonPath.empty()) &&
        options.window.clock[0] == 0) {
        // A script plays on the clock kv410-script gives it, so it passes here as there.
        std::copy(std::begin(DefaultScriptClock), std::end(DefaultScriptClock),
                  options.window.clock);
    }
    return options;
}

QString dataFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

std::string startUsage() {
    std::string usage =
        "usage: kv410 [--flash PATH | --data-folder] [--read-only]\n"
        "             [--record FILE.kvs [--record-checks]] [--clock \"YYYY-MM-DD hh:mm:ss\"]\n"
        "             [--trace]\n"
        "       kv410 --play FILE.kvs [--speed 1|2|5|10|max] [--exit] [--clock TIME] [--trace]\n"
        "       kv410 --control [--exit] [--clock TIME] [--trace]\n"
        "       kv410 --lesson FILE.kvs [--seed N] [--play STEPS.kvs [--speed S] [--exit]]\n"
        "\n"
        "Shows the front of the KV410 heat-pump controller in a window and runs the controller.\n"
        "\n"
        "  --flash PATH   the file that plays Flash.dat (read at the start, created when\n"
        "                 missing, written when the window closes)\n"
        "  --data-folder  keep Flash.dat in the user's data folder,\n"
        "                 ";
    usage += QDir::toNativeSeparators(dataFolder()).toStdString();
    usage += "\n"
             "                 (the menu entry starts kv410 so); --flash wins over it\n"
             "  --read-only    read Flash.dat but never write it (as when another kv410\n"
             "                 has it open)\n"
             "  --record FILE  record the session as a scenario script (F9 starts and stops a\n"
             "                 recording while the window runs), with a copy of the Flash.dat\n"
             "                 it started from beside it\n"
             "  --record-checks  the recording checks the four LCD lines after each action\n"
             "                 that changed the display\n"
             "  --play FILE    play a scenario script visibly; touching a control stops it;\n"
             "                 Flash.dat is not read or written\n"
             "  --speed S      playback speed: 1, 2, 5, 10 or max\n"
             "  --exit         close the window when the playback ends (with --control: at\n"
             "                 the end of the input), with kv410-script's exit status (0 passed,\n"
             "                 1 a check failed, 2 not understood or a step failed)\n"
             "  --control      read steps from standard input while the window runs and answer\n"
             "                 every check, show and print with one line at once; at the end of\n"
             "                 the input print \"N passed, N failed\"; Flash.dat is not used\n"
             "  --lesson FILE  play a lesson beside the front: its task, hints, questions,\n"
             "                 progress and at the end the result (also printed on standard\n"
             "                 output); with --play the script is the trainee, and --exit\n"
             "                 closes with kv410-script --lesson's status; Flash.dat is not\n"
             "                 used; not with --control\n"
             "  --seed N       the seed of the lesson's faults at random times (default 1)\n"
             "  --clock TIME   the unit's clock at the start, \"YYYY-MM-DD hh:mm:ss\" (default:\n"
             "                 the computer's; with --play, --control and --lesson 2026-12-07\n"
             "                 08:00:00, as kv410-script)\n"
             "  --trace        print every change of an LCD line with its time\n"
             "  --help         print this help\n"
             "  --version      print the version\n"
             "\n"
             "Without either, Flash.dat is kept in the current folder. Closing the window, or\n"
             "SIGINT, SIGTERM or SIGHUP, saves it. kv410-script runs the same controller without\n"
             "a window. Exit status: 0 closed normally, 1 no display, 2 a wrong command line,\n"
             "3 Flash.dat in use by another kv410 (and not opened read-only) or not saved.\n"
             "With --play or --control and --exit: the status of the script, as kv410-script.\n";
    return usage;
}

QString flashFileFor(const StartOptions& options) {
    if (!options.flashPath.empty()) {
        return QString::fromLocal8Bit(options.flashPath.c_str());
    }
    if (options.dataFolder) {
        const QString folder = dataFolder();
        // A folder that cannot be made shows up as the message box of the failed load.
        QDir().mkpath(folder);
        return QDir(folder).filePath(QStringLiteral("Flash.dat"));
    }
    return QStringLiteral("Flash.dat");
}

std::string noDisplayLine(const std::string& reason) {
    // What is installed and works without a display: the runner, its manual and the folder of
    // the documentation with example scripts; the web page is built from the source.
    std::string line = "kv410: " + reason +
                       "; kv410-script runs the simulator without a window (man kv410-script; "
                       "documentation and example scripts in /usr/share/doc/kv410), and "
                       "scripts/build-web.sh in the source builds a web page that runs it in a "
                       "browser";
    if (!std::string_view(ProgramWebPage).empty()) {
        line += " (";
        line += ProgramWebPage;
        line += ")";
    }
    return line + "\n";
}

std::string missingDisplayReason() {
    const auto set = [](const char* name) { return !qEnvironmentVariableIsEmpty(name); };
    if (set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY")) {
        return {};
    }
    return "no display to open the window on (DISPLAY and WAYLAND_DISPLAY are not set)";
}

namespace {

struct HeldMessage {
    QtMsgType type;
    std::string category;
    QString text;
};

QtMessageHandler PreviousHandler = nullptr;
std::vector<HeldMessage> HeldMessages;

void holdPlatformMessages(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
        // Qt could not open its platform; it would abort after this.
        std::string reason = "the display could not be opened";
        if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            reason = "the platform QT_QPA_PLATFORM=" +
                     qEnvironmentVariable("QT_QPA_PLATFORM").toStdString() +
                     " could not be started";
        } else if (!qEnvironmentVariableIsEmpty("DISPLAY")) {
            reason += " (DISPLAY=" + qEnvironmentVariable("DISPLAY").toStdString() + ")";
        } else if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
            reason +=
                " (WAYLAND_DISPLAY=" + qEnvironmentVariable("WAYLAND_DISPLAY").toStdString() + ")";
        }
        std::fputs(noDisplayLine(reason).c_str(), stderr);
        std::fflush(stderr);
        std::_Exit(1);
    }
    HeldMessages.push_back({type, context.category ? context.category : "", text});
}

} // namespace

PlatformStartGuard::PlatformStartGuard() {
    PreviousHandler = qInstallMessageHandler(holdPlatformMessages);
}

PlatformStartGuard::~PlatformStartGuard() {
    qInstallMessageHandler(PreviousHandler);
    for (const HeldMessage& message : HeldMessages) {
        const QMessageLogContext context(nullptr, 0, nullptr, message.category.c_str());
        if (PreviousHandler != nullptr) {
            PreviousHandler(message.type, context, message.text);
        } else {
            qt_message_output(message.type, context, message.text);
        }
    }
    HeldMessages.clear();
}

} // namespace kv410
