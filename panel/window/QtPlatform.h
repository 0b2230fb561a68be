// The desktop host of the controller: system clock, message boxes and the system sound.
#pragma once

#include "core/Platform.h"

#include <memory>

class QMessageBox;

namespace kv410 {

// Answers the controller with the local system time, a QMessageBox and QApplication::beep().
class QtPlatform : public Platform {
public:
    // The box showMessageBox shows: the controller's text and caption as they are, and below
    // them the full path of the flash file (the controller's only message boxes are about it).
    static std::unique_ptr<QMessageBox>
    buildMessageBox(std::string_view text, std::string_view caption, MessageButtons buttons);

    HostDateTime localNow() override;
    void showMessageBox(std::string_view text, std::string_view caption,
                        MessageButtons buttons) override;
    void playAlarmSound() override;
};

} // namespace kv410
