// The value editors: two-way choice, numeric editor, temperature readouts and curve points.
#pragma once

#include "menu/MenuTree.h"

#include <cstdint>

namespace kv410 {

// The settings whose lowest (cell 89) or highest (cells 83 and 117) value stands for off.
bool offAtLowestValue(uint32_t cell);
bool offAtHighestValue(uint32_t cell);
// A numeric editor's cell in the units it shows, by the node's format (minutes as days, ...).
int32_t shownSettingValue(const MenuNode& node);
// A value in shown units as the cell stores it.
int32_t storedSettingValue(const MenuNode& node, int32_t shown);
// Stores a value in shown units as the numeric editor of the node saves it: the cell, its flash
// word and the settings that follow from it (valve limits and timings, countdowns, dead zone).
void saveEditedValue(const MenuNode& node, int32_t shown);
// The cell that holds the correction of a curve point node (kinds 7 and 8).
int curvePointCorrectionCell(const MenuNode& node);
// The value a curve point node shows, tenths of a degree.
int32_t curvePointValue(const MenuNode& node);
// Stores a curve point as its editor does: the correction that makes the point this value.
void saveCurvePointValue(const MenuNode& node, int32_t value);

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

// Kind 1: choice between the node's line 2 and line 3.
void screenTwoWayChoice();
// Kind 2: a read-only value on line 2.
void screenReadOnlyValue();
// Kind 4: a temperature with its set point, redrawn on change.
void screenTemperatureReadout();
// Kinds 5, 6, 15 and 16: the numeric editor with its bar or marker.
void screenNumericEditor();
// Kind 7: one heating-curve point and the next.
void screenCurvePointReadout();
// Kind 8: the editor of one heating-curve point.
void screenCurvePointEditor();

} // namespace kv410
