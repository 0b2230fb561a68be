// The two heating curves: flow-temperature setpoints for twelve outdoor temperatures.
#pragma once

#include "core/MemoryMap.h"

#include <cstdint>

namespace kv410 {

// Curves: 0 heating circuit, 1 mixing-valve circuit. Points: outdoor -35 + 5k degrees.
inline constexpr int CurveCount = 2;
inline constexpr int CurvePoints = 12;
// Lowest and highest setpoint, tenths of a degree.
inline constexpr int CurveFloor = 200;
inline constexpr int CurveCeiling = 1080;

// Cell of the adjustment of point k (0..11) of curve c (0..1).
inline int curveAdjustmentCell(int c, int k) {
    return k == CurvePoints - 1 ? LastCurvePointCell - 1 + c : FirstCurvePointCell + 2 * k + c;
}

// Setpoint of point k (0..11) of curve c (0..1), tenths of a degree; a point outside the
// curves reads as the lowest setpoint.
int16_t curvePointSetpoint(uint8_t c, uint8_t k);

} // namespace kv410
