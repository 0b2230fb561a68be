#include "window/ShutdownSignals.h"

#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>
#include <QWidget>

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kv410 {

namespace {

// The self-pipe: the handler writes one byte into [0], the event loop reads it from [1].
int SignalPipe[2] = {-1, -1};
constexpr int CaughtSignals[] = {SIGINT, SIGTERM, SIGHUP};

volatile std::sig_atomic_t Requested = 0;

extern "C" void onShutdownSignal(int) {
    if (Requested == 0) {
        Requested = 1;
        // However the save goes, the program ends in bounded time.
        ::alarm(ShutdownGraceSeconds);
    }
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(SignalPipe[0], &byte, 1);
}

extern "C" void onShutdownOverdue(int) {
    constexpr char text[] = "kv410: the program did not end in time after a termination "
                            "signal; Flash.dat may not be saved\n";
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, text, sizeof text - 1);
    ::_exit(3);
}

} // namespace

bool shutdownRequested() {
    return Requested != 0;
}

ShutdownSignals::ShutdownSignals(QWidget* window) : QObject(window), window_(window) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, SignalPipe) != 0) {
        return;
    }
    for (int fd : SignalPipe) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    notifier_ = new QSocketNotifier(SignalPipe[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &ShutdownSignals::signalArrived);
    struct sigaction action = {};
    action.sa_handler = onShutdownSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : CaughtSignals) {
        ::sigaction(signal, &action, nullptr);
    }
    action.sa_handler = onShutdownOverdue;
    ::sigaction(SIGALRM, &action, nullptr);
}

ShutdownSignals::~ShutdownSignals() {
    // The program has come through its close: no watchdog is needed any more.
    ::alarm(0);
    Requested = 0;
    delete notifier_;
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int signal : CaughtSignals) {
        ::sigaction(signal, &action, nullptr);
    }
    for (int& fd : SignalPipe) {
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
    }
}

void ShutdownSignals::signalArrived() {
    char buffer[16];
    while (::read(SignalPipe[1], buffer, sizeof buffer) > 0) {
    }
    // A message box waits for an answer no one will give: it is closed, and what it said goes
    // to standard error (QtPlatform). The close then goes on where the box was opened.
    while (QWidget* modal = QApplication::activeModalWidget()) {
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        } else {
            modal->close();
        }
        if (QApplication::activeModalWidget() == modal) {
            break;
        }
    }
    if (window_ != nullptr) {
        window_->close();
    }
}

} // namespace kv410
