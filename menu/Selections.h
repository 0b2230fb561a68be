// The selection screens: operating case and heater power, list choices and the extra sensors.
#pragma once

#include <cstdint>

namespace kv410 {

// Config of the remote-heating entry for an external control function.
uint8_t remoteHeatingConfig(int32_t externalControl);

// Returns the selection screens' working state to its process-start state.
void resetSelectionState();

// Kind 14: the operating case and heater power selection.
void screenOperatingCaseSelection();
// Kind 21: choice from a list of option texts.
void screenListChoice();
// Kind 28: the extra sensor selection.
void screenExtraSensorSelection();

} // namespace kv410
