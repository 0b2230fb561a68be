// The only way from the controller out to its host: clock, message boxes and the alarm sound.
#pragma once

#include <cstdint>
#include <string_view>

namespace kv410 {

// The host's local date and time, as the controller's clock reads it.
struct HostDateTime {
    int year = 2026;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    // Day of the week, 1 = Sunday .. 7 = Saturday.
    int dayOfWeek = 5;
};

// A local date and time from its six fields: year, month, day, hour, minute, second (the day of
// the week is left to the host, which takes it from the date).
inline HostDateTime hostDateTime(const int* fields) {
    HostDateTime time;
    time.year = fields[0];
    time.month = fields[1];
    time.day = fields[2];
    time.hour = fields[3];
    time.minute = fields[4];
    time.second = fields[5];
    return time;
}

// Buttons of a message box.
enum class MessageButtons { Ok, OkCancel };

// What a front-end offers the controller.
class Platform {
public:
    virtual ~Platform() = default;
    // The current local date and time.
    virtual HostDateTime localNow() = 0;
    // Shows a modal message box; the answer is not needed by the controller.
    virtual void showMessageBox(std::string_view text, std::string_view caption,
                                MessageButtons buttons) = 0;
    // Plays the alarm notification sound once.
    virtual void playAlarmSound() = 0;
    // The alarm sounds played since the count was last cleared.
    virtual int beepsPlayed() const = 0;
    // Clears the count of alarm sounds (a run starts or the program starts again).
    virtual void clearBeeps() = 0;
    // Sets the clock to a local date and time (the day of the week is taken from the date); it
    // goes on from there with the unit's time.
    virtual void setClock(const HostDateTime& now) = 0;
    // The unit's time moved on by ms milliseconds; a host whose clock is virtual follows it, a
    // host that reads a real clock ignores it.
    virtual void advanceClock(int64_t ms) { (void)ms; }
};

// Installs the host; the front-end does it before the controller boots.
void installPlatform(Platform* platform);
// The installed host.
Platform& platform();

} // namespace kv410
