#include "window/ShutdownSignals.h"

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

extern "C" void onShutdownSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(SignalPipe[0], &byte, 1);
}

} // namespace

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
}

ShutdownSignals::~ShutdownSignals() {
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
    window_->close();
}

} // namespace kv410
