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

// The three keys under the display, as pressedButton numbers them: left ("Tilbake", "Avbryt",
// the area Shape1), right ("Velg", "Endre", Shape3) and middle ("Info", Shape2). Note the order:
// the middle key is 2, the right one 1.
enum class PanelButton { Left = 0, Right = 1, Middle = 2 };
inline constexpr int PanelButtonCount = 3;

// The keys the panel reacts to on key-down; every other key is Other (it still wakes the display).
enum class PanelKey { Left, Right, Up, Down, Escape, Enter, Other };

// Characters of the key-press handler for the two control keys.
inline constexpr char EscapeChar = '\x1b';
inline constexpr char EnterChar = '\r';

// ---------------------------------------------------------------- window fields

// Knob frame shown, 0..11 (frame k is the bitmap ID_RATT(k+1)).
extern int32_t knobFrame;
// Seconds still to hold the pressed button before its long press fires; Timer3Timer counts it
// down once a second and at 0 sets the access level. A release while it is above 0 is a short
// press (the button's event); a release at 0 gives no event.
extern int32_t longPressCountdown;
// The held button, a PanelButton: 0 left, 1 right, 2 middle.
extern int32_t pressedButton;
// True from a press of a key under the display until its release or its long press fires
// (Timer3 runs): the virtual-time driver (unit/VirtualTime.h) then runs Timer3Timer every second
// counted from the press.
extern bool Timer3Running;
// The knob picture must be redrawn (also when only the display was woken); bumped on change.
extern uint32_t KnobGeneration;

// What a held button under the display does, indexed by PanelButton (pressedButton): the I/O
// word its short press sets, the seconds it is held for a long press, and the access level the
// long press gives (2 KUND2, 4 SERVICE, 8 FABRIKK).
struct ButtonRule {
    int eventWord;
    int32_t longPressSeconds;
    uint16_t accessLevel;
};
inline constexpr ButtonRule ButtonRules[PanelButtonCount] = {
    {LeftButtonWord, 3, 2}, {RightButtonWord, 5, 4}, {MiddleButtonWord, 5, 8}};

// ---------------------------------------------------------------- knob, buttons, power, keys

// A mouse press on the knob picture.
void RattImageMouseDown(MouseButton button, bool shift);
// A mouse press on the areas over the keys under the display, named as on the form: Shape1 is
// the left key (PanelButton::Left), Shape2 the middle key (PanelButton::Middle), Shape3 the
// right key (PanelButton::Right). A press starts the long-press countdown (Timer3).
void Shape1MouseDown();
void Shape2MouseDown();
void Shape3MouseDown();
// A mouse release over the same areas: Shape1 left, Shape2 middle, Shape3 right. It stops
// Timer3 and gives the key's event unless the long press fired or the display was dark.
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
// Key-down on whichever slider has the focus, TrackBar1..TrackBar11 alike (the form's name is
// that of the first slider, whose handler they all share); true when the slider must not see the
// key (the arrow keys, which the window has turned into knob steps and button events).
bool TrackBar1KeyDown(PanelKey key);

// Returns the panel's fields and paint state to their process-start state.
void resetPanelState();

} // namespace kv410
