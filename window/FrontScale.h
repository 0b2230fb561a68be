// How large the window draws the front: the zoom a person chose (Ctrl+plus, Ctrl+minus, Ctrl+0),
// held to what fits the screen. The front's layout table stays in unscaled pixels; the window
// places every element at its rectangle times the scale.
#pragma once

#include <QRect>
#include <QSize>

namespace kv410 {

// The zoom steps of Ctrl+plus and Ctrl+minus, smallest first (1 is 100 %).
inline constexpr double ZoomSteps[] = {0.5,  0.67, 0.75, 0.8, 0.9, 1.0, 1.1,
                                       1.25, 1.5,  1.75, 2.0, 2.5, 3.0};
inline constexpr double MinZoom = 0.5;
inline constexpr double MaxZoom = 3.0;
// No screen makes the front smaller than this.
inline constexpr double MinScale = 0.25;

// The largest scale, in hundredths, at which the content (unscaled pixels) and the window's frame
// (title bar and borders, in screen pixels) fit the available area of a screen; at least
// MinScale.
double fitScale(QSize available, QSize frame, QSize content);
// The next zoom step above (direction > 0) or below (direction < 0) a zoom, held to the steps.
double nextZoom(double zoom, int direction);
// The scale the window draws at: the zoom chosen (100 % when none, 0), never more than fits.
double windowScale(double zoom, double fit);
// An element's rectangle at a scale: the edges are scaled and rounded, so neighbours that touch
// unscaled still touch.
QRect scaledRect(const QRect& rect, double scale);
// A font's pixel size at a scale, at least one pixel.
int scaledPixels(int pixels, double scale);

} // namespace kv410
