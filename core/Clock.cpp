// PLACEHOLDER: replaced by the controller spine's owner.
#include "core/Clock.h"
namespace kv410 {
char ClockText[21];
char ClockTextBuffer[19];
char WeekdayAbbreviation[3];
char HostClockText[20];
void resetClock() {}
} // namespace kv410
