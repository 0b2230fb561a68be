// The four LCD lines, the controller's character set, numbers and the Graph indicator.
#pragma once

#include <cstdint>

namespace kv410 {

// The display: lines 1..4 are LcdLines[0..3], each 20 characters and a terminating zero.
extern char LcdLines[4][21];
// Receives a text fetched with showText and a target of 5 or more.
extern char TextScratch[21];
// The text each line last received whole through showText, for the English gloss; NoLineText
// once a screen has written a whole line of its own (or before any text).
inline constexpr int NoLineText = -1;
extern int LineTexts[4];

// The bar or marker drawn over line 2.
inline constexpr int graphWidth = 224;
extern bool GraphVisible;
extern int32_t barStart;
extern int32_t barEnd;

// Writes the translated text into the line from the column on; on line 2 hides the Graph.
void writeText(int line, int column, const char* text);
// The glyph the display shows for a character code of the controller (0xDF shows as 0xBA, the
// degree sign); other codes show as themselves.
char shownGlyph(char code);
// Replaces one character, untranslated; the Graph is not touched.
void putChar(int line, int column, char character);
// Target 1..4: the whole line becomes text N; 5 or more: text N goes to TextScratch.
void showText(int target, int textIndex);
// Builds the right-aligned field of 5 (integer) or 6 (tenths) characters and a zero.
void formatNumber(int32_t value, char* out, bool tenths);
// Integer field of 5 columns from the column on.
void showInteger(int line, int column, int32_t value);
// Tenths field of 6 columns from the column on.
void showTenths(int line, int column, int32_t value);
// Shows the Graph with a short marker at the value's position.
void showMarker(int32_t min, int32_t max, int32_t value);
// Shows the Graph with a bar from the left edge to the value's position.
void showBar(int32_t min, int32_t max, int32_t value);
// Line 1 = text t1, line 2 = text 123+t2, line 3 = text 267+t3, line 4 = text 431+t4.
void showScreen(int t1, int t2, int t3, int t4);
// Text N on line 2 between blank lines, held for one to two seconds.
void showMessage(int textIndex);

// Returns the display to its process-start state.
void resetDisplay();

} // namespace kv410
