#include "MenuTestDriver.h"

#include "core/MemoryMap.h"
#include "menu/AlarmDisplay.h"
#include "supervision/Alarms.h"
#include "tests/LibraryTestHooks.h"

namespace kv410 {
namespace {

constexpr const char* Unacknowledged = "       Info Kvittere";
constexpr const char* Acknowledged = "       Info ********";

// Latching alarms (class 0) whose inputs the tests hold: MB2 needs the brine pump, LP the
// compressor command, HP nothing.
constexpr uint8_t Mb2Alarm = 12;
constexpr uint8_t LpAlarm = 13;
constexpr uint8_t HpAlarm = 14;
constexpr int Gt1Word = FirstSensorWord;
constexpr int Gt2Word = FirstSensorWord + 1;

class AlarmDisplayTest : public MenuTest {
protected:
    // Raises alarm n between two cycles, as the supervision does, and lets the engine open
    // the alarm display.
    void raise(uint8_t n) {
        raiseAlarm(n);
        cycle();
    }
    static MenuNode* alarmDisplay() { return &MenuNodes[NodeAlarmDisplay]; }
    static MenuNode* helpPages() { return &MenuNodes[NodeAlarmHelp]; }
};

TEST_F(AlarmDisplayTest, OneAlarmIsShownUntilAcknowledgedThenThePreviousScreenReturns) {
    pressEnter();
    MenuNode* previous = currentNode;
    const std::string previousLine2 = line(2);

    raise(LpAlarm);
    EXPECT_EQ(currentNode, alarmDisplay());
    EXPECT_EQ(alarmDisplay()->parent, previous);
    EXPECT_EQ(line(1), "ALARM           (LP)");
    EXPECT_EQ(line(2), "   Pressostat lav   ");
    EXPECT_EQ(line(3), "  260314 12:15:20   ");
    EXPECT_EQ(line(4), Unacknowledged);
    EXPECT_EQ(IoWords[AlarmLedWord], 2);

    // The back key and further cycles leave the alarm on the display.
    pressBack();
    cycle(3);
    EXPECT_EQ(currentNode, alarmDisplay());
    EXPECT_EQ(line(1), "ALARM           (LP)");

    pressEnter();
    EXPECT_EQ(currentNode, previous);
    cycle();
    EXPECT_EQ(line(2), previousLine2);
    // The latched alarm has gone with its fault: the next pass removed it.
    EXPECT_EQ(ActiveAlarmList[0], NoAlarm);
    EXPECT_EQ(IoWords[AlarmLedWord], 0);
}

TEST_F(AlarmDisplayTest, RaiseTimeIsShownDigitByDigitFromTheSlot) {
    raise(LpAlarm);
    ControllerCells[AlarmYearCell + LpAlarm] = 0x26;
    ControllerCells[AlarmMonthCell + LpAlarm] = 0x12;
    ControllerCells[AlarmDayCell + LpAlarm] = 0x06;
    ControllerCells[AlarmHourCell + LpAlarm] = 0x12;
    ControllerCells[AlarmMinuteCell + LpAlarm] = 0x15;
    ControllerCells[AlarmSecondCell + LpAlarm] = 0x20;
    drawAlarm(LpAlarm);
    EXPECT_EQ(line(3), "  261206 12:15:20   ");
}

TEST_F(AlarmDisplayTest, AcknowledgingOneOfTwoSwitchesToTheOtherAndTheKnobReachesBoth) {
    IoWords[HpInputWord] = 1; // HP stays faulty, so its alarm stays after acknowledgement
    raise(LpAlarm);
    raise(HpAlarm);
    EXPECT_EQ(line(1), "ALARM           (HP)");
    EXPECT_EQ(line(4), Unacknowledged);

    pressEnter();
    EXPECT_EQ(currentNode, alarmDisplay());
    EXPECT_EQ(line(1), "ALARM           (LP)");
    EXPECT_EQ(line(4), Unacknowledged);

    turn(-1);
    EXPECT_EQ(line(1), "ALARM           (HP)");
    EXPECT_EQ(line(4), Acknowledged);
    EXPECT_EQ(IoWords[AlarmLedWord], 2);

    // Acknowledging an acknowledged alarm goes on to the one still waiting.
    pressEnter();
    EXPECT_EQ(line(1), "ALARM           (LP)");
    pressEnter();
    EXPECT_NE(currentNode, alarmDisplay());
    cycle();
    EXPECT_EQ(ActiveAlarmList[0], HpAlarm);
    EXPECT_EQ(ActiveAlarmList[1], NoAlarm);
    EXPECT_EQ(IoWords[AlarmLedWord], 1);
}

TEST_F(AlarmDisplayTest, KnobStepsThroughThreeAlarmsAndStopsAtBothEnds) {
    raise(Mb2Alarm);
    raise(LpAlarm);
    raise(HpAlarm);
    EXPECT_EQ(currentNode, alarmDisplay());
    EXPECT_EQ(alarmDisplay()->parent, &MenuNodes[NodeRoot]);
    EXPECT_EQ(line(1), "ALARM           (HP)");

    turn(1);
    EXPECT_EQ(line(1), "ALARM           (LP)");
    turn(5); // one step per run, however far the knob turned
    EXPECT_EQ(line(1), "ALARM          (MB2)");
    EXPECT_EQ(knobSteps, 0);
    turn(1);
    EXPECT_EQ(line(1), "ALARM          (MB2)");
    EXPECT_EQ(selectedIndex, 2);

    turn(-1);
    EXPECT_EQ(line(1), "ALARM           (LP)");
    turn(-1);
    turn(-1);
    EXPECT_EQ(line(1), "ALARM           (HP)");
    EXPECT_EQ(selectedIndex, 0);
}

TEST_F(AlarmDisplayTest, SelfResettingAlarmClearedWhileShownGivesWayToItsNeighbour) {
    IoWords[Gt1Word] = static_cast<uint16_t>(-500);
    IoWords[Gt2Word] = static_cast<uint16_t>(-500);
    raise(0);
    raise(1);
    EXPECT_EQ(line(1), "ALARM          (GT2)");

    // GT2, shown at the head of the list, comes back: GT1 moves into its place.
    IoWords[Gt2Word] = 200;
    cycle(2);
    EXPECT_EQ(currentNode, alarmDisplay());
    EXPECT_EQ(line(1), "ALARM          (GT1)");

    IoWords[Gt2Word] = static_cast<uint16_t>(-500);
    raise(1);
    turn(1);
    EXPECT_EQ(line(1), "ALARM          (GT1)");
    // GT1, shown as the last entry, comes back: the one before it is shown.
    IoWords[Gt1Word] = 200;
    cycle(2);
    EXPECT_EQ(line(1), "ALARM          (GT2)");
    EXPECT_EQ(selectedIndex, 0);

    // The last one resets itself too: nothing is left to acknowledge and the display closes.
    IoWords[Gt2Word] = 200;
    cycle(2);
    EXPECT_NE(currentNode, alarmDisplay());
}

TEST_F(AlarmDisplayTest, HelpPagesReturnToTheSameAlarm) {
    raise(LpAlarm);
    raise(HpAlarm);
    turn(1);
    EXPECT_EQ(line(1), "ALARM           (LP)");

    pressMiddle();
    cycle();
    EXPECT_EQ(currentNode, helpPages());
    EXPECT_EQ(helpPages()->cell, LpAlarm);
    EXPECT_EQ(helpPages()->parent, alarmDisplay());
    EXPECT_EQ(line(1), "Pressostat lav      ");

    for (int page = 0; page < 4; ++page) {
        turn(1);
    }
    EXPECT_EQ(line(4), "Avbryt              ");
    pressBack();
    EXPECT_EQ(currentNode, alarmDisplay());
    cycle();
    EXPECT_EQ(line(1), "ALARM           (LP)");
    EXPECT_EQ(line(4), Unacknowledged);

    // The selection is still on LP: acknowledging it leaves HP.
    pressEnter();
    EXPECT_EQ(line(1), "ALARM           (HP)");
}

TEST_F(AlarmDisplayTest, NeverReturnsIntoTheHelpPagesItOpened) {
    IoWords[Gt1Word] = static_cast<uint16_t>(-500);
    raise(0);
    pressMiddle();
    ASSERT_EQ(currentNode, helpPages());
    // While the help pages are read, GT1 recovers and a new alarm comes up: the engine gives
    // the alarm display the help pages as the way back.
    IoWords[Gt1Word] = 200;
    cycle();
    raise(LpAlarm);
    ASSERT_EQ(currentNode, alarmDisplay());
    pressEnter();
    EXPECT_EQ(currentNode, &MenuNodes[NodeRoot]);
}

TEST_F(AlarmDisplayTest, AlarmWithoutTextsIsShownPlainAndCanBeAcknowledged) {
    // A latched slot beyond the known alarms, as a damaged flash image can hold it.
    constexpr uint8_t Stray = 25;
    ControllerCells[AlarmFlagsCell + Stray] = AlarmActiveBit;
    ControllerCells[AlarmClassCell + Stray] = 0;
    initAlarmSupervision();
    raise(LpAlarm);
    pressEnter();
    EXPECT_EQ(currentNode, alarmDisplay());
    EXPECT_EQ(line(1), "ALARM               ");
    EXPECT_EQ(line(2), "                    ");
    EXPECT_EQ(line(4), Unacknowledged);

    pressMiddle(); // no help pages for it
    EXPECT_EQ(currentNode, alarmDisplay());
    pressEnter();
    EXPECT_NE(currentNode, alarmDisplay());
    EXPECT_EQ(UnacknowledgedAlarmFlag, 0);
}

TEST_F(AlarmDisplayTest, EmptyListIsNeverDrawnAsAnAlarm) {
    currentNode = alarmDisplay();
    alarmDisplay()->parent = nullptr;
    menuFlags &= ~EditingFlag;
    UnacknowledgedAlarmFlag = 1;
    IoWords[RightButtonWord] = 1;
    IoWords[MiddleButtonWord] = 1;
    knobSteps = 1;
    const std::string before = line(1) + line(2) + line(3) + line(4);
    runAlarmDisplay();
    EXPECT_EQ(line(1) + line(2) + line(3) + line(4), before);
    EXPECT_EQ(currentNode, alarmDisplay());

    // Once nothing waits for acknowledgement, a display without a way back returns to the root.
    UnacknowledgedAlarmFlag = 0;
    runAlarmDisplay();
    EXPECT_EQ(currentNode, &MenuNodes[NodeRoot]);
}

} // namespace
} // namespace kv410
