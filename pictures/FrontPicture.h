// The front of the unit drawn with QPainter: where each element lies, its colours and fonts, the
// painting of the LCD lines, the Graph, the LEDs and the knob, and the whole front as a picture.
// The window paints its elements with these functions, and kv410-script's pictures are drawn with
// them without a window, so a picture shows what the window shows.
#pragma once

#include "panel/FrontPanel.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

class QPainter;

namespace kv410::front {

// ---------------------------------------------------------------- where the elements lie

// The window's client area with the picture only, and with the side panels shown.
inline constexpr int Width = 800;
inline constexpr int WidthWithPanels = 953;
inline constexpr int Height = 600;

// The picture of the unit (Image1).
inline constexpr QRect PictureRect{0, 0, 800, 600};
// The LCD panel (LCDDisplay); the rectangles below inside it are relative to its corner.
inline constexpr QRect LcdRect{188, 291, 231, 87};
// The four LCD lines (Lbl1..Lbl4).
inline constexpr QRect LcdLineRects[4] = {
    {5, 4, 220, 22}, {5, 24, 220, 22}, {5, 43, 220, 22}, {5, 63, 220, 22}};
// The Graph over line 2.
inline constexpr QRect GraphRect{3, 28, 224, 15};
// The knob (RattImage).
inline constexpr QRect KnobRect{471, 299, 72, 73};
// The click areas of the left, middle and right buttons (Shape1, Shape2, Shape3), outlined, and
// the power switch (Shape6), not outlined.
inline constexpr QRect ButtonAreaRects[3] = {
    {208, 418, 41, 39}, {283, 418, 41, 39}, {356, 418, 43, 39}};
inline constexpr QRect PowerAreaRect{224, 200, 49, 49};
// The five front LEDs, 16 x 16, indexed by FrontLed.
inline constexpr QPoint FrontLedPositions[FrontLedCount] = {
    {282, 237}, {369, 134}, {431, 105}, {501, 96}, {318, 180}};
inline constexpr int LedSize = 16;
// SpeedButton9 (Larm), SpeedButton10 (GT4) and SpeedButton11 (GT5) beside the picture, and the
// button that shows and hides the side panels.
inline constexpr QRect MainToggleRects[3] = {
    {668, 484, 73, 21}, {668, 416, 73, 21}, {668, 440, 73, 21}};
inline constexpr QRect PanelsButtonRect{668, 508, 73, 21};
inline constexpr const char* PanelsButtonCaption = "Paneler";
// The side panels: sensor sliders (Panel1), relay lamps (Panel2), alarm inputs (Panel3).
inline constexpr QRect Panel1Rect{626, 188, 323, 187};
inline constexpr QRect Panel2Rect{626, 3, 171, 174};
inline constexpr QRect Panel3Rect{744, 387, 47, 174};
// Slider n (1..11) and its value box and label in Panel1, lamp n (1..10) and its label in
// Panel2, toggle n (1..8) in Panel3; relative to the panel.
QRect sliderRect(int n);
QRect valueBoxRect(int n);
QPoint sensorLabelPosition(int n);
QRect lampRect(int n);
QPoint lampLabelPosition(int n);
QRect inputToggleRect(int n);

// ---------------------------------------------------------------- colours and fonts

QColor colour(PanelColour colour);

// The glass of the lit LCD: shadow at the top and left, highlight at the bottom and right
// (Shape7, Shape9, Shape4, Shape5), relative to the LCD panel.
struct GlassPiece {
    const char* name;
    QRect rect;
    PanelColour colour;
};
inline constexpr PanelColour GlassShadow{0, 128, 64};
inline constexpr PanelColour GlassHighlight{255, 255, 128};
inline constexpr GlassPiece LcdGlass[4] = {{"Shape7", {0, 0, 230, 3}, GlassShadow},
                                           {"Shape9", {-1, 2, 4, 85}, GlassShadow},
                                           {"Shape4", {-1, 85, 231, 3}, GlassHighlight},
                                           {"Shape5", {228, 2, 3, 84}, GlassHighlight}};
// Outlines of the green LEDs and lamps, and of the alarm LED.
inline constexpr PanelColour GreenLedOutline{0, 128, 64};
inline constexpr PanelColour AlarmLedOutline{128, 0, 0};
// Face of the flat toggle buttons: dark enough for the light caption, light enough for black.
inline constexpr PanelColour ToggleFace{118, 126, 138};
// Labels on the side panels (the panels have the window's white colour).
inline constexpr PanelColour PanelLabelColour{24, 32, 48};

// The LCD's font: a bold monospaced face of 19 pixels, every character 11 pixels wide so that 20
// fill the 220 pixel line.
QFont lcdFont();
// The window's font (11 pixels), bold for labels and buttons.
QFont windowFont(bool bold);

// The LCD background, the fill of front LED `led` and of a relay lamp, as painted now.
QColor lcdColour(bool lit);
QColor frontLedFill(int led, bool lit);
QColor frontLedOutline(int led);
QColor lampFill(bool lit);

// ---------------------------------------------------------------- painting

// Makes the artwork compiled into the program (Image1, the knob frames) readable.
void registerArtwork();
// The picture of the unit, 800 x 600.
const QImage& pictureImage();
// Knob frame n (0..11), the colour of its bottom-left pixel made transparent.
const QImage& knobFrameImage(int frame);

// One LCD line (20 display characters, Latin-1) in its rectangle.
void paintLcdLine(QPainter& painter, const QRect& rect, const QString& text);
// The Graph in a rectangle at the origin: the scale line and the bar from start to end.
void paintGraph(QPainter& painter, int width, int start, int end);
// A front LED or a relay lamp: a filled circle with its outline.
void paintLed(QPainter& painter, const QRect& rect, const QColor& fill, const QColor& outline);
// The outline of a click area.
void paintClickArea(QPainter& painter, const QRect& rect);

// The whole front as the window shows it now, from the paint state: the LCD with its lines and
// the Graph, the LEDs, the knob, the toggles, and the side panels when they are shown
// (SensorPanelVisible).
QImage drawFront();

} // namespace kv410::front
