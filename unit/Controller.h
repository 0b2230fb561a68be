// The controller's main program: boot, start-up set-up and the 50 ms cycle.
#pragma once

namespace kv410 {

// Runs once when the window is first shown.
void bootController();
// Fills the text-derived tables and resets the menu; at boot and at every switch-on.
void startupSetup();
// One 50 ms controller cycle.
void runControllerCycle();
// Copies inputs into cells and output commands onto the relay words.
void exchangeIo();

} // namespace kv410
