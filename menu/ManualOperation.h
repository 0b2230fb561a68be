// Manual operation of the relay outputs: the screen of one output in the service list.
#pragma once

namespace kv410 {

// I/O word of the shunt valve's open output.
inline constexpr int ShuntOpenOutput = 17;
// I/O word of the shunt valve's close output, the opposite of the open output by hand.
inline constexpr int ShuntCloseOutput = 16;
// I/O word of the compressor output; the two pumps below follow it when it is switched by hand.
inline constexpr int CompressorOutput = 13;
// I/O word of the heat-carrier pump P2.
inline constexpr int HeatCarrierPumpOutput = 19;
// I/O word of the brine pump P3.
inline constexpr int BrinePumpOutput = 12;

// Switches an output to its other state by hand, together with the outputs coupled to it.
void toggleManualOutput(int ioWord);

} // namespace kv410
