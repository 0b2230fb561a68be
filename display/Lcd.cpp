// PLACEHOLDER: replaced by the display's owner.
#include "display/Lcd.h"
namespace kv410 {
char LcdLines[4][21];
char TextScratch[21];
bool GraphVisible;
int32_t barStart;
int32_t barEnd;
void resetDisplay() {}
} // namespace kv410
