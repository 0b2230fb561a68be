#include "panel/SensorSimulation.h"

#include "core/Memory.h"
#include "core/MemoryMap.h"

#include <algorithm>
#include <cstdio>

namespace kv410 {

int32_t currentSlider = 1;
bool SensorPanelVisible = false;
bool SliderFocusRequested = false;
int32_t SliderPositions[11] = {};
char SliderTexts[11][8] = {};
bool CaptionLight[11] = {};
uint32_t SlidersGeneration = 0;
uint32_t CaptionsGeneration = 0;

namespace {

// Slider n writes sensor word n, counted from FirstSensorWord.
constexpr int Gt4Slider = 4;
constexpr int Gt5Slider = 5;
// Values a fitted GT4 and GT5 get from their buttons.
constexpr int Gt4FittedValue = 217;
constexpr int Gt5FittedValue = 200;
constexpr int NotFittedValue = -500;

void setCaption(int n, bool light) {
    if (CaptionLight[n - 1] != light) {
        CaptionLight[n - 1] = light;
        ++CaptionsGeneration;
    }
}

int16_t sensorWord(int slider) {
    return static_cast<int16_t>(IoWords[FirstSensorWord + slider - 1]);
}

// GT4 or GT5 fitted or not: a fitted sensor is removed, a missing one gets its fitted value.
void toggleOptionalSensor(int button, int slider, int fittedValue) {
    const bool fitted = sensorWord(slider) > NotFittedValue;
    TrackBarChange(slider, fitted ? NotFittedValue : fittedValue);
    setCaption(button, !fitted);
}

} // namespace

void TrackBarChange(int n, int position) {
    if (n < 1 || n > 11) {
        return;
    }
    position = std::clamp(position, SliderMin, SliderMax);
    IoWords[FirstSensorWord + n - 1] = static_cast<uint16_t>(static_cast<int16_t>(position));
    if (SliderPositions[n - 1] != position || SliderTexts[n - 1][0] == '\0') {
        SliderPositions[n - 1] = position;
        std::snprintf(SliderTexts[n - 1], sizeof SliderTexts[n - 1], "%d", position);
        ++SlidersGeneration;
    }
}

void TrackBar1Enter(int n) {
    if (n >= 1 && n <= 11) {
        currentSlider = n;
    }
}

void sliderKey(char character) {
    int step = 0;
    switch (character) {
    case '1':
        // A hidden slider cannot take the focus; it still becomes the one the keys move.
        currentSlider = 1;
        SliderFocusRequested = SensorPanelVisible;
        return;
    case '+':
        step = 1;
        break;
    case '*':
        step = SliderPageSize;
        break;
    case '-':
        step = -1;
        break;
    case '/':
        step = -SliderPageSize;
        break;
    default:
        return;
    }
    TrackBarChange(currentSlider, SliderPositions[currentSlider - 1] + step);
}

void SpeedButtonClick(int n) {
    if (n >= 1 && n <= 9) {
        uint16_t& word = IoWords[ToggleWords[n - 1]];
        word = word == 0 ? 1 : 0;
        // FFF and Larm share their input; only Larm shows its state.
        setCaption(n == 8 ? 9 : n, word == 1);
    } else if (n == 10) {
        toggleOptionalSensor(10, Gt4Slider, Gt4FittedValue);
    } else if (n == 11) {
        toggleOptionalSensor(11, Gt5Slider, Gt5FittedValue);
    }
}

void resetSensorControls() {
    currentSlider = 1;
    SensorPanelVisible = false;
    SliderFocusRequested = false;
    for (int n = 0; n < 11; ++n) {
        SliderPositions[n] = 0;
        std::snprintf(SliderTexts[n], sizeof SliderTexts[n], "0");
        CaptionLight[n] = false;
    }
    SlidersGeneration = 0;
    CaptionsGeneration = 0;
}

} // namespace kv410
