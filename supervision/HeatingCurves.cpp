#include "supervision/HeatingCurves.h"

#include "core/Memory.h"
#include "core/MemoryMap.h"

namespace kv410 {

namespace {

// Slope and parallel offset cells of curves 0 and 1.
constexpr int SlopeCell[CurveCount] = {HeatingCurveSlopeCell, ShuntCurveSlopeCell};
constexpr int OffsetCell[CurveCount] = {HeatingCurveOffsetCell, ShuntCurveOffsetCell};

} // namespace

int16_t curvePointSetpoint(uint8_t c, uint8_t k) {
    if (c >= CurveCount || k >= CurvePoints) {
        return CurveFloor;
    }
    const int32_t slope = ControllerCells[SlopeCell[c]];
    const int32_t offset = ControllerCells[OffsetCell[c]];
    const int32_t adjustment = ControllerCells[curveAdjustmentCell(c, k)];
    // Setpoint at -35 degrees on the straight line, and its fall per 10 degrees outdoors.
    const int32_t top = slope * 880 / 100 + CurveFloor;
    const int32_t fall = (top - CurveFloor) * 100 / 550;

    int32_t v;
    if (k == 0) {
        v = top + adjustment;
    } else if (k < CurvePoints - 1) {
        v = top - (fall * 50 * k) / 100 + adjustment;
    } else {
        v = CurveFloor + adjustment;
    }
    v += offset;

    if (slope != 0 && v > CurveCeiling) {
        v = CurveCeiling;
    }
    if (v < CurveFloor) {
        v = CurveFloor;
    }
    return static_cast<int16_t>(v);
}

} // namespace kv410
