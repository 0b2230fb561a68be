#include "MenuTestDriver.h"

#include "core/MemoryMap.h"
#include "display/TextTable.h"
#include "menu/ClockSetting.h"
#include "tests/LibraryTestHooks.h"

namespace kv410 {
namespace {

// The host clock starts on Saturday 2026-03-14 12:15:20.
class ClockSettingTest : public MenuTest {
protected:
    void SetUp() override {
        MenuTest::SetUp();
        setAccessLevel(2);
        currentNode = &MenuNodes[NodeClockLine];
        menuFlags |= FullRedrawFlag;
        cycle();
        pressEnter();
    }
};

TEST_F(ClockSettingTest, OpensOnTheYearWithTheClockOnLine2) {
    EXPECT_EQ(currentNode, &MenuNodes[NodeClockSetting]);
    EXPECT_EQ(line(2), " 260314 12:15:20 Lo ");
    EXPECT_EQ(line(3), " ^^                 ");
    EXPECT_EQ(line(4), "Avbryt           -> ");
    turn(1);
    EXPECT_EQ(line(2), " 270314 12:15:20 Lo ");
}

TEST_F(ClockSettingTest, FieldsWrapWithinTheirRanges) {
    turn(-27);
    cycle(26);
    EXPECT_EQ(line(2).substr(1, 2), "99");
    turn(1);
    EXPECT_EQ(line(2).substr(1, 2), "00");

    pressMiddle(); // nothing left of the year
    EXPECT_EQ(clockSettingField, ClockFieldYear);
    EXPECT_EQ(line(3), " ^^                 ");

    pressEnter();
    EXPECT_EQ(line(4), "Avbryt   <-      -> ");
    turn(-3); // month 3 down to 12
    cycle(2);
    EXPECT_EQ(line(2).substr(3, 2), "12");

    pressEnter();
    pressEnter(); // the hour
    EXPECT_EQ(line(3), "        ^^          ");
    turn(12);
    cycle(11);
    EXPECT_EQ(line(2), " 001214 00:15:20 Lo ");

    pressMiddle(); // back to the day: its marker replaces the hour's
    EXPECT_EQ(line(3), "     ^^             ");
}

TEST_F(ClockSettingTest, SavesOnTheWeekdayUntilTheHostClockMovesOn) {
    turn(1); // year 27
    for (int i = 0; i < 6; ++i) {
        pressEnter();
    }
    EXPECT_EQ(line(3).substr(17, 2), "^^");
    EXPECT_EQ(line(4), "Avbryt   <-    Lagre");
    turn(2); // Lo, So, Ma
    cycle();
    EXPECT_EQ(line(2).substr(17, 2), "Ma");

    pressEnter();
    EXPECT_EQ(line(2), "      Lagrer...     ");
    EXPECT_EQ(currentNode, &MenuNodes[NodeClockLine]);
    EXPECT_EQ(IoWords[ClockYearWord], 0x27);
    EXPECT_EQ(IoWords[ClockMonthWord], 0x03);
    EXPECT_EQ(IoWords[ClockHourWord], 0x12);
    EXPECT_EQ(IoWords[ClockSecondWord], 0x20);
    EXPECT_EQ(IoWords[WeekdayWord], 1);

    host.advanceClock(1000);
    endMessage();
    EXPECT_EQ(IoWords[ClockYearWord], 0x26);
    EXPECT_EQ(IoWords[WeekdayWord], 6);
    cycle();
    // The clock line draws its whole screen again.
    EXPECT_EQ(line(4), "Tilbake        Endre");
    EXPECT_EQ(line(2).substr(0, 15), "260314 12:15:21");
}

TEST_F(ClockSettingTest, CancelLeavesTheClockAlone) {
    turn(5);
    pressEnter();
    pressBack();
    cycle();
    EXPECT_EQ(currentNode, &MenuNodes[NodeClockLine]);
    EXPECT_EQ(IoWords[ClockYearWord], 0x26);
    EXPECT_EQ(line(3), TextTable[267]);
    EXPECT_EQ(line(4), "Tilbake        Endre");
}

TEST(BcdConversion, TwoDigitsBothWays) {
    EXPECT_EQ(bcdToNumber(0x59), 59);
    EXPECT_EQ(bcdToNumber(0x07), 7);
    EXPECT_EQ(numberToBcd(59), 0x59);
    EXPECT_EQ(numberToBcd(0), 0x00);
}

} // namespace
} // namespace kv410
