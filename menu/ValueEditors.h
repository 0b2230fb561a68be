// The value editors: two-way choice, numeric editor, temperature readouts and curve points.
#pragma once

#include <cstdint>

namespace kv410 {

// Two-way choice: the marked line, 0 (line 2) or 1 (line 3).
extern int32_t choiceValue;
// Two-way choice: the change key was pressed.
extern bool choiceArmed;
// Two-way choice: the knob has turned since the change key.
extern bool choiceChanged;

// Numeric editor: the value being edited, in shown units.
extern int32_t editorValue;
// Numeric editor: length of the unit name behind the value.
extern uint8_t editorUnitLength;
// Numeric editor: OffMarker stands in place of the value.
extern bool offShown;
// Numeric editor: the change key was pressed.
extern bool editorArmed;
// Numeric editor: the knob has turned since the change key.
extern bool editorChanged;

// Curve point editor: the point's value being edited, in tenths.
extern int32_t curveValue;
// Curve point editor: the knob has turned.
extern bool curveChanged;

// The current node's lowest and highest value, as the signed values they stand for.
int32_t nodeMin();
int32_t nodeMax();
// value += knobSteps, knobSteps := 0, then clamped to the current node's limits.
void adjustByKnob(int32_t& value);
// The lowest value at the start of line 3 and the highest ending at column 20, each with `unit`.
void drawLimits(int32_t low, int32_t high, const char* unit);
// A value in the middle of line 3 by the current node's format, placed for a unit name of
// `unitLength` characters; returns the column the unit goes in.
int showValueField(int32_t value, int unitLength);
// A limit as text ("20", "-20"), tenths divided away for format 1; returns its length.
int formatLimit(char* out, int32_t value);
// The name of a unit code ("tim", the degree sign, "%"); returns its length.
int unitName(char* out, int unit);

// Returns the editors' working state to its process-start state.
void resetValueEditorState();

} // namespace kv410
