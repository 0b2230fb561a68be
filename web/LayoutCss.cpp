// Writes the page's layout style sheet from the front's layout table (panel/FrontLayout.h), so
// the page places every element where the window does. Run at build time:
//   kv410-layout-css OUTPUT.css
#include "panel/FrontLayout.h"
#include "panel/PanelPaint.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

using namespace kv410;

std::string px(int value) {
    return value == 0 ? "0" : std::to_string(value) + "px";
}

void place(std::ostream& out, const std::string& id, LayoutPoint at) {
    out << '#' << id << " { left: " << px(at.left) << "; top: " << px(at.top) << "; }\n";
}

void place(std::ostream& out, const std::string& id, LayoutRect r) {
    out << '#' << id << " { left: " << px(r.left) << "; top: " << px(r.top)
        << "; width: " << px(r.width) << "; height: " << px(r.height) << "; }\n";
}

void square(std::ostream& out, const std::string& id, LayoutPoint at, int size) {
    place(out, id, LayoutRect{at.left, at.top, size, size});
}

std::string numbered(const char* name, int n) {
    return name + std::to_string(n);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.css\n", argv[0]);
        return 2;
    }
    std::ostringstream css;
    css << "/* Generated from panel/FrontLayout.h when the page is built; do not edit. */\n";
    css << "#MainFrm { width: " << px(layout::Width) << "; height: " << px(layout::Height)
        << "; }\n";
    css << "#MainFrm.panels-shown { width: " << px(layout::WidthWithPanels) << "; }\n";
    place(css, "Image1", layout::Picture);
    place(css, "LCDDisplay", layout::Lcd);
    place(css, "Shape7", layout::Shape7);
    place(css, "Shape9", layout::Shape9);
    place(css, "Shape4", layout::Shape4);
    place(css, "Shape5", layout::Shape5);
    for (int line = 0; line < 4; ++line) {
        const LayoutRect r = layout::LcdLines[line];
        place(css, numbered("Lbl", line + 1), r);
        css << "#Lbl" << line + 1 << " { line-height: " << px(r.height) << "; }\n";
    }
    place(css, "Graph", layout::Graph);
    place(css, "RattImage", layout::Knob);
    for (int key = 0; key < 3; ++key) {
        place(css, numbered("Shape", key + 1), layout::KeyAreas[key]);
    }
    place(css, "Shape6", layout::PowerArea);
    constexpr const char* LedIds[FrontLedCount] = {"OnLed", "VVLed", "TillskottLed",
                                                   "KompressorLed", "AlarmLed"};
    for (int led = 0; led < FrontLedCount; ++led) {
        square(css, LedIds[led], layout::FrontLeds[led], layout::LedSize);
    }
    for (int n = 9; n <= 11; ++n) {
        place(css, numbered("SpeedButton", n), layout::MainToggles[n - 9]);
    }
    place(css, "PanelsButton", layout::PanelsButton);
    place(css, "EnglishButton", layout::EnglishButton);
    place(css, "Panel1", layout::Panel1);
    place(css, "Panel2", layout::Panel2);
    place(css, "Panel3", layout::Panel3);
    for (int n = 1; n <= 11; ++n) {
        place(css, numbered("TrackBar", n), layout::slider(n));
        place(css, numbered("Edit", n), layout::valueBox(n));
        place(css, numbered("Label", n), layout::sensorLabel(n));
    }
    for (int n = 1; n <= 10; ++n) {
        place(css, numbered("Led", n), layout::lamp(n));
        place(css, numbered("Label", 11 + n), layout::lampLabel(n));
    }
    for (int n = 1; n <= 8; ++n) {
        place(css, numbered("SpeedButton", n), layout::inputToggle(n));
    }

    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << css.str();
    out.close();
    if (!out) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
