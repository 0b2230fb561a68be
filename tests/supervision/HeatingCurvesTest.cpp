#include "../ControllerFixture.h"

#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "supervision/HeatingCurves.h"

#include <vector>

namespace kv410 {
namespace {

class HeatingCurvesTest : public ControllerTest {
protected:
    void SetUp() override {
        ControllerTest::SetUp();
        ControllerCells[HeatingCurveSlopeCell] = 40;
        ControllerCells[ShuntCurveSlopeCell] = 40;
    }
    std::vector<int> curve(uint8_t c) {
        std::vector<int> points;
        for (uint8_t k = 0; k < CurvePoints; ++k) {
            points.push_back(curvePointSetpoint(c, k));
        }
        return points;
    }
};

TEST_F(HeatingCurvesTest, FactoryCurve) {
    const std::vector<int> factory = {552, 520, 488, 456, 424, 392, 360, 328, 296, 264, 232, 200};
    EXPECT_EQ(curve(0), factory);
    EXPECT_EQ(curve(1), factory);
}

TEST_F(HeatingCurvesTest, SlopeExtremes) {
    ControllerCells[HeatingCurveSlopeCell] = 0;
    EXPECT_EQ(curve(0), std::vector<int>(12, 200));
    ControllerCells[HeatingCurveSlopeCell] = 100;
    EXPECT_EQ(curvePointSetpoint(0, 0), 1080);
    EXPECT_EQ(curvePointSetpoint(0, 10), 280);
    EXPECT_EQ(curvePointSetpoint(0, 11), 200);
}

TEST_F(HeatingCurvesTest, AdjustmentsAndOffsetBelongToTheirCurve) {
    ControllerCells[FirstCurvePointCell + 2 * 3 + 1] = 50; // curve 1, point 3
    ControllerCells[LastCurvePointCell] = 15;              // curve 1, point 11
    ControllerCells[ShuntCurveOffsetCell] = -8;            // curve 1 offset
    EXPECT_EQ(curvePointSetpoint(1, 3), 456 + 50 - 8);
    EXPECT_EQ(curvePointSetpoint(1, 11), 207);
    EXPECT_EQ(curvePointSetpoint(1, 2), 480);
    EXPECT_EQ(curvePointSetpoint(0, 3), 456);
}

TEST_F(HeatingCurvesTest, Limits) {
    ControllerCells[FirstCurvePointCell] = 600; // point 0 pushed to 1152
    EXPECT_EQ(curvePointSetpoint(0, 0), 1080);
    ControllerCells[10] = -400; // point 1 pushed below the floor
    EXPECT_EQ(curvePointSetpoint(0, 1), 200);
    ControllerCells[HeatingCurveSlopeCell] = 0; // no ceiling without a slope
    EXPECT_EQ(curvePointSetpoint(0, 0), 800);
    ControllerCells[HeatingCurveSlopeCell] = 100;
    ControllerCells[FirstCurvePointCell] = -32768; // a negative sum
    EXPECT_EQ(curvePointSetpoint(0, 0), 200);
    ControllerCells[HeatingCurveSlopeCell] =
        32767; // a slope beyond the menu's range stays within the limits
    EXPECT_EQ(curvePointSetpoint(0, 5), 1080);
    EXPECT_EQ(curvePointSetpoint(2, 0), 200);
    EXPECT_EQ(curvePointSetpoint(0, 12), 200);
}

} // namespace
} // namespace kv410
