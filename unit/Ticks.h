// The unit's three timers. unit/VirtualTime.h runs them on one schedule for every front-end.
#pragma once

namespace kv410 {

// The 50 ms tick: valve timers, LCD and LED painting, the alarm beep, then one controller cycle.
void Timer1Timer();
// The one-second tick: second, minute and alarm-delay countdowns and the idle countdown.
void Timer2Timer();
// The long-press tick, every second while Timer3Running: at the end of the countdown the held
// button's access level.
void Timer3Timer();

} // namespace kv410
