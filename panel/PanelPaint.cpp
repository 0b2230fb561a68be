#include "panel/PanelPaint.h"

#include "core/Controller.h"
#include "core/Memory.h"
#include "core/Platform.h"
#include "panel/FrontPanel.h"
#include "supervision/MixingValve.h"

#include <cstring>

namespace kv410 {

bool LcdLit = false;
bool FrontLedLit[FrontLedCount] = {};
bool RelayLampLit[10] = {};
uint32_t LedsGeneration = 0;
uint32_t LampsGeneration = 0;

namespace {

// Blink phases at which a blinking LED turns unlit and lit.
constexpr uint8_t BlinkUnlitPhase = 0;
constexpr uint8_t BlinkLitPhase = 5;
constexpr uint8_t LastBlinkPhase = 10;
// Lit blink phases between two alarm beeps.
constexpr uint8_t BeepEvery = 5;
// The relay lamps' words are 12..21.
constexpr int FirstRelayWord = 12;

static_assert(
    [] {
        for (int word : RelayLampWords) {
            if (word < FirstRelayWord || word >= FirstRelayWord + 10) {
                return false;
            }
        }
        return true;
    }(),
    "every relay lamp's word lies in 12..21");

// The relay words as the lamps were last painted from them.
uint16_t paintedRelayWords[10];
bool lampsPainted = false;

// Paints one lamp, LED or the display lit or unlit; a change counts in `generation`.
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
    const bool lit = IoWords[50] != 0 && ControllerCells[116] != 0;
    if (!lit) {
        // The access level falls back to the customer level whenever the display is dark.
        IoWords[42] = 1;
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

void Timer1Timer() {
    if (ValveStepTimer != 0) {
        --ValveStepTimer;
    }
    if (ValvePulseTimer != 0) {
        if (--ValvePulseTimer == 0) {
            IoWords[16] = 0;
            IoWords[17] = 0;
        }
    }
    refreshPanel();
    runControllerCycle();
}

void paintRelayLamps() {
    // The lamps follow their relay words only, so they are painted again only when one moved.
    if (lampsPainted &&
        std::memcmp(paintedRelayWords, &IoWords[FirstRelayWord], sizeof paintedRelayWords) == 0) {
        return;
    }
    std::memcpy(paintedRelayWords, &IoWords[FirstRelayWord], sizeof paintedRelayWords);
    lampsPainted = true;
    for (int lamp = 0; lamp < 10; ++lamp) {
        paint(RelayLampLit[lamp], IoWords[RelayLampWords[lamp]] != 0, LampsGeneration);
    }
}

void resetPaintState() {
    LcdLit = false;
    for (bool& lit : FrontLedLit) {
        lit = false;
    }
    for (bool& lit : RelayLampLit) {
        lit = false;
    }
    LedsGeneration = 0;
    LampsGeneration = 0;
    lampsPainted = false;
}

} // namespace kv410
