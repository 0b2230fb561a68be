#include "MenuTestDriver.h"

#include "core/MemoryMap.h"
#include "menu/TimeProgramScreens.h"
#include "tests/LibraryTestHooks.h"

namespace kv410 {
namespace {

TEST(BcdStepping, CarriesAndBorrowsBetweenTheDigits) {
    EXPECT_EQ(stepBcd(0x09, true), 0x10);
    EXPECT_EQ(stepBcd(0x19, true), 0x20);
    EXPECT_EQ(stepBcd(0x10, false), 0x09);
    EXPECT_EQ(stepBcd(0x00, false), 0xF9);
    EXPECT_EQ(stepBcd(0x41, false), 0x40);
}

TEST(BcdStepping, WrapsAtTheEndsOfEachField) {
    EXPECT_EQ(stepBcdWrapping(0x23, true, 0x23), 0x00);
    EXPECT_EQ(stepBcdWrapping(0x00, false, 0x23), 0x23);
    EXPECT_EQ(stepBcdWrapping(0x59, true, 0x59), 0x00);
    EXPECT_EQ(stepBcdWrapping(0x00, false, 0x59), 0x59);
    // The stop hour reaches 24 before it wraps.
    EXPECT_EQ(stepBcdWrapping(0x23, true, 0x24), 0x24);
    EXPECT_EQ(stepBcdWrapping(0x24, true, 0x24), 0x00);
    EXPECT_EQ(stepBcdWrapping(0x00, false, 0x24), 0x24);
    // A value beyond its field (from a damaged cell) comes back into it.
    EXPECT_EQ(stepBcdWrapping(0x40, true, 0x23), 0x00);
    EXPECT_EQ(stepBcdWrapping(0x40, false, 0x23), 0x23);
}

// The host clock starts on Saturday 2026-03-14 12:15:20.
class TimeProgramScreenTest : public MenuTest {
protected:
    // Opens the program under the n-th node of entry 4 (1 heat pump, 3 auxiliary heat, 4 hot
    // water).
    void openProgram(int n) {
        IoWords[AccessLevelWord] = 4;
        cycle();
        endMessage();
        openUnder({4, n});
    }
    // From the day view: the day editor, moved on to field 8 + steps.
    void openTimeField(int steps) {
        pressEnter();
        for (int i = 0; i <= steps; ++i) {
            pressEnter();
        }
    }
};

TEST_F(TimeProgramScreenTest, DayViewStopsAtMondayAndSunday) {
    openProgram(1);
    EXPECT_EQ(line(1), "__Tidsstyring VP___1");
    EXPECT_EQ(line(2), "ma      00:00-00:00 ");
    EXPECT_EQ(line(3).substr(0, 8), "        ");
    EXPECT_EQ(line(4), "Tilbake        Endre");
    turn(-1);
    EXPECT_EQ(line(1).back(), '1');
    turn(10);
    EXPECT_EQ(line(1).back(), '7');
    EXPECT_EQ(line(2).substr(0, 2), "so");
    EXPECT_EQ(selectedProgramDay, 6);

    pressBack(); // leaving with the back key starts again on Monday
    EXPECT_EQ(selectedProgramDay, 0);
    EXPECT_EQ((menuFlags & EditingFlag), 0);
}

TEST_F(TimeProgramScreenTest, SwitchingWednesdayOnStoresItsBit) {
    openProgram(1);
    turn(2);
    pressEnter();
    EXPECT_TRUE(dayEditorOpen);
    EXPECT_EQ(line(3), "^                   ");
    EXPECT_EQ(line(4), "Avbryt           -> ");
    turn(1);
    EXPECT_EQ(line(2).substr(0, 2), "On");
    for (int i = 0; i < 4; ++i) {
        pressEnter();
    }
    EXPECT_EQ(line(3), "                 ^^ ");
    EXPECT_EQ(line(4), "Avbryt   <-    Lagre");
    pressEnter();
    EXPECT_EQ(line(2), "      Lagrer...     ");
    EXPECT_EQ(ControllerCells[ProgramMaskCell + 2], 4);
    EXPECT_EQ(FlashImage[ProgramMaskCell + 2], 4);

    endMessage(); // the day view again, now with the day's word
    EXPECT_FALSE(dayEditorOpen);
    EXPECT_EQ(line(2), "On      00:00-00:00 ");
    EXPECT_EQ(line(3).substr(0, 3), "Fra"); // a Saturday
}

TEST_F(TimeProgramScreenTest, StopHourCountsTo24AndForcesMinuteZero) {
    ControllerCells[ProgramStopHourCell] = 0x23;
    ControllerCells[ProgramStopMinuteCell] = 0x30;
    openProgram(1);
    openTimeField(2);
    EXPECT_EQ(line(3), "              ^^    ");
    turn(1);
    EXPECT_EQ(line(2).substr(14, 2), "24");
    turn(1);
    EXPECT_EQ(line(2).substr(14, 2), "00");
    turn(-1);
    EXPECT_EQ(line(2).substr(14, 2), "24");
    pressEnter();
    turn(-1);
    EXPECT_EQ(line(2).substr(8, 11), "00:00-24:00");
    EXPECT_EQ(dayEditorStopMinute, 0x00);

    for (int i = 0; i < 4; ++i) {
        pressMiddle(); // down to the start hour, then back to the day switch
    }
    EXPECT_EQ(dayEditorField, 1);
    EXPECT_EQ(line(3), "^                   ");
}

TEST_F(TimeProgramScreenTest, StartFieldsWrapAndCancelStoresNothing) {
    ControllerCells[ProgramStartHourCell] = 0x23;
    ControllerCells[ProgramStartMinuteCell] = 0x10;
    openProgram(1);
    openTimeField(0);
    turn(1);
    EXPECT_EQ(line(2).substr(8, 2), "00");
    pressEnter();
    turn(-1);
    EXPECT_EQ(line(2).substr(11, 2), "09");
    pressBack();
    cycle();
    EXPECT_EQ(ControllerCells[ProgramStartHourCell], 0x23);
    EXPECT_EQ(ControllerCells[ProgramStartMinuteCell], 0x10);
    EXPECT_EQ(FlashImage[ProgramStartHourCell], 0);
    EXPECT_EQ(line(2), "ma      23:10-00:00 ");
    EXPECT_EQ(line(4), "Tilbake        Endre");
}

TEST_F(TimeProgramScreenTest, OvernightWindowShowsTilUntilItsStop) {
    const int e = 14 + 2; // hot water, Wednesday
    ControllerCells[ProgramMaskCell + e] = 4;
    ControllerCells[ProgramStartHourCell + e] = 0x22;
    ControllerCells[ProgramStopHourCell + e] = 0x06;
    host.setClock(2026, 12, 9, 23, 0, 5);
    cycle();
    openProgram(4);
    turn(2);
    EXPECT_EQ(line(3).substr(0, 3), "Til");
    host.setClock(2026, 12, 10, 5, 59, 6);
    cycle(2);
    EXPECT_EQ(line(3).substr(0, 3), "Til");
    host.setClock(2026, 12, 10, 6, 0, 7);
    cycle(2);
    EXPECT_EQ(line(3).substr(0, 3), "Fra");
}

} // namespace
} // namespace kv410
