// Manual operation of the relay outputs: the screen of one output in the service list.
#pragma once

namespace kv410 {

// Switches an output to its other state by hand, together with the outputs coupled to it: the
// valve's close output is the opposite of its open output, and the heat-carrier and brine pumps
// follow the compressor.
void toggleManualOutput(int ioWord);

// Kind 17: manual run of one output.
void screenManualRun();

} // namespace kv410
