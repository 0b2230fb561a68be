// The front panel without a toolkit: the window's handlers, its fields and the paint state that a
// front-end (the Qt window, the scenario runner, a test) shows.
//
// A front-end turns its events into calls of the handlers below and then paints from the state
// declared here (plus LcdLines and the Graph state of display/Lcd.h). Every handler runs between
// two controller cycles. Numbers of sliders, lamps and buttons are the element numbers
// (TrackBar1 is slider 1); the tables are indexed by that number minus 1.
#pragma once

#include "panel/PanelPaint.h"

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
// The slider that the +, -, * and / keys move, 1..11.
extern int32_t currentSlider;
// Seconds until a held button counts as a long press.
extern int32_t longPressCountdown;
// The held button: 0 left, 1 right, 2 middle.
extern int32_t pressedButton;
// True while the long-press timer (Timer3) runs; a front-end starts or stops its timer from it
// after every handler call.
extern bool Timer3Running;
// Set by the front-end: true while the side panel with the sensor sliders is shown.
extern bool SensorPanelVisible;
// Set by the "1" key while the sensor panel is shown: the front-end gives slider 1 the focus
// (which calls TrackBar1Enter(1)) and clears the flag.
extern bool SliderFocusRequested;

// ---------------------------------------------------------------- paint state

// The five front LEDs, in the order the refresh paints them.
enum FrontLed { OnLed, VVLed, TillskottLed, KompressorLed, AlarmLed, FrontLedCount };
// The I/O word that drives each front LED (mode 0 unlit, 2 blinking, anything else lit).
inline constexpr int FrontLedWords[FrontLedCount] = {44, 47, 46, 45, 48};
// The I/O word of relay lamp Led1..Led10.
inline constexpr int RelayLampWords[10] = {12, 13, 14, 15, 17, 16, 18, 19, 20, 21};

// The LCD panel is painted lit (its background lit and Shape4, Shape5, Shape7, Shape9 shown).
extern bool LcdLit;
// Each front LED is painted lit.
extern bool FrontLedLit[FrontLedCount];
// Relay lamp Led1..Led10 is painted lit.
extern bool RelayLampLit[10];
// Position of slider TrackBar1..TrackBar11, -500..1500.
extern int32_t SliderPositions[11];
// Text of value box Edit1..Edit11.
extern char SliderTexts[11][8];
// Caption colour of SpeedButton1..SpeedButton11: true = light RGB(255,255,128), false = black.
extern bool CaptionLight[11];

// Change counters: each is bumped when its part of the paint state changes, so a front-end
// repaints only what changed.
// LcdLit or a front LED.
extern uint32_t LedsGeneration;
// A relay lamp.
extern uint32_t LampsGeneration;
// The knob picture must be redrawn (also when only the display was woken).
extern uint32_t KnobGeneration;
// A slider position or value text.
extern uint32_t SlidersGeneration;
// A caption colour.
extern uint32_t CaptionsGeneration;

// ---------------------------------------------------------------- colours and texts

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

// Slider range and page size.
inline constexpr int SliderMin = -500;
inline constexpr int SliderMax = 1500;
inline constexpr int SliderPageSize = 10;
// Start value of each sensor slider (tenths of a degree; -500 = not fitted).
inline constexpr int16_t SensorStartValues[11] = {217, 140, 480, 217, 200, 900,
                                                  450, 220, 0,   -40, -500};
// Label1..Label11 (UTF-8).
inline constexpr const char* SensorLabels[11] = {"Retur Radiator GT1",
                                                 "Ute GT2",
                                                 "Varmvatten GT3",
                                                 "Framledning Radiator GT4",
                                                 "Rum GT5",
                                                 "Hetgas GT6",
                                                 "Värmebärare ut GT8",
                                                 "Värmebärare in GT9",
                                                 "Köldbärare in GT10",
                                                 "Köldbärare ut GT11",
                                                 "Varmvatten GT3X"};
// Label12..Label21, the labels of relay lamps Led1..Led10 (UTF-8).
inline constexpr const char* LampLabels[10] = {"Köldbärarpump P3",      "Kompressor",
                                               "Tillskott Steg 1",      "Tillskott Steg 2",
                                               "Shuntventil SV1 Öppna", "Shuntventil SV1 Stäng",
                                               "Radiatorpump P1",       "Värmebärarpump P2",
                                               "Växelventil VXV1",      "Summalarm"};
// Captions of SpeedButton1..SpeedButton11.
inline constexpr const char* ToggleCaptions[11] = {"MB1", "EK",  "MB2",  "HP",  "LP", "VVP",
                                                   "EXT", "FFF", "Larm", "GT4", "GT5"};
// Hints of SpeedButton1..SpeedButton11 (UTF-8); the last three have none.
inline constexpr const char* ToggleHints[11] = {"Motorbrytare 1",
                                                "Elkassett",
                                                "Motorbrytare 2",
                                                "Högtryckspressostat",
                                                "Lågtryckspressostat",
                                                "Varvattenpressostat",
                                                "Extern",
                                                "Fasföljdsfel",
                                                "",
                                                "",
                                                ""};
// The alarm-input I/O word of SpeedButton1..SpeedButton9 (8 and 9 share word 11).
inline constexpr int ToggleWords[9] = {5, 6, 4, 7, 8, 9, 10, 11, 11};

// ---------------------------------------------------------------- life cycle

// Window created: knob frame 0, the flash file loaded.
void FormCreate();
// Window about to be shown: sensor start values, sliders, captions, clock text, idle countdown,
// Graph, boot, current slider.
void FormShow();
// Window being destroyed: the flash file saved.
void FormDestroy();

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

// ---------------------------------------------------------------- timers

// The 50 ms tick: valve timers, LCD and LED painting, the alarm beep, then one controller cycle.
void Timer1Timer();
// The one-second tick: second, minute and alarm-delay countdowns and the idle countdown.
void Timer2Timer();
// The long-press tick, every second while Timer3Running.
void Timer3Timer();

// ---------------------------------------------------------------- sensor and alarm-input controls

// Slider n (1..11) moved to position (held within -500..1500): its I/O word and value box follow.
void TrackBarChange(int n, int position);
// Slider n (1..11) received the keyboard focus.
void TrackBar1Enter(int n);
// Key-down on a focused slider; true when the slider must not see the key (the arrow keys).
bool TrackBar1KeyDown(PanelKey key);
// The slider keys "+", "*", "-", "/" move the current slider by 1, 10, -1, -10; "1" selects
// slider 1. Called by FormKeyPress.
void sliderKey(char character);
// Toggle button n (1..11) clicked: 1..7 toggle their input, 8 and 9 share word 11, 10 and 11
// fit or remove GT4 and GT5.
void SpeedButtonClick(int n);

// ---------------------------------------------------------------- painting

// Paints the LCD lit or dark and the five front LEDs (with blinking and the alarm beep); the
// first half of the 50 ms tick.
void refreshPanel();

// Return the painting and the sensor controls to their process-start state (resetPanelState
// calls them).
void resetPaintState();
void resetSensorControls();

} // namespace kv410
