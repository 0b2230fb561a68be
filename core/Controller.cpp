// PLACEHOLDER: replaced by the controller spine's owner.
#include "core/Controller.h"
namespace kv410 {
char WeekdayLetters[14];
char WeekdayNames[7][3];
char FromToHeadings[20];
char OffMarker[9];
char UnitNames[4][4];
void resetControllerTables() {}
} // namespace kv410
