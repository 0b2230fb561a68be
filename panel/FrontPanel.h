// The front panel without a toolkit: the handlers of the knob, the buttons, the power switch and
// the keyboard, and the panel's fields.
//
// A front-end turns its events into calls of these handlers (and of the side panels' handlers in
// panel/SensorSimulation.h), runs time through unit/VirtualTime.h, and then paints from the
// paint state: panel/PanelPaint.h, display/RelayLamps.h, the sliders of
// panel/SensorSimulation.h, and LcdLines and the Graph state of display/Lcd.h. Every handler
// runs between two controller cycles.
#pragma once

#include "core/MemoryMap.h"
#include "display/RelayLamps.h"
#include "panel/PanelPaint.h"
#include "panel/SensorSimulation.h"

#include <cstdint>

namespace kv410 {

// ---------------------------------------------------------------- input types

// The mouse button of a press.
enum class MouseButton { Left, Right, Middle };

// The keys the panel reacts to on key-down; every other key is Other (it still wakes the display).
enum class PanelKey { Left, Right, Up, Down, Escape, Enter, Other };

// Characters of the key-press handler for the two control keys.
inline constexpr char EscapeChar = '\x1b';
inline constexpr char EnterChar = '\r';

// ---------------------------------------------------------------- window fields

// Knob frame shown, 0..11 (frame k is the bitmap ID_RATT(k+1)).
extern int32_t knobFrame;
// Seconds until a held button counts as a long press.
extern int32_t longPressCountdown;
// The held button: 0 left, 1 right, 2 middle.
extern int32_t pressedButton;
// True while the long-press timer (Timer3) runs; a front-end starts or stops its timer from it
// after every handler call.
extern bool Timer3Running;
// The knob picture must be redrawn (also when only the display was woken); bumped on change.
extern uint32_t KnobGeneration;

// What a held button under the display does, by pressedButton: the I/O word its short press
// sets, how long it is held for a long press, and the access level the long press gives.
struct ButtonRule {
    int eventWord;
    int32_t longPressSeconds;
    uint16_t accessLevel;
};
inline constexpr ButtonRule ButtonRules[3] = {
    {LeftButtonWord, 3, 2}, {RightButtonWord, 5, 4}, {MiddleButtonWord, 5, 8}};

// ---------------------------------------------------------------- knob, buttons, power, keys

// A mouse press on the knob picture.
void RattImageMouseDown(MouseButton button, bool shift);
// A mouse press on the left, middle and right button areas.
void Shape1MouseDown();
void Shape2MouseDown();
void Shape3MouseDown();
// A mouse release over the left, middle and right button areas.
void Shape1MouseUp();
void Shape2MouseUp();
void Shape3MouseUp();
// A mouse press on the power switch.
void Shape6MouseDown();
// Key-down of any key, before the focused element sees it.
void FormKeyDown(PanelKey key, bool shift);
// Key-up of any key.
void FormKeyUp();
// Key-press of a character key (EscapeChar, EnterChar, '1', '+', '*', '-', '/'; others wake only).
void FormKeyPress(char character);
// Key-down on a focused slider; true when the slider must not see the key (the arrow keys).
bool TrackBar1KeyDown(PanelKey key);

// Returns the panel's fields and paint state to their process-start state.
void resetPanelState();

} // namespace kv410
