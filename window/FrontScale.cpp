#include "window/FrontScale.h"

#include <algorithm>
#include <cmath>

namespace kv410 {

double fitScale(QSize available, QSize frame, QSize content) {
    if (content.width() <= 0 || content.height() <= 0) {
        return 1.0;
    }
    const double across = double(available.width() - frame.width()) / content.width();
    const double down = double(available.height() - frame.height()) / content.height();
    const double fit = std::floor(std::min(across, down) * 100.0 + 1e-9) / 100.0;
    return std::max(fit, MinScale);
}

double nextZoom(double zoom, int direction) {
    if (direction > 0) {
        for (const double step : ZoomSteps) {
            if (step > zoom + 1e-6) {
                return step;
            }
        }
        return MaxZoom;
    }
    for (auto step = std::rbegin(ZoomSteps); step != std::rend(ZoomSteps); ++step) {
        if (*step < zoom - 1e-6) {
            return *step;
        }
    }
    return MinZoom;
}

double windowScale(double zoom, double fit) {
    const double chosen = zoom > 0 ? std::clamp(zoom, MinZoom, MaxZoom) : 1.0;
    return std::max(std::min(chosen, fit), MinScale);
}

QRect scaledRect(const QRect& rect, double scale) {
    const auto at = [scale](int pixels) { return int(std::lround(pixels * scale)); };
    const int left = at(rect.left());
    const int top = at(rect.top());
    return {left, top, at(rect.left() + rect.width()) - left, at(rect.top() + rect.height()) - top};
}

int scaledPixels(int pixels, double scale) {
    return std::max(1, int(std::lround(pixels * scale)));
}

} // namespace kv410
