// Where every element of the front lies, in pixels: the one table the window, the pictures, the
// web page (its style sheet is generated from this table when the page is built) and the artwork
// generator all read. Positions are the top-left corner; an element inside the LCD or a side
// panel is placed relative to that element's corner.
#pragma once

#include "display/Lcd.h"

#include <cstdint>

namespace kv410 {

// A rectangle: left, top, width, height.
struct LayoutRect {
    int left;
    int top;
    int width;
    int height;
};

// A point: left, top.
struct LayoutPoint {
    int left;
    int top;
};

namespace layout {

// The client area with the picture only, and with the side panels shown (all of Panel1 seen).
inline constexpr int Width = 800;
inline constexpr int WidthWithPanels = 953;
inline constexpr int Height = 600;

// The picture of the unit (Image1).
inline constexpr LayoutRect Picture{0, 0, Width, Height};
// The LCD panel (LCDDisplay).
inline constexpr LayoutRect Lcd{188, 291, 231, 87};
// The four LCD lines Lbl1..Lbl4, in the LCD.
inline constexpr LayoutRect LcdLines[4] = {
    {5, 4, 220, 22}, {5, 24, 220, 22}, {5, 43, 220, 22}, {5, 63, 220, 22}};
// The Graph over line 2, in the LCD.
inline constexpr LayoutRect Graph{3, 28, graphWidth, 15};
// The glass of the lit LCD, in the LCD: Shape7 (top) and Shape9 (left) shadow, Shape4 (bottom)
// and Shape5 (right) highlight.
inline constexpr LayoutRect Shape7{0, 0, 230, 3};
inline constexpr LayoutRect Shape9{-1, 2, 4, 85};
inline constexpr LayoutRect Shape4{-1, 85, 231, 3};
inline constexpr LayoutRect Shape5{228, 2, 3, 84};
// The knob (RattImage), the size of one knob frame.
inline constexpr LayoutRect Knob{471, 299, 72, 73};
// The click areas of the keys under the display, left to right: Shape1, Shape2, Shape3.
inline constexpr LayoutRect KeyAreas[3] = {
    {208, 418, 41, 39}, {283, 418, 41, 39}, {356, 418, 43, 39}};
// The power switch's click area (Shape6).
inline constexpr LayoutRect PowerArea{224, 200, 49, 49};
// The five front LEDs in FrontLed order (OnLed, VVLed, TillskottLed, KompressorLed, AlarmLed),
// and the size of every LED and relay lamp.
inline constexpr LayoutPoint FrontLeds[5] = {
    {282, 237}, {369, 134}, {431, 105}, {501, 96}, {318, 180}};
inline constexpr int LedSize = 16;
// SpeedButton9 (Larm), SpeedButton10 (GT4) and SpeedButton11 (GT5) beside the picture, and the
// "Paneler" button that shows and hides the side panels.
inline constexpr LayoutRect MainToggles[3] = {
    {668, 484, 73, 21}, {668, 416, 73, 21}, {668, 440, 73, 21}};
inline constexpr LayoutRect PanelsButton{668, 508, 73, 21};
// The "English" switch under it, and the strip below the picture where the English gloss of the
// four LCD lines stands while it is on (the window grows by the strip's height).
inline constexpr LayoutRect EnglishButton{668, 532, 73, 21};
inline constexpr LayoutRect GlossStrip{0, Height, Width, 72};
// The side panels: sensor sliders (Panel1), relay lamps (Panel2), alarm inputs (Panel3).
inline constexpr LayoutRect Panel1{626, 188, 323, 187};
inline constexpr LayoutRect Panel2{626, 3, 171, 174};
inline constexpr LayoutRect Panel3{744, 387, 47, 174};

// The rows of the side panels are 16 pixels apart.
inline constexpr int PanelRow = 16;

// In Panel1, row n (1..11): slider TrackBarn, value box Editn, label Labeln.
constexpr LayoutRect slider(int n) {
    return {4, 8 + (n - 1) * PanelRow, 120, 18};
}
constexpr LayoutRect valueBox(int n) {
    return {127, 5 + (n - 1) * PanelRow, 30, 21};
}
constexpr LayoutPoint sensorLabel(int n) {
    return {166, 6 + (n - 1) * PanelRow};
}
// In Panel2, row n (1..10): lamp Ledn and its label Label(11+n).
constexpr LayoutRect lamp(int n) {
    return {7, 6 + (n - 1) * PanelRow, LedSize, LedSize};
}
constexpr LayoutPoint lampLabel(int n) {
    return {30, 8 + (n - 1) * PanelRow};
}
// In Panel3, row n (1..8): toggle SpeedButtonn; the eighth sits one pixel further left.
constexpr LayoutRect inputToggle(int n) {
    return {n == 8 ? 7 : 8, 8 + (n - 1) * PanelRow, 32, 16};
}

} // namespace layout

// Makes the knob frame's background transparent: every pixel of the colour of its bottom-left
// pixel gets alpha 0. Pixels are 32-bit words with alpha in the top byte and the colour in the
// low 24 bits, as Qt's ARGB32 images and a canvas's RGBA bytes on a little-endian machine both
// are. Nothing happens to an empty picture.
void clearKnobBackground(uint32_t* pixels, int width, int height);

} // namespace kv410
