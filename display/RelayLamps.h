// The ten relay lamps as the front shows them, painted from their relay I/O words.
#pragma once

#include <cstdint>

namespace kv410 {

// The I/O word of relay lamp Led1..Led10.
inline constexpr int RelayLampWords[10] = {12, 13, 14, 15, 17, 16, 18, 19, 20, 21};

// Relay lamp Led1..Led10 is painted lit.
extern bool RelayLampLit[10];
// Change counter of the lamps: bumped when a lamp changes, so a front-end repaints only then.
extern uint32_t LampsGeneration;

// Refreshes the clock, darkens an idle display and paints the relay lamps; once per cycle.
void refreshRelayLamps();
// Paints the ten relay lamps from their I/O words.
void paintRelayLamps();

// Returns the lamps to their process-start state.
void resetRelayLamps();

} // namespace kv410
