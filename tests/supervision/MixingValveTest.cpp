#include "../ControllerFixture.h"

#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "supervision/MixingValve.h"
#include "tests/LibraryTestHooks.h"

namespace kv410 {
namespace {

class MixingValveTest : public ControllerTest {
protected:
    void SetUp() override {
        ControllerTest::SetUp();
        ControllerCells[ShuntNeutralZoneCell] = 30;
        ControllerCells[ValvePulseLengthCell] = 20;
        ControllerCells[ValveOpenIntervalCell] = 200;
        ControllerCells[ValveCloseIntervalCell] = 60;
    }
    // The 50 ms tick's part for the valve.
    void ticks(int count) {
        for (int t = 0; t < count; ++t) {
            if (ValveStepTimer != 0) {
                --ValveStepTimer;
            }
            if (ValvePulseTimer != 0) {
                --ValvePulseTimer;
            }
        }
    }
    int openRequest() { return ControllerCells[ValveOpenRequestCell]; }
    int closeRequest() { return ControllerCells[ValveCloseRequestCell]; }
};

TEST_F(MixingValveTest, StartCallHoldsTheClosedEnd) {
    ControllerCells[ValveOpeningMarkerCell] = 1;
    stepMixingValve(-1000);
    EXPECT_EQ(ValvePosition, 0);
    EXPECT_EQ(closeRequest(), 1);
    EXPECT_EQ(openRequest(), 0);
    EXPECT_EQ(ValvePulseTimer, 20);
    EXPECT_EQ(ValveStepTimer, 0);
    EXPECT_EQ(ControllerCells[ValveOpeningMarkerCell], 0);
}

TEST_F(MixingValveTest, OpensOneStepPerIntervalUpToTheOpenEnd) {
    int steps = 0;
    for (int t = 0; t < 200 * 61; ++t) {
        const int before = ValvePosition;
        stepMixingValve(100);
        if (ValvePosition != before) {
            ++steps;
            EXPECT_EQ(t % 200, 0) << "step at tick " << t;
            EXPECT_EQ(openRequest(), 1);
            EXPECT_EQ(ControllerCells[ValveMotionCell], 1);
            EXPECT_EQ(ControllerCells[ValveOpeningMarkerCell], 1);
            if (ValvePosition < 60) {
                EXPECT_EQ(ValvePulseTimer, 20);
                EXPECT_EQ(ValveStepTimer, 200);
            }
        }
        ControllerCells[ValveOpenRequestCell] = 0; // the exchange takes the request
        ticks(1);
    }
    EXPECT_EQ(steps, 60);
    EXPECT_EQ(ValvePosition, 60);
    stepMixingValve(100);
    EXPECT_EQ(openRequest(), 1);
    EXPECT_EQ(ValvePulseTimer, 20);
}

TEST_F(MixingValveTest, NeutralZone) {
    ValvePosition = 30;
    ControllerCells[ValveOpenRequestCell] = 1;
    ControllerCells[ValveMotionCell] = 1;
    for (int x : {15, -15}) {
        stepMixingValve(x);
        EXPECT_EQ(openRequest(), 0);
        EXPECT_EQ(closeRequest(), 0);
        EXPECT_EQ(ControllerCells[ValveMotionCell], 0);
    }
    ControllerCells[ShuntNeutralZoneCell] = 31;
    stepMixingValve(15);
    EXPECT_EQ(ValvePosition, 30);
    stepMixingValve(16);
    EXPECT_EQ(ValvePosition, 31);
}

TEST_F(MixingValveTest, ClosingStepWaitsForTheOpeningInterval) {
    ValvePosition = 30;
    stepMixingValve(100);
    ticks(199);
    stepMixingValve(-100);
    EXPECT_EQ(ValvePosition, 31);
    ticks(1);
    stepMixingValve(-100);
    EXPECT_EQ(ValvePosition, 30);
    EXPECT_EQ(closeRequest(), 1);
    EXPECT_EQ(openRequest(), 0);
    EXPECT_EQ(ControllerCells[ValveMotionCell], 2);
    EXPECT_EQ(ValveStepTimer, 60);
}

TEST_F(MixingValveTest, LongIntervalsKeepTheirLength) {
    ControllerCells[ValveOpenIntervalCell] = 1200; // a 60-minute run: one minute per step
    ControllerCells[ValvePulseLengthCell] = static_cast<int16_t>(0xFFF0);
    ValvePosition = 10;
    stepMixingValve(100);
    EXPECT_EQ(ValveStepTimer, 1200);
    EXPECT_EQ(ValvePulseTimer, 0xFFF0);
    ticks(1199);
    stepMixingValve(100);
    EXPECT_EQ(ValvePosition, 11);
    ticks(1);
    stepMixingValve(100);
    EXPECT_EQ(ValvePosition, 12);
}

} // namespace
} // namespace kv410
