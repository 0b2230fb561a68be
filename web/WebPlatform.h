// The host of the web page: the browser's local time, message boxes and the alarm beep drawn by
// the page's script.
#pragma once

#include "core/Platform.h"
#include "core/VirtualPlatform.h"

namespace kv410 {

// Answers the controller from the browser: the clock is the browser's local time, a message box
// and the alarm sound are handed to the page (Module.onMessageBox, Module.onBeep).
class WebPlatform : public Platform {
public:
    HostDateTime localNow() override;
    void showMessageBox(std::string_view text, std::string_view caption,
                        MessageButtons buttons) override;
    void playAlarmSound() override;
    int beepsPlayed() const override { return beeps_; }
    void clearBeeps() override { beeps_ = 0; }
    // The page's clock is the browser's: the unit reads the time of the day it is.
    void setClock(const HostDateTime& now) override { (void)now; }

private:
    int beeps_ = 0;
};

// The host of a lesson on the page: its clock is virtual, as kv410-script's, so a lesson's
// checks of the time read alike; message boxes and the alarm sound still reach the page.
class WebLessonPlatform : public VirtualPlatform {
public:
    void showMessageBox(std::string_view text, std::string_view caption,
                        MessageButtons buttons) override;
    void playAlarmSound() override;
};

} // namespace kv410
