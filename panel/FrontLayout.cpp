#include "panel/FrontLayout.h"

namespace kv410 {

void clearKnobBackground(uint32_t* pixels, int width, int height) {
    if (pixels == nullptr || width <= 0 || height <= 0) {
        return;
    }
    constexpr uint32_t ColourBits = 0x00FFFFFFu;
    const uint32_t key = pixels[(height - 1) * width] & ColourBits;
    for (int i = 0; i < width * height; ++i) {
        if ((pixels[i] & ColourBits) == key) {
            pixels[i] &= ColourBits;
        }
    }
}

} // namespace kv410
