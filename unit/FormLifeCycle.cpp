#include "unit/FormLifeCycle.h"

#include "core/Clock.h"
#include "core/FlashFile.h"
#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "display/Lcd.h"
#include "panel/FrontPanel.h"
#include "unit/Controller.h"

#include <cstring>

namespace kv410 {

void FormCreate() {
    knobFrame = 0;
    ++KnobGeneration;
    loadFlashFile();
}

void FormShow() {
    for (int n = 0; n < 11; ++n) {
        IoWords[FirstSensorWord + n] = static_cast<uint16_t>(SensorStartValues[n]);
    }
    for (int n = 1; n <= 11; ++n) {
        TrackBarChange(n, static_cast<int16_t>(IoWords[FirstSensorWord + n - 1]));
    }
    for (int n = 1; n <= 9; ++n) {
        CaptionLight[n - 1] = IoWords[ToggleWords[n - 1]] == 1;
    }
    CaptionLight[7] = false;
    CaptionLight[9] = IoWords[Gt4Word] != 0;
    CaptionLight[10] = IoWords[Gt5Word] != 0;
    ++CaptionsGeneration;
    ++KnobGeneration;
    std::memset(ClockText, ' ', 20);
    ClockText[20] = '\0';
    idleCountdown = IdleSeconds;
    barStart = 0;
    barEnd = 0;
    bootController();
    currentSlider = 1;
}

bool FormDestroy() {
    return saveFlashFile();
}

} // namespace kv410
