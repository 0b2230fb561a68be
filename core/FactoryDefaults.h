// Factory values of the parameters and the mixing-valve timings derived from them.
#pragma once

namespace kv410 {

// Gives every parameter cell its factory value and writes cells 0..478 to the flash image.
void loadFactoryDefaults();
// Computes cells 101..105 from cells 66, 67 and 68 and writes them through.
void deriveValveTimings();

} // namespace kv410
