// Process state as a whole.
#pragma once

namespace kv410 {

// Returns every piece of process state to what it is when the process starts.
void resetControllerState();

} // namespace kv410
