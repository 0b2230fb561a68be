// The one schedule of the unit's timers, shared by every front-end: the 50 ms tick, the
// one-second tick and the long-press tick of a held button, run in that order when they fall on
// the same instant. The scenario runner advances it by its virtual clock; a window or a web page
// paces it by a monotonic clock, so all of them run the very same ticks.
#pragma once

#include "panel/FrontPanel.h"

#include <cstdint>

namespace kv410 {

// Length of one tick of the unit, in milliseconds.
inline constexpr int64_t TickMs = 50;
// Ticks in one second: the period of the one-second and the long-press ticks.
inline constexpr int64_t TicksPerSecond = 1000 / TickMs;

// The time of one run of the unit. It belongs to the front-end's run, not to the process: a
// restart of the program goes on in the same time.
struct VirtualTime {
    // Ticks since the run began.
    int64_t tick = 0;
    // The tick of the last button press; the long-press tick falls every second after it.
    int64_t pressTick = 0;
    // Milliseconds of a monotonic clock that were skipped because a front-end fell too far
    // behind (see followMonotonicClock).
    int64_t skippedMs = 0;
};

// A press of a button under the display: the long-press schedule starts at this tick.
void pressPanelButton(VirtualTime& time, PanelButton button);
// A release of a button under the display.
void releasePanelButton(PanelButton button);
// The button named "left", "right" or "middle" (any case); false for any other name.
bool panelButtonByName(const char* name, PanelButton& button);

// Runs the next tick: the host clock moves on by TickMs, then the 50 ms tick, then the
// one-second and the long-press ticks when they fall due on it.
void runTick(VirtualTime& time);

// Advances by `ticks` whole ticks, calling afterTick() after each one.
template <typename AfterTick>
void advanceTicks(VirtualTime& time, int64_t ticks, AfterTick&& afterTick) {
    for (int64_t i = 0; i < ticks; ++i) {
        runTick(time);
        afterTick();
    }
}

// Advances by `ticks` whole ticks.
void advanceTicks(VirtualTime& time, int64_t ticks);

// The tick a monotonic clock that reads `elapsedMs` milliseconds since the run began has
// reached, at most `maxTicks` ahead of the current one; the ticks beyond are skipped and the
// clock slips (skippedMs grows), so a long pause costs at most `maxTicks` ticks.
int64_t monotonicTargetTick(VirtualTime& time, int64_t elapsedMs, int64_t maxTicks);

// Paces the unit by a monotonic clock that reads `elapsedMs` milliseconds since the run began:
// runs every tick that has fallen due, at most `maxTicks` of them. When more were due (a
// front-end that was asleep or hidden), the rest are skipped and the clock slips, so a long
// pause costs at most `maxTicks` ticks. Returns the number of ticks run.
int64_t followMonotonicClock(VirtualTime& time, int64_t elapsedMs, int64_t maxTicks);

} // namespace kv410
