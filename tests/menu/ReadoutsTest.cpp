#include "MenuTestDriver.h"

#include "core/MemoryMap.h"
#include "menu/Readouts.h"

namespace kv410 {
namespace {

constexpr const char* BlankLine = "                    ";

// ---- operating times ------------------------------------------------------------------------

TEST_F(MenuTest, HeatPumpHoursAndSplitRoundTheirFractionsDifferently) {
    setAccessLevel(2);
    ControllerCells[HeatPumpHeatingHoursCell] = 10;
    ControllerCells[HeatPumpHeatingHoursCell + 1] = 6;
    ControllerCells[HeatPumpHotWaterHoursCell] = 5;
    ControllerCells[HeatPumpHotWaterHoursCell + 1] = 0;
    openUnder({7, 1});
    EXPECT_EQ(line(1), "___Varmepumpe Tim___");
    EXPECT_EQ(line(2), "        16tim       ");
    EXPECT_EQ(line(4), "Tilbake             ");

    openUnder({7, 2});
    EXPECT_EQ(line(2), "    32% VV   68% rad");

    // Two small fractions add an hour to the sum, but neither rounds up in the split.
    ControllerCells[HeatPumpHeatingHoursCell + 1] = 3;
    ControllerCells[HeatPumpHotWaterHoursCell + 1] = 3;
    openUnder({7, 1});
    EXPECT_EQ(line(2), "        16tim       ");
    openUnder({7, 2});
    EXPECT_EQ(line(2), "    34% VV   66% rad");
}

TEST_F(MenuTest, AuxiliaryHeatSplitUsesTheSummedFractionsForItsTotal) {
    setAccessLevel(2);
    ControllerCells[AuxHeatingHoursCell] = 3;
    ControllerCells[AuxHeatingHoursCell + 1] = 3;
    ControllerCells[AuxHotWaterHoursCell] = 1;
    ControllerCells[AuxHotWaterHoursCell + 1] = 3;
    openUnder({7, 3});
    EXPECT_EQ(line(2), "         5tim       ");
    // Total 3 + 1 + 1 = 5, space heating 3: 60 %.
    openUnder({7, 4});
    EXPECT_EQ(line(2), "    40% VV   60% rad");
}

TEST_F(MenuTest, OperatingTimesWithNothingRunShowZeroes) {
    setAccessLevel(2);
    openUnder({7, 2});
    EXPECT_EQ(line(2), "     0% VV    0% rad");
    openUnder({7, 4});
    EXPECT_EQ(line(2), "     0% VV    0% rad");
    openUnder({7, 1});
    EXPECT_EQ(line(2), "         0tim       ");
}

TEST_F(MenuTest, TotalOperatingTimeAndDegreeDays) {
    setAccessLevel(8);
    ControllerCells[TotalHoursCell] = static_cast<int16_t>(40000);
    ControllerCells[TotalHoursCell + 1] = 6;
    openUnder({7, 6});
    EXPECT_EQ(line(1), "___Total Driftstid__");
    // Hours are unsigned; a total beyond four digits shows its last four.
    EXPECT_EQ(line(2), "      0001tim       ");

    // The degree-day entry is never available; its screen still shows tenths.
    ControllerCells[DegreeDaysCell] = 1234;
    currentNode = entry({7, 5})->child;
    dispatchScreen();
    EXPECT_EQ(line(2), "       123,4        ");
}

// ---- countdown timers -----------------------------------------------------------------------

TEST_F(MenuTest, SecondTimerShowsHoursMinutesSecondsAndFollowsTheCountdown) {
    setAccessLevel(4);
    SecondTimers[1] = 3725;
    openUnder({6, 3});
    EXPECT_EQ(line(1), "_____Alarmtimer_____");
    EXPECT_EQ(line(2), " 1 tim  2 min  5 sek");
    EXPECT_EQ(line(4), "Tilbake             ");

    SecondTimers[1] = 3724;
    cycle();
    EXPECT_EQ(line(2), " 1 tim  2 min  4 sek");

    // A narrower number leaves no digit of the wider one behind.
    SecondTimers[1] = 600;
    cycle();
    EXPECT_EQ(line(2), " 0 tim 10 min  0 sek");
    SecondTimers[1] = 599;
    cycle();
    EXPECT_EQ(line(2), " 0 tim  9 min 59 sek");
}

TEST_F(MenuTest, MinuteTimerShowsDaysHoursMinutes) {
    setAccessLevel(4);
    MinuteTimers[0] = 1500;
    openUnder({6, 1});
    EXPECT_EQ(line(1), "___VV-Spetstimer____");
    EXPECT_EQ(line(2), " 1 dag  1 tim  0 min");
}

TEST_F(MenuTest, TimerFirstFieldIsClippedAtTheLeftEdge) {
    setAccessLevel(4);
    SecondTimers[2] = 45 * 3600 + 3 * 60 + 7;
    openUnder({6, 4});
    EXPECT_EQ(line(2), "45 tim  3 min  7 sek");

    // 123 hours: the field would start left of column 1; only its last two digits show.
    SecondTimers[2] = 123 * 3600;
    cycle();
    EXPECT_EQ(line(2), "23 tim  0 min  0 sek");
    SecondTimers[2] = 9 * 3600;
    cycle();
    EXPECT_EQ(line(2), " 9 tim  0 min  0 sek");
}

TEST(ClippedIntegerTest, WritesOnlyColumnsOneToTwenty) {
    resetControllerState();
    writeText(1, 1, "abcdefghijklmnopqrst");
    showClippedInteger(1, -2, 4567);
    EXPECT_EQ(std::string(LcdLines[0], 20), "67cdefghijklmnopqrst");
    // Left of the kept blank nothing is written.
    showClippedInteger(1, 3, 5);
    EXPECT_EQ(std::string(LcdLines[0], 20), "67cde 5hijklmnopqrst");
    // Nor right of column 20.
    showClippedInteger(1, 17, 42);
    EXPECT_EQ(std::string(LcdLines[0], 20), "67cde 5hijklmnopqr 4");
    resetControllerState();
}

// ---- live values and version ---------------------------------------------------------------

TEST_F(MenuTest, HeaterPowerShowsPercentAndTheConnectedPower) {
    setAccessLevel(4);
    ControllerCells[ConnectedPowerCell] = 2;
    ControllerCells[HeaterPowerCell] = 45;
    openUnder({8, 5});
    EXPECT_EQ(line(1), "__El-effekt I Drift_");
    EXPECT_EQ(line(2), "         45%        ");
    EXPECT_EQ(line(3), "     Effekt 6kW     ");

    ControllerCells[HeaterPowerCell] = 100;
    cycle();
    EXPECT_EQ(line(2), "        100%        ");

    // A connected power other than 1, 2 or 4 leaves line 3 blank.
    ControllerCells[ConnectedPowerCell] = 3;
    pressBack();
    pressEnter();
    EXPECT_EQ(line(3), BlankLine);
    ControllerCells[ConnectedPowerCell] = 4;
    pressBack();
    pressEnter();
    EXPECT_EQ(line(3), "     Effekt 9kW     ");
}

TEST_F(MenuTest, ValveMotionFollowsCell100) {
    setAccessLevel(4);
    ControllerCells[ValveMotionCell] = 2;
    openUnder({8, 6});
    EXPECT_EQ(line(1), "__Shuntens \xC5pning___");
    EXPECT_EQ(line(2), "     Stenger...     ");
    EXPECT_EQ(line(3), BlankLine);

    ControllerCells[ValveMotionCell] = 0;
    cycle();
    EXPECT_EQ(line(2), "    Nullsone...     ");
    ControllerCells[ValveMotionCell] = 1;
    cycle();
    EXPECT_EQ(line(2), "      \xC5pner...      ");
    // Any motion code beyond 2 reads as closing.
    ControllerCells[ValveMotionCell] = 7;
    cycle();
    EXPECT_EQ(line(2), "     Stenger...     ");
}

TEST_F(MenuTest, VersionShowsCell65AsDigitsWithAPoint) {
    setAccessLevel(4);
    openUnder({5, 12});
    EXPECT_EQ(line(1), "______Versjon_______");
    EXPECT_EQ(line(2), "        1.02        ");

    ControllerCells[ProgramVersionCell] = 7;
    dispatchScreen();
    EXPECT_EQ(line(2), "        0.07        ");
    // Four digits keep the hundreds digit a digit.
    ControllerCells[ProgramVersionCell] = 1234;
    dispatchScreen();
    EXPECT_EQ(line(2), "        2.34        ");
}

} // namespace
} // namespace kv410
