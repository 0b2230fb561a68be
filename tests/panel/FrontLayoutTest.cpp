#include "panel/FrontLayout.h"

#include <gtest/gtest.h>

#include <vector>

namespace kv410 {
namespace {

bool inside(const LayoutRect& inner, int width, int height) {
    return inner.left >= 0 && inner.top >= 0 && inner.left + inner.width <= width &&
           inner.top + inner.height <= height;
}

TEST(FrontLayoutTest, EveryElementLiesInsideWhatHoldsIt) {
    using namespace layout;
    for (const LayoutRect& r : {Lcd, Knob, KeyAreas[0], KeyAreas[1], KeyAreas[2], PowerArea,
                                MainToggles[0], MainToggles[1], MainToggles[2], PanelsButton}) {
        EXPECT_TRUE(inside(r, Width, Height)) << r.left << "," << r.top;
    }
    for (const LayoutPoint& led : FrontLeds) {
        EXPECT_TRUE(inside({led.left, led.top, LedSize, LedSize}, Width, Height));
    }
    for (const LayoutRect& line : layout::LcdLines) {
        EXPECT_TRUE(inside(line, Lcd.width, Lcd.height));
    }
    EXPECT_TRUE(inside(Graph, Lcd.width, Lcd.height));
    // With the panels shown the window is wide enough for all of every panel.
    for (const LayoutRect& panel : {Panel1, Panel2, Panel3}) {
        EXPECT_TRUE(inside(panel, WidthWithPanels, Height)) << panel.left << "," << panel.top;
    }
    EXPECT_TRUE(inside(slider(11), Panel1.width, Panel1.height));
    EXPECT_TRUE(inside(valueBox(11), Panel1.width, Panel1.height));
    EXPECT_TRUE(inside(lamp(10), Panel2.width, Panel2.height));
    EXPECT_TRUE(inside(inputToggle(8), Panel3.width, Panel3.height));
}

TEST(FrontLayoutTest, KnobBackgroundIsTheBottomLeftColourInEitherPixelOrder) {
    const int width = 3;
    const int height = 2;
    // Qt's ARGB32 (0xAARRGGBB) and a canvas's RGBA bytes read as little-endian words
    // (0xAABBGGRR) both keep alpha in the top byte.
    const uint32_t key = 0xFF2E3034u;
    std::vector<uint32_t> pixels = {0xFF000000u, key, 0xFF2E3035u, key, 0x802E3034u, 0xFFFFFFFFu};
    const std::vector<uint32_t> before = pixels;
    clearKnobBackground(pixels.data(), width, height);
    EXPECT_EQ(pixels[1], key & 0x00FFFFFFu);
    EXPECT_EQ(pixels[3], key & 0x00FFFFFFu) << "the bottom-left pixel itself";
    EXPECT_EQ(pixels[4], 0x002E3034u) << "the same colour with any alpha";
    EXPECT_EQ(pixels[0], before[0]);
    EXPECT_EQ(pixels[2], before[2]) << "a colour one step away stays";
    EXPECT_EQ(pixels[5], before[5]);
    clearKnobBackground(nullptr, 0, 0);
    clearKnobBackground(pixels.data(), 0, height);
}

} // namespace
} // namespace kv410
