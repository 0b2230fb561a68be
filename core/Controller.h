// The controller's main program: boot, start-up set-up and the 50 ms cycle.
#pragma once

namespace kv410 {

// Lower- and upper-case initial of each weekday, Monday first (text 470).
extern char WeekdayLetters[14];
// Two-letter weekday names and a zero, Monday first (text 471).
extern char WeekdayNames[7][3];
// "Fra" zero-terminated at offset 0 and "Til" at offset 10 (text 472).
extern char FromToHeadings[20];
// "Ikke Akt" and a zero (text 532).
extern char OffMarker[9];
// "dag", "tim", "min", "sek", each with a zero (text 427).
extern char UnitNames[4][4];

// Runs once when the window is first shown.
void bootController();
// Fills the text-derived tables and resets the menu; at boot and at every switch-on.
void startupSetup();
// One 50 ms controller cycle.
void runControllerCycle();
// Copies inputs into cells and output commands onto the relay words.
void exchangeIo();
// Refreshes the clock, darkens an idle display and paints the relay lamps.
void refreshRelayLamps();

// Returns the tables above to their process-start state.
void resetControllerTables();

} // namespace kv410
