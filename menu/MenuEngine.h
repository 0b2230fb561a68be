// The menu engine: moves currentNode through the tree and runs the screen of the current node.
#pragma once

namespace kv410 {

// One engine pass; the controller cycle calls it while the unit is on.
void runMenuEngine();
// Resets the menu state; the last step of the start-up set-up.
void resetMenu();

// Returns the engine state to its process-start state.
void resetMenuEngineState();

} // namespace kv410
