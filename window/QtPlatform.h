// The desktop host of the controller: system clock, message boxes and the system sound.
#pragma once

#include "core/Platform.h"

#include <QDateTime>
#include <memory>

class QMessageBox;

namespace kv410 {

// Answers the controller with the local time, a QMessageBox and QApplication::beep().
//
// The clock is the system's local time taken at the start of a run (to the whole second) plus
// the unit's own time since then, so that the window's ticks and its clock move together and a
// recorded session replays with the same clock readings at the same ticks.
class QtPlatform : public Platform {
public:
    QtPlatform();

    // The box showMessageBox shows: the controller's text and caption as they are, and below
    // them the full path of the flash file (the controller's only message boxes are about it).
    static std::unique_ptr<QMessageBox>
    buildMessageBox(std::string_view text, std::string_view caption, MessageButtons buttons);

    HostDateTime localNow() override;
    void showMessageBox(std::string_view text, std::string_view caption,
                        MessageButtons buttons) override;
    void playAlarmSound() override;
    void advanceClock(int64_t ms) override { elapsedMs_ += ms; }
    int beepsPlayed() const override { return beeps; }
    void clearBeeps() override { beeps = 0; }
    void setClock(const HostDateTime& now) override;

    // Starts the clock again from the system's local time, to the whole second.
    void syncToSystemClock();
    // Sets the clock to a local date and time.
    void setClock(const QDateTime& start);
    // The clock now.
    QDateTime clockNow() const;

    // The alarm sounds played since the count was last cleared.
    int beeps = 0;

private:
    QDateTime start_;
    int64_t elapsedMs_ = 0;
};

} // namespace kv410
