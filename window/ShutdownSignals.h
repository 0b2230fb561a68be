// Turns SIGINT, SIGTERM and SIGHUP into an ordinary close of the window, so Flash.dat is saved,
// in bounded time: an open message box is closed, and a program that has not ended some seconds
// after the signal ends anyway, saying so on standard error.
#pragma once

#include <QObject>

class QSocketNotifier;
class QWidget;

namespace kv410 {

// Seconds a program has after a termination signal to save and end.
inline constexpr unsigned ShutdownGraceSeconds = 10;

// True once a termination signal has arrived: message boxes then go to standard error, as no
// one will answer them.
bool shutdownRequested();

// Catches the three signals through a self-pipe and closes the window from the event loop.
class ShutdownSignals : public QObject {
    Q_OBJECT
public:
    // Installs the signal handlers; the window (given here or set later) is closed when one of
    // them arrives.
    explicit ShutdownSignals(QWidget* window = nullptr);
    ~ShutdownSignals() override;

    // The window to close on a signal (none: the program ends before it shows one).
    void setWindow(QWidget* window) { window_ = window; }

private:
    void signalArrived();

    QWidget* window_ = nullptr;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace kv410
