// kv410: the simulator's window.
#include "panel/window/MainWindow.h"
#include "panel/window/QtPlatform.h"
#include "panel/window/ShutdownSignals.h"

#include <QApplication>

#include <cstring>
#include <iostream>
#include <string>

namespace {

constexpr const char* Usage =
    "usage: kv410 [--record FILE.kvs [--record-checks]] [--trace]\n"
    "       kv410 --play FILE.kvs [--speed 1|2|5|10|max] [--exit] [--trace]\n"
    "       kv410 --control [--trace]\n"
    "\n"
    "  --record FILE     record the session as a scenario script (F9 starts and stops a\n"
    "                    recording while the window runs)\n"
    "  --record-checks   the recording checks the four LCD lines after each action that\n"
    "                    changed the display\n"
    "  --play FILE       play a scenario script visibly; touching a control stops it\n"
    "  --speed S         playback speed: 1, 2, 5, 10 or max\n"
    "  --exit            close the window when the playback ends, with kv410-script's exit\n"
    "                    status (0 passed, 1 a check failed, 2 the script is not understood)\n"
    "  --control         read steps from standard input while the window runs and answer\n"
    "                    every check, show and print with one line\n"
    "  --trace           print every change of an LCD line with its time\n";

// Parses the options; false (with a message) when they are not understood.
bool parseOptions(int argc, char** argv, kv410::WindowOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const auto value = [&](std::string& into) {
            if (i + 1 >= argc) {
                std::cerr << "kv410: " << argument << " needs a value\n" << Usage;
                return false;
            }
            into = argv[++i];
            return true;
        };
        if (argument == "--record") {
            if (!value(options.recordPath)) {
                return false;
            }
        } else if (argument == "--record-checks") {
            options.recordChecks = true;
        } else if (argument == "--play") {
            if (!value(options.playPath)) {
                return false;
            }
        } else if (argument == "--speed") {
            std::string speed;
            if (!value(speed)) {
                return false;
            }
            if (speed == "max") {
                options.speed = 0;
            } else if (speed == "1" || speed == "2" || speed == "5" || speed == "10") {
                options.speed = std::stoi(speed);
            } else {
                std::cerr << "kv410: --speed takes 1, 2, 5, 10 or max, not " << speed << '\n';
                return false;
            }
        } else if (argument == "--exit") {
            options.exitAtEnd = true;
        } else if (argument == "--control") {
            options.control = true;
        } else if (argument == "--trace") {
            options.trace = true;
        } else if (argument.rfind("-", 0) == 0 && argument.rfind("-platform", 0) != 0) {
            std::cerr << "kv410: unknown option " << argument << '\n' << Usage;
            return false;
        }
    }
    if (!options.playPath.empty() && options.control) {
        std::cerr << "kv410: --play and --control do not go together\n";
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::cout << Usage;
            return 0;
        }
    }
    kv410::WindowOptions options;
    if (!parseOptions(argc, argv, options)) {
        return 2;
    }
    QApplication app(argc, argv);
    kv410::QtPlatform host;
    kv410::installPlatform(&host);
    int status = 0;
    {
        kv410::TMainFrm window(nullptr, options);
        kv410::ShutdownSignals shutdown(&window);
        QObject::connect(&window, &kv410::TMainFrm::finished, &app, [&window](int code) {
            window.close();
            QApplication::exit(code);
        });
        window.show();
        status = QApplication::exec();
    }
    kv410::installPlatform(nullptr);
    return status;
}
