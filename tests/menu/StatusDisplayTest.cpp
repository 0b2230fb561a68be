#include "MenuTestDriver.h"

#include "core/MemoryMap.h"
#include "display/TextTable.h"
#include "menu/StatusDisplay.h"

namespace kv410 {
namespace {

class StatusDisplayTest : public MenuTest {
protected:
    // Shows status page p with the middle key on the main display.
    void showPage(int p) {
        ControllerCells[StatusPageIndexCell] = static_cast<int16_t>(p);
        pressMiddle();
    }
    // Sensor cells 521..531 follow their input words at every cycle.
    void setSensor(int cell, int16_t value) {
        IoWords[FirstSensorWord + cell - Gt1Cell] = static_cast<uint16_t>(value);
        cycle();
    }
};

TEST_F(StatusDisplayTest, PagesOutsideTheTableShowPageZero) {
    showPage(0);
    EXPECT_EQ(line(1), TextTable[540]);
    EXPECT_EQ(line(4), TextTable[553]);
    ControllerCells[StatusPageIndexCell] = 26;
    cycle();
    EXPECT_EQ(line(1), TextTable[540]);
    EXPECT_EQ(line(2), TextTable[551]);
    ControllerCells[StatusPageIndexCell] = -1;
    cycle();
    EXPECT_EQ(line(2), TextTable[551]);
    ControllerCells[StatusPageIndexCell] = 18;
    cycle();
    EXPECT_EQ(line(2), TextTable[571]);
}

TEST_F(StatusDisplayTest, CountdownFollowsTheTimer) {
    SecondTimers[2] = 45;
    showPage(1);
    EXPECT_EQ(line(3), "om   45 sekunder    ");
    SecondTimers[2] = 9;
    cycle();
    EXPECT_EQ(line(3), "om    9 sekunder    "); // the blank before the digit covers the 4
    SecondTimers[2] = 0;
    cycle();
    EXPECT_EQ(line(3), "om    0 sekunder    ");
}

TEST_F(StatusDisplayTest, SensorOutsideItsRangeShowsDashes) {
    ControllerCells[112] = 225;
    setSensor(521, -400);
    showPage(3);
    EXPECT_EQ(line(3), "Stopp temp     22,5\xBA");
    EXPECT_EQ(line(4), "N\xE5v\xE6rende tem -40,0\xBA");
    setSensor(521, -401);
    cycle();
    EXPECT_EQ(line(4), "N\xE5v\xE6rende tem   --  ");
    setSensor(521, 1400);
    cycle();
    EXPECT_EQ(line(4), "N\xE5v\xE6rende tem 140,0 ");
    setSensor(521, 1401);
    cycle();
    EXPECT_EQ(line(4), "N\xE5v\xE6rende tem   --- ");
}

TEST_F(StatusDisplayTest, HolidayPageShowsTheRoomSensorOnlyWhenInstalled) {
    ControllerCells[RoomTemperatureSetCell] = 215;
    setSensor(525, 198);
    showPage(15);
    EXPECT_EQ(line(1), TextTable[548]);
    EXPECT_EQ(line(3), "Stopp temp     21,5\xBA");
    EXPECT_EQ(line(4), "N\xE5v\xE6rende temp 19,8\xBA");

    pressMiddle(); // any key leaves the status view
    EXPECT_EQ(menuFlags2 & StatusViewOnFlag, 0);
    EXPECT_EQ(line(4), TextTable[431]);

    ControllerCells[ConfigurationCell] = 0x1F;
    showPage(16);
    EXPECT_EQ(line(2), TextTable[558]);
    EXPECT_EQ(line(4), TextTable[123]);
    setSensor(525, 205);
    cycle();
    EXPECT_EQ(line(4), TextTable[123]);
}

TEST_F(StatusDisplayTest, HotWaterPageRedrawsOnItsOwnCellOnly) {
    ControllerCells[HotWaterTemperatureSetCell] = 500;
    ControllerCells[HotWaterDifferenceCell] = 50;
    ControllerCells[HotWaterTemperatureCell] = 480;
    showPage(5);
    EXPECT_EQ(line(3), "Stopp temp     52,5\xBA");
    EXPECT_EQ(line(4), "N\xE5v\xE6rende temp 48,0\xBA");
    ControllerCells[HotWaterDifferenceCell] = 100;
    cycle();
    EXPECT_EQ(line(3), "Stopp temp     52,5\xBA");
    ControllerCells[HotWaterTemperatureSetCell] = 510;
    cycle();
    EXPECT_EQ(line(3), "Stopp temp     56,0\xBA");
}

TEST_F(StatusDisplayTest, RemoteHeatingPageAddsEightTenths) {
    ControllerCells[RemoteHeatingCell] = 150;
    showPage(24);
    EXPECT_EQ(line(3), "Stopp temp     15,8\xBA");
}

} // namespace
} // namespace kv410
