// What a step of a script does to the unit at one instant, and what a check finds: shared by
// kv410-script and the window's playback and live control, so both act and judge alike.
#pragma once

#include "scenario/Script.h"
#include "unit/VirtualTime.h"

#include <string>

namespace kv410 {

// Performs a step that acts on the front at one instant (clicks, presses and releases, keys,
// sliders, toggles, pokes); false, and nothing done, for any other step (time, life cycle,
// checks, output), which the front-end carries out itself.
bool performAction(const Step& step, VirtualTime& time);

// Whether a check holds now; beeps is the number of alarm sounds the host has played.
bool checkHolds(const Check& check, int beeps);
// What a check looked at, as a failure message shows it.
std::string checkFound(const Check& check, int beeps);

// "[hh:mm:ss.mmm]" of a virtual time in ticks.
std::string timeStamp(int64_t tick);
// LCD line 1..4 as UTF-8.
std::string lcdLineText(int line);

} // namespace kv410
