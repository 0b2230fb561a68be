// The desktop host of the controller: system clock, message boxes and the system sound.
#pragma once

#include "core/Platform.h"

namespace kv410 {

// Answers the controller with the local system time, a QMessageBox and QApplication::beep().
class QtPlatform : public Platform {
public:
    HostDateTime localNow() override;
    void showMessageBox(std::string_view text, std::string_view caption,
                        MessageButtons buttons) override;
    void playAlarmSound() override;
};

} // namespace kv410
