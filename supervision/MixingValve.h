// Step control of the three-point mixing valve SV1.
#pragma once

#include <cstdint>

namespace kv410 {

// 50 ms ticks until the next step may start (16 bits, so long ramp times keep their length).
extern uint16_t ValveStepTimer;
// 50 ms ticks until the current relay pulse ends.
extern int32_t ValvePulseTimer;

// One step decision for the control deviation x (tenths of a degree; positive opens).
void stepMixingValve(int32_t x);

// Returns the valve state to its process-start state.
void resetValveState();

} // namespace kv410
