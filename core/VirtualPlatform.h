// A host without a window: a virtual clock, recorded message boxes and a beep counter.
#pragma once

#include "core/Platform.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kv410 {

// One message box that the controller asked for.
struct RecordedMessage {
    std::string text;
    std::string caption;
    MessageButtons buttons;
};

// Serves the scenario runner and the tests: time moves only when told.
class VirtualPlatform : public Platform {
public:
    VirtualPlatform();

    HostDateTime localNow() override;
    void showMessageBox(std::string_view text, std::string_view caption,
                        MessageButtons buttons) override;
    void playAlarmSound() override;
    int beepsPlayed() const override { return beeps; }
    void clearBeeps() override { beeps = 0; }
    void setClock(const HostDateTime& now) override {
        setClock(now.year, now.month, now.day, now.hour, now.minute, now.second);
    }

    // Sets the host clock to a local date and time (the virtual time keeps running from there).
    void setClock(int year, int month, int day, int hour, int minute, int second);
    // Moves the host clock on by ms milliseconds.
    void advanceClock(int64_t ms) override { elapsedMs_ += ms; }

    std::vector<RecordedMessage> messages;
    int beeps = 0;

private:
    // Seconds since 1970-01-01 00:00:00 local time of the clock's start.
    int64_t startSeconds_ = 0;
    int64_t elapsedMs_ = 0;
    // The whole second localNow last took apart, and its date and time: the controller asks
    // every 50 ms, the answer changes once a second.
    int64_t cachedSecond_ = INT64_MIN;
    HostDateTime cachedNow_;
};

// Parses "YYYY-MM-DD hh:mm:ss" into its six fields; false when the text is not such a time.
bool parseDateTime(std::string_view text, int& year, int& month, int& day, int& hour, int& minute,
                   int& second);

} // namespace kv410
