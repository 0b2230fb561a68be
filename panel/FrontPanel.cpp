#include "panel/FrontPanel.h"

#include "core/Memory.h"
#include "core/MemoryMap.h"
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

constexpr int KnobFrameCount = 12;
constexpr int8_t MaxPendingSteps = 127;

void panelInput() {
    idleCountdown = IdleSeconds;
}

void wakeDisplay() {
    IoWords[DisplayAwakeWord] = 1;
}

// Adds one key stroke to the pending knob steps, held within the 8-bit range.
void addKnobStep(int delta) {
    const int steps = knobSteps + delta;
    if (steps >= -MaxPendingSteps && steps <= MaxPendingSteps) {
        knobSteps = static_cast<int8_t>(steps);
    }
}

void pressButton(PanelButton button) {
    pressedButton = static_cast<int32_t>(button);
    longPressCountdown = ButtonRules[pressedButton].longPressSeconds;
    Timer3Running = true;
}

void releaseButton(PanelButton button) {
    panelInput();
    Timer3Running = false;
    if (IoWords[DisplayAwakeWord] == 0) {
        wakeDisplay();
    } else if (longPressCountdown > 0) {
        IoWords[ButtonRules[static_cast<int>(button)].eventWord] = 1;
    }
}

} // namespace

void RattImageMouseDown(MouseButton button, bool shift) {
    panelInput();
    ++KnobGeneration;
    if (IoWords[DisplayAwakeWord] == 0) {
        wakeDisplay();
        return;
    }
    if (button == MouseButton::Middle) {
        return;
    }
    if (shift) {
        IoWords[MiddleButtonWord] |= 2;
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
    pressButton(PanelButton::Left);
}
void Shape2MouseDown() {
    pressButton(PanelButton::Middle);
}
void Shape3MouseDown() {
    pressButton(PanelButton::Right);
}
void Shape1MouseUp() {
    releaseButton(PanelButton::Left);
}
void Shape2MouseUp() {
    releaseButton(PanelButton::Middle);
}
void Shape3MouseUp() {
    releaseButton(PanelButton::Right);
}

void Shape6MouseDown() {
    panelInput();
    IoWords[PowerRequestWord] = 1;
}

void FormKeyDown(PanelKey key, bool shift) {
    panelInput();
    wakeDisplay();
    if (shift) {
        switch (key) {
        case PanelKey::Left:
            IoWords[MiddleButtonWord] = 1;
            return;
        case PanelKey::Down:
            IoWords[MiddleButtonWord] |= 2;
            addKnobStep(-1);
            return;
        case PanelKey::Up:
            IoWords[MiddleButtonWord] |= 2;
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
        IoWords[LeftButtonWord] = 1;
        break;
    case PanelKey::Right:
        IoWords[RightButtonWord] = 1;
        break;
    default:
        break;
    }
}

void FormKeyUp() {
    IoWords[MiddleButtonWord] = 0;
}

void FormKeyPress(char character) {
    panelInput();
    wakeDisplay();
    if (character == EscapeChar) {
        IoWords[LeftButtonWord] = 1;
    } else if (character == EnterChar) {
        IoWords[RightButtonWord] = 1;
    } else {
        sliderKey(character);
    }
}

bool TrackBar1KeyDown(PanelKey key) {
    return key == PanelKey::Left || key == PanelKey::Right || key == PanelKey::Up ||
           key == PanelKey::Down;
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
