#include "unit/VirtualTime.h"

#include "core/Platform.h"
#include "panel/FrontPanel.h"
#include "unit/Ticks.h"

#include <cctype>
#include <cstring>

namespace kv410 {

namespace {

// One button under the display: its name and the handlers of a press and a release on it.
struct PanelButtonArea {
    const char* name;
    void (*press)();
    void (*release)();
};

// The buttons by PanelButton: "left" (Shape1), "right" (Shape3), "middle" (Shape2).
const PanelButtonArea PanelButtonAreas[PanelButtonCount] = {
    {"left", Shape1MouseDown, Shape1MouseUp},
    {"right", Shape3MouseDown, Shape3MouseUp},
    {"middle", Shape2MouseDown, Shape2MouseUp},
};

} // namespace

void pressPanelButton(VirtualTime& time, PanelButton button) {
    time.pressTick = time.tick;
    PanelButtonAreas[static_cast<int>(button)].press();
}

void releasePanelButton(PanelButton button) {
    PanelButtonAreas[static_cast<int>(button)].release();
}

bool panelButtonByName(const char* name, PanelButton& button) {
    for (int n = 0; n < PanelButtonCount; ++n) {
        const char* own = PanelButtonAreas[n].name;
        size_t i = 0;
        while (own[i] != '\0' && std::tolower(static_cast<unsigned char>(name[i])) == own[i]) {
            ++i;
        }
        if (own[i] == '\0' && name[i] == '\0') {
            button = static_cast<PanelButton>(n);
            return true;
        }
    }
    return false;
}

void runTick(VirtualTime& time) {
    ++time.tick;
    platform().advanceClock(TickMs);
    Timer1Timer();
    if (time.tick % TicksPerSecond == 0) {
        Timer2Timer();
    }
    if (Timer3Running && (time.tick - time.pressTick) % TicksPerSecond == 0) {
        Timer3Timer();
    }
}

void advanceTicks(VirtualTime& time, int64_t ticks) {
    for (int64_t i = 0; i < ticks; ++i) {
        runTick(time);
    }
}

int64_t monotonicTargetTick(VirtualTime& time, int64_t elapsedMs, int64_t maxTicks) {
    const int64_t due = (elapsedMs - time.skippedMs) / TickMs - time.tick;
    if (due <= 0) {
        return time.tick;
    }
    const int64_t run = due < maxTicks ? due : maxTicks;
    time.skippedMs += (due - run) * TickMs;
    return time.tick + run;
}

int64_t followMonotonicClock(VirtualTime& time, int64_t elapsedMs, int64_t maxTicks) {
    const int64_t run = monotonicTargetTick(time, elapsedMs, maxTicks) - time.tick;
    advanceTicks(time, run);
    return run;
}

} // namespace kv410
