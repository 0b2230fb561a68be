// Turns SIGINT, SIGTERM and SIGHUP into an ordinary close of the window, so Flash.dat is saved.
#pragma once

#include <QObject>

class QSocketNotifier;
class QWidget;

namespace kv410 {

// Catches the three signals through a self-pipe and closes the window from the event loop.
class ShutdownSignals : public QObject {
    Q_OBJECT
public:
    // Installs the signal handlers; the window is closed when one of the signals arrives.
    explicit ShutdownSignals(QWidget* window);
    ~ShutdownSignals() override;

private:
    void signalArrived();

    QWidget* window_;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace kv410
