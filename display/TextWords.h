// Words the start-up set-up takes out of the text table, for the screens that print them.
#pragma once

namespace kv410 {

// Lower- and upper-case initial of each weekday, Monday first (text 470).
extern char WeekdayLetters[14];
// "Fra" zero-terminated at offset 0 and "Til" at offset 10 (text 472).
extern char FromToHeadings[20];
// "Ikke Akt" and a zero (text 532).
extern char OffMarker[9];

// Fills the tables above and the clock's WeekdayNames from their texts (through the scratch
// target of showText).
void takeTextWords();

// Returns the tables above to their process-start state.
void resetTextWords();

} // namespace kv410
