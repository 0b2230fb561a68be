// The selection screens: operating case and heater power, list choices and the extra sensors.
#pragma once

#include <cstdint>

namespace kv410 {

// Caret choice: the marked option, 1, 2 or 4 (another value marks none).
extern int8_t choice;
// Caret choice: the change key was pressed; only "Avbryt" is offered.
extern bool caretEditStarted;
// Caret choice: the knob has turned since; "Avbryt" and "Lagre" are offered.
extern bool caretKnobArmed;
// Caret choice: the 9 kW warning is on the display.
extern bool warningShown;

// List choice: the option on line 2.
extern int8_t listValue;
// List choice: the change key was pressed.
extern bool listEditStarted;
// List choice: the knob has turned since the change key.
extern bool listKnobArmed;

// Extra-sensor confirmation: the optional sensors detected on arrival, bits 3..6 of cell 56.
extern uint16_t detectedSensors;

// Config of the remote-heating entry for an external control function.
uint8_t remoteHeatingConfig(int32_t externalControl);

// Returns the selection screens' working state to its process-start state.
void resetSelectionState();

} // namespace kv410
