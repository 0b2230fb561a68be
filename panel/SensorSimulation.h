// The side panels' simulated inputs: the eleven sensor sliders with their value boxes, and the
// toggle buttons of the alarm inputs and of GT4 and GT5. Numbers of sliders, lamps and buttons
// are the element numbers (TrackBar1 is slider 1); the tables are indexed by that number minus 1.
#pragma once

#include <cstdint>

namespace kv410 {

// The slider that the +, -, * and / keys move, 1..11.
extern int32_t currentSlider;
// Set by the front-end: true while the side panel with the sensor sliders is shown.
extern bool SensorPanelVisible;
// Set by the "1" key while the sensor panel is shown: the front-end gives slider 1 the focus
// (which calls TrackBar1Enter(1)) and clears the flag.
extern bool SliderFocusRequested;

// Position of slider TrackBar1..TrackBar11, -500..1500.
extern int32_t SliderPositions[11];
// Text of value box Edit1..Edit11.
extern char SliderTexts[11][8];
// Caption colour of SpeedButton1..SpeedButton11: true = light RGB(255,255,128), false = black.
extern bool CaptionLight[11];
// Change counters, bumped on every change so a front-end repaints only then: a slider position
// or value text; a caption colour.
extern uint32_t SlidersGeneration;
extern uint32_t CaptionsGeneration;

// Slider range and page size.
inline constexpr int SliderMin = -500;
inline constexpr int SliderMax = 1500;
inline constexpr int SliderPageSize = 10;
// Start value of each sensor slider (tenths of a degree; -500 = not fitted).
inline constexpr int16_t SensorStartValues[11] = {217, 140, 480, 217, 200, 900,
                                                  450, 220, 0,   -40, -500};
// The sensor of each slider, by the name scripts and recordings use.
inline constexpr const char* SensorNames[11] = {"GT1", "GT2", "GT3",  "GT4",  "GT5", "GT6",
                                                "GT8", "GT9", "GT10", "GT11", "GT3X"};
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

// Slider n (1..11) moved to position (held within -500..1500): its I/O word and value box follow.
void TrackBarChange(int n, int position);
// Slider n (1..11) received the keyboard focus. Every slider calls it, TrackBar1..TrackBar11
// alike: the form's name is that of the first slider, whose handler they all share.
void TrackBar1Enter(int n);
// The slider keys "+", "*", "-", "/" move the current slider by 1, 10, -1, -10; "1" selects
// slider 1. Called by FormKeyPress.
void sliderKey(char character);
// Toggle button n (1..11) clicked: 1..7 toggle their input, 8 and 9 share word 11, 10 and 11
// fit or remove GT4 and GT5.
void SpeedButtonClick(int n);

// Returns the sliders, value boxes and captions to their process-start state.
void resetSensorControls();

} // namespace kv410
