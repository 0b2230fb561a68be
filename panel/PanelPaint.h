// What a front-end paints: the panel's paint state, kept by the toolkit-free panel logic.
#pragma once

namespace kv410 {

// Paints the ten relay lamps from I/O words 12..21; the cycle calls it once per cycle.
void paintRelayLamps();

} // namespace kv410

namespace kv410 {

// Returns the panel's fields and paint state to their process-start state.
void resetPanelState();

} // namespace kv410
