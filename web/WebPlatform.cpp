#include "web/WebPlatform.h"

#include <emscripten/emscripten.h>

#include <ctime>
#include <string>

// clang-format off
EM_JS(void, kv410ShowMessageBox, (const char* text, const char* caption, int okCancel), {
    if (Module.onMessageBox) {
        Module.onMessageBox(UTF8ToString(text), UTF8ToString(caption), okCancel !== 0);
    }
});

EM_JS(void, kv410Beep, (), {
    if (Module.onBeep) {
        Module.onBeep();
    }
});
// clang-format on

namespace kv410 {

HostDateTime WebPlatform::localNow() {
    // The C library of the page reads the browser's clock and time zone; the clock is asked at
    // every tick, its local time (dear in the browser: dates made in JavaScript) once a second.
    static std::time_t shownSecond = -1;
    static HostDateTime shown;
    const std::time_t now = std::time(nullptr);
    if (now == shownSecond) {
        return shown;
    }
    std::tm local{};
    localtime_r(&now, &local);
    HostDateTime& result = shown;
    shownSecond = now;
    result.year = local.tm_year + 1900;
    result.month = local.tm_mon + 1;
    result.day = local.tm_mday;
    result.hour = local.tm_hour;
    result.minute = local.tm_min;
    result.second = local.tm_sec;
    // tm_wday counts Sunday = 0; the controller counts Sunday = 1 .. Saturday = 7.
    result.dayOfWeek = local.tm_wday + 1;
    return result;
}

void WebPlatform::showMessageBox(std::string_view text, std::string_view caption,
                                 MessageButtons buttons) {
    const std::string textZ(text);
    const std::string captionZ(caption);
    kv410ShowMessageBox(textZ.c_str(), captionZ.c_str(), buttons == MessageButtons::OkCancel);
}

void WebPlatform::playAlarmSound() {
    ++beeps_;
    kv410Beep();
}

void WebLessonPlatform::showMessageBox(std::string_view text, std::string_view caption,
                                       MessageButtons buttons) {
    const std::string textZ(text);
    const std::string captionZ(caption);
    kv410ShowMessageBox(textZ.c_str(), captionZ.c_str(), buttons == MessageButtons::OkCancel);
}

void WebLessonPlatform::playAlarmSound() {
    ++beeps;
    kv410Beep();
}

} // namespace kv410
