// The front of the unit drawn with QPainter: the layout table in Qt's terms, colours and fonts, the
// painting of the LCD lines, the Graph, the LEDs and the knob, and the whole front as a picture.
// The window paints its elements with these functions, and kv410-script's pictures are drawn with
// them without a window, so a picture shows what the window shows.
#pragma once

#include "panel/FrontLayout.h"
#include "panel/FrontPanel.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

class QPainter;

namespace kv410::front {

// ---------------------------------------------------------------- where the elements lie

// The front's layout table (panel/FrontLayout.h) in Qt's terms.
constexpr QRect qrect(const LayoutRect& r) {
    return {r.left, r.top, r.width, r.height};
}
constexpr QPoint qpoint(const LayoutPoint& p) {
    return {p.left, p.top};
}
// Front LED `led` (FrontLed), 16 x 16.
constexpr QRect frontLedRect(int led) {
    return {qpoint(layout::FrontLeds[led]), QSize(layout::LedSize, layout::LedSize)};
}
// The caption of the button that shows and hides the side panels.
inline constexpr const char* PanelsButtonCaption = "Paneler";

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
inline constexpr GlassPiece LcdGlass[4] = {{"Shape7", qrect(layout::Shape7), GlassShadow},
                                           {"Shape9", qrect(layout::Shape9), GlassShadow},
                                           {"Shape4", qrect(layout::Shape4), GlassHighlight},
                                           {"Shape5", qrect(layout::Shape5), GlassHighlight}};
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
