#include "ControllerFixture.h"

#include "core/FactoryDefaults.h"
#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "unit/Controller.h"

namespace kv410 {
namespace {

constexpr int FirstAlarmSlotCell = 223;

using FactoryDefaultsTest = ControllerTest;

TEST_F(FactoryDefaultsTest, FactoryValuesMakeAnImageThatTheNextBootLoadsBack) {
    loadFactoryDefaults();
    // A few worked values: heating level 4,0, room temperature 20,0 degrees, operating case A,
    // the auxiliary-heat and outdoor blocks off ("Ikke Akt" at either end).
    EXPECT_EQ(ControllerCells[HeatingCurveSlopeCell], 40);
    EXPECT_EQ(ControllerCells[RoomTemperatureSetCell], 200);
    EXPECT_EQ(ControllerCells[ConfigurationCell], 1);
    EXPECT_EQ(ControllerCells[AuxHeatBlockCell], 201);
    EXPECT_EQ(FlashImage[HeatPumpBlockOutdoorCell], 0xFF37);

    int16_t factory[ParameterCellCount];
    for (int cell = 0; cell < ParameterCellCount; ++cell) {
        factory[cell] = ControllerCells[cell];
        ASSERT_EQ(FlashImage[cell], static_cast<uint16_t>(factory[cell])) << "flash word " << cell;
    }
    // The image carries the signature, so a boot takes the values from the flash, not the table.
    for (int cell = 0; cell < ParameterCellCount; ++cell) {
        ControllerCells[cell] = 0;
    }
    FlashImage[RoomTemperatureSetCell] = 215;
    bootController();
    EXPECT_EQ(ControllerCells[RoomTemperatureSetCell], 215);
    // The settings (the alarm slots from cell 223 on are the supervision's); the boot itself
    // writes the installation cell, the version, the heater power and the on flag.
    for (int cell = 0; cell < FirstAlarmSlotCell; ++cell) {
        if (cell != 33 && cell != 55 && cell != 65 && cell != 108 && cell != 116) {
            EXPECT_EQ(ControllerCells[cell], factory[cell]) << "cell " << cell;
        }
    }
}

TEST_F(FactoryDefaultsTest, OverwritesListedCellsAndKeepsUnlistedOnes) {
    for (int cell = 0; cell < ParameterCellCount; ++cell) {
        ControllerCells[cell] = 77;
    }
    ControllerCells[300] = 0x0123; // an alarm slot stays as it stands and reaches the flash
    loadFactoryDefaults();
    for (int cell = 8; cell <= 31; ++cell) {
        EXPECT_EQ(ControllerCells[cell], 0) << "curve point " << cell;
    }
    for (int cell = 118; cell <= 222; ++cell) {
        EXPECT_EQ(ControllerCells[cell], 0) << "time program " << cell;
    }
    for (int cell : {5, 56, 65, 69, 81, 84, 87, 99, 100, 106, 108, 116, 223, 478}) {
        EXPECT_EQ(ControllerCells[cell], 77) << "cell " << cell;
        EXPECT_EQ(FlashImage[cell], 77) << "flash word " << cell;
    }
    EXPECT_EQ(FlashImage[300], 0x0123);
    EXPECT_EQ(ControllerCells[7], 30);
    EXPECT_EQ(ControllerCells[ShuntNeutralZoneCell], 30);
    EXPECT_EQ(FlashImage[479], 0);
}

TEST_F(FactoryDefaultsTest, DerivedValveTimingsCountWholeStepsOnly) {
    struct Case {
        int16_t rampOpen, rampClose, openingTime;
        int16_t c101, c102, c103, c104, c105;
    };
    const Case cases[] = {
        {600, 180, 60, 20, 200, 60, 1, 3},
        {90, 90, 600, 200, 20, 20, 6, 6},  // 90 s ramps: whole minutes only, 20 ticks
        {0, 0, 0, 0, 0, 0, 0, 0},          // zero divisors leave 104 and 105 at 0
        {3600, 59, 1, 0, 1200, 0, 0, 10},  // under a minute gives no interval
        {-1, 600, 7, 2, 21840, 200, 0, 1}, // cells read unsigned: 65535 s
    };
    for (const Case& c : cases) {
        ControllerCells[RampOpenCell] = c.rampOpen;
        ControllerCells[RampCloseCell] = c.rampClose;
        ControllerCells[OpeningTimeCell] = c.openingTime;
        deriveValveTimings();
        const int16_t got[] = {
            ControllerCells[ValvePulseLengthCell], ControllerCells[ValveOpenIntervalCell],
            ControllerCells[ValveCloseIntervalCell], ControllerCells[ValveOpenRateCell],
            ControllerCells[ValveCloseRateCell]};
        const int16_t want[] = {c.c101, c.c102, c.c103, c.c104, c.c105};
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(got[i], want[i]) << "cell " << 101 + i << " for ramps " << c.rampOpen << "/"
                                       << c.rampClose << " opening " << c.openingTime;
            EXPECT_EQ(FlashImage[ValvePulseLengthCell + i], static_cast<uint16_t>(want[i]));
        }
    }
}

} // namespace
} // namespace kv410
