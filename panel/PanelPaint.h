// What the front shows of the unit besides the LCD text and the relay lamps: the LCD lit or dark
// and the five front LEDs with their blinking and the alarm beep, with the colours a front-end
// paints them in.
#pragma once

#include "core/MemoryMap.h"

#include <cstdint>

namespace kv410 {

// The five front LEDs, in the order the refresh paints them.
enum FrontLed { OnLed, VVLed, TillskottLed, KompressorLed, AlarmLed, FrontLedCount };
// The I/O word that drives each front LED (mode 0 unlit, 2 blinking, anything else lit).
inline constexpr int FrontLedWords[FrontLedCount] = {OnLedWord, HotWaterLedWord, AuxHeatLedWord,
                                                     CompressorLedWord, AlarmLedWord};

// The LCD panel is painted lit (its background lit and Shape4, Shape5, Shape7, Shape9 shown).
extern bool LcdLit;
// Each front LED is painted lit.
extern bool FrontLedLit[FrontLedCount];
// Change counter of LcdLit and the front LEDs: bumped on every change, so a front-end repaints
// only then.
extern uint32_t LedsGeneration;

// An RGB colour of the paint state.
struct PanelColour {
    uint8_t red;
    uint8_t green;
    uint8_t blue;
};
inline constexpr PanelColour LcdLitColour{0, 255, 128};
inline constexpr PanelColour LcdUnlitColour{0, 94, 47};
inline constexpr PanelColour GreenLedLitColour{0, 255, 128};
inline constexpr PanelColour GreenLedUnlitColour{0, 94, 47};
inline constexpr PanelColour AlarmLedLitColour{255, 0, 0};
inline constexpr PanelColour AlarmLedUnlitColour{128, 0, 0};
inline constexpr PanelColour LampLitColour{0, 255, 128};
inline constexpr PanelColour LampUnlitColour{0, 96, 48};
inline constexpr PanelColour CaptionLightColour{255, 255, 128};
inline constexpr PanelColour CaptionBlackColour{0, 0, 0};

// Paints the LCD lit or dark and the five front LEDs (with blinking and the alarm beep); the
// first half of the 50 ms tick.
void refreshPanel();

// Returns the painting to its process-start state.
void resetPaintState();

} // namespace kv410
