#include "panel/FrontPanel.h"

#include "core/Clock.h"
#include "core/Controller.h"
#include "core/FlashFile.h"
#include "core/Memory.h"
#include "display/Lcd.h"
#include "supervision/Alarms.h"

#include <cstring>

namespace kv410 {

int32_t knobFrame = 0;
int32_t longPressCountdown = 0;
int32_t pressedButton = 0;
bool Timer3Running = false;
uint32_t KnobGeneration = 0;

namespace {

constexpr int32_t IdleSeconds = 600;
constexpr int KnobFrameCount = 12;
constexpr int8_t MaxPendingSteps = 127;

// The three buttons under the display, in the order of pressedButton.
struct ButtonArea {
    int eventWord;
    int32_t longPressSeconds;
    uint16_t accessLevel;
};
constexpr ButtonArea LeftButton{1, 3, 2};
constexpr ButtonArea RightButton{3, 5, 4};
constexpr ButtonArea MiddleButton{2, 5, 8};
constexpr ButtonArea ButtonAreas[3] = {LeftButton, RightButton, MiddleButton};

void panelInput() {
    idleCountdown = IdleSeconds;
}

void wakeDisplay() {
    IoWords[50] = 1;
}

// Adds one key stroke to the pending knob steps, held within the 8-bit range.
void addKnobStep(int delta) {
    const int steps = knobSteps + delta;
    if (steps >= -MaxPendingSteps && steps <= MaxPendingSteps) {
        knobSteps = static_cast<int8_t>(steps);
    }
}

void pressButton(int button) {
    pressedButton = button;
    longPressCountdown = ButtonAreas[button].longPressSeconds;
    Timer3Running = true;
}

void releaseButton(int button) {
    panelInput();
    Timer3Running = false;
    if (IoWords[50] == 0) {
        wakeDisplay();
    } else if (longPressCountdown > 0) {
        IoWords[ButtonAreas[button].eventWord] = 1;
    }
}

template <typename T, size_t N>
void countDown(T (&counters)[N]) {
    for (T& counter : counters) {
        if (counter != 0) {
            --counter;
        }
    }
}

} // namespace

void FormCreate() {
    knobFrame = 0;
    ++KnobGeneration;
    loadFlashFile();
}

void FormShow() {
    for (int n = 0; n < 11; ++n) {
        IoWords[24 + n] = static_cast<uint16_t>(SensorStartValues[n]);
    }
    for (int n = 1; n <= 11; ++n) {
        TrackBarChange(n, static_cast<int16_t>(IoWords[23 + n]));
    }
    for (int n = 1; n <= 9; ++n) {
        CaptionLight[n - 1] = IoWords[ToggleWords[n - 1]] == 1;
    }
    CaptionLight[7] = false;
    CaptionLight[9] = IoWords[27] != 0;
    CaptionLight[10] = IoWords[28] != 0;
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

void FormDestroy() {
    saveFlashFile();
}

void RattImageMouseDown(MouseButton button, bool shift) {
    panelInput();
    ++KnobGeneration;
    if (IoWords[50] == 0) {
        wakeDisplay();
        return;
    }
    if (button == MouseButton::Middle) {
        return;
    }
    if (shift) {
        IoWords[2] |= 2;
    }
    // A click replaces any pending steps with exactly one.
    if (button == MouseButton::Left) {
        knobSteps = 1;
        knobFrame = knobFrame + 1 < KnobFrameCount ? knobFrame + 1 : 0;
    } else {
        knobSteps = -1;
        knobFrame = knobFrame > 0 ? knobFrame - 1 : KnobFrameCount - 1;
    }
}

void Shape1MouseDown() {
    pressButton(0);
}
void Shape2MouseDown() {
    pressButton(2);
}
void Shape3MouseDown() {
    pressButton(1);
}
void Shape1MouseUp() {
    releaseButton(0);
}
void Shape2MouseUp() {
    releaseButton(2);
}
void Shape3MouseUp() {
    releaseButton(1);
}

void Shape6MouseDown() {
    panelInput();
    IoWords[0] = 1;
}

void Timer3Timer() {
    if (longPressCountdown > 0) {
        --longPressCountdown;
    }
    if (longPressCountdown == 0) {
        IoWords[42] = ButtonAreas[pressedButton].accessLevel;
        Timer3Running = false;
    }
}

void FormKeyDown(PanelKey key, bool shift) {
    panelInput();
    wakeDisplay();
    if (shift) {
        switch (key) {
        case PanelKey::Left:
            IoWords[2] = 1;
            return;
        case PanelKey::Down:
            IoWords[2] |= 2;
            addKnobStep(-1);
            return;
        case PanelKey::Up:
            IoWords[2] |= 2;
            addKnobStep(1);
            return;
        default:
            break;
        }
    }
    switch (key) {
    case PanelKey::Up:
        addKnobStep(1);
        break;
    case PanelKey::Down:
        addKnobStep(-1);
        break;
    case PanelKey::Left:
        IoWords[1] = 1;
        break;
    case PanelKey::Right:
        IoWords[3] = 1;
        break;
    default:
        break;
    }
}

void FormKeyUp() {
    IoWords[2] = 0;
}

void FormKeyPress(char character) {
    panelInput();
    wakeDisplay();
    if (character == EscapeChar) {
        IoWords[1] = 1;
    } else if (character == EnterChar) {
        IoWords[3] = 1;
    } else {
        sliderKey(character);
    }
}

void Timer2Timer() {
    minuteDivider = minuteDivider < 59 ? minuteDivider + 1 : 0;
    countDown(SecondTimers);
    if (minuteDivider == 0) {
        countDown(MinuteTimers);
    }
    countDown(AlarmDelayCounters);
    if (idleCountdown != 0) {
        --idleCountdown;
    }
}

void resetPanelState() {
    knobFrame = 0;
    longPressCountdown = 0;
    pressedButton = 0;
    Timer3Running = false;
    KnobGeneration = 0;
    resetPaintState();
    resetSensorControls();
}

} // namespace kv410
