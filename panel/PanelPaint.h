// The two calls the controller makes into the panel: the relay-lamp painting of the cycle and the
// reset of the panel's fields. The whole panel API is in panel/FrontPanel.h.
#pragma once

namespace kv410 {

// Paints the ten relay lamps from their I/O words; the cycle calls it once per cycle.
void paintRelayLamps();

// Returns the panel's fields and paint state to their process-start state.
void resetPanelState();

} // namespace kv410
