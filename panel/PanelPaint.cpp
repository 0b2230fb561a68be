#include "panel/PanelPaint.h"

#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "core/Platform.h"

namespace kv410 {

bool LcdLit = false;
bool FrontLedLit[FrontLedCount] = {};
uint32_t LedsGeneration = 0;

namespace {

// LED blink phase 0..10.
uint8_t blinkPhase;
// Divides the lit blink phases into alarm beeps.
uint8_t beepDivider;

// Blink phases at which a blinking LED turns unlit and lit.
constexpr uint8_t BlinkUnlitPhase = 0;
constexpr uint8_t BlinkLitPhase = 5;
constexpr uint8_t LastBlinkPhase = 10;
// Lit blink phases between two alarm beeps.
constexpr uint8_t BeepEvery = 5;

// Paints one LED or the display lit or unlit; a change counts in `generation`.
void paint(bool& shown, bool lit, uint32_t& generation) {
    if (shown != lit) {
        shown = lit;
        ++generation;
    }
}

void paintLed(int led, bool lit) {
    paint(FrontLedLit[led], lit, LedsGeneration);
}

// Paints one LED from its mode word; true when a blinking LED reached its lit phase.
bool paintLedFromMode(int led) {
    const uint16_t mode = IoWords[FrontLedWords[led]];
    if (mode == 2) {
        if (blinkPhase == BlinkUnlitPhase) {
            paintLed(led, false);
        } else if (blinkPhase == BlinkLitPhase) {
            paintLed(led, true);
            return true;
        }
        return false;
    }
    paintLed(led, mode != 0);
    return false;
}

} // namespace

void refreshPanel() {
    const bool lit = IoWords[DisplayAwakeWord] != 0 && ControllerCells[UnitOnCell] != 0;
    if (!lit) {
        // The access level falls back to the customer level whenever the display is dark.
        IoWords[AccessLevelWord] = 1;
    }
    paint(LcdLit, lit, LedsGeneration);
    for (int led = OnLed; led < AlarmLed; ++led) {
        paintLedFromMode(led);
    }
    if (paintLedFromMode(AlarmLed)) {
        if (beepDivider == 0) {
            platform().playAlarmSound();
            beepDivider = BeepEvery;
        }
        --beepDivider;
    }
    blinkPhase = blinkPhase < LastBlinkPhase ? blinkPhase + 1 : 0;
}

void resetPaintState() {
    LcdLit = false;
    for (bool& lit : FrontLedLit) {
        lit = false;
    }
    LedsGeneration = 0;
    blinkPhase = 0;
    beepDivider = 0;
}

} // namespace kv410
