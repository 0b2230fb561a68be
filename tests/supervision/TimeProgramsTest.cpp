#include "../ControllerFixture.h"

#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "supervision/TimePrograms.h"

namespace kv410 {
namespace {

uint16_t bcd(int value) {
    return static_cast<uint16_t>(value / 10 * 16 + value % 10);
}

class TimeProgramsTest : public ControllerTest {
protected:
    void program(int e, int mask, int startHour, int startMinute, int stopHour, int stopMinute) {
        ControllerCells[ProgramMaskCell + e] = static_cast<int16_t>(mask);
        ControllerCells[ProgramStartHourCell + e] = static_cast<int16_t>(bcd(startHour));
        ControllerCells[ProgramStartMinuteCell + e] = static_cast<int16_t>(bcd(startMinute));
        ControllerCells[ProgramStopHourCell + e] = static_cast<int16_t>(bcd(stopHour));
        ControllerCells[ProgramStopMinuteCell + e] = static_cast<int16_t>(bcd(stopMinute));
    }
    // weekday 1 Monday .. 7 Sunday
    bool activeAt(int e, int weekday, int hour, int minute) {
        IoWords[WeekdayWord] = static_cast<uint16_t>(weekday);
        IoWords[ClockHourWord] = bcd(hour);
        IoWords[ClockMinuteWord] = bcd(minute);
        return timeProgramActive(static_cast<uint8_t>(e));
    }
};

TEST_F(TimeProgramsTest, WindowsWithinOneDay) {
    program(3, 0, 0, 0, 0, 0);
    EXPECT_FALSE(activeAt(3, 4, 12, 0));

    program(3, 0x08, 0, 0, 0, 0); // Thursday, the whole day
    EXPECT_TRUE(activeAt(3, 4, 0, 0));
    EXPECT_TRUE(activeAt(3, 4, 23, 59));
    EXPECT_FALSE(activeAt(3, 5, 12, 0));

    program(3, 0x08, 6, 0, 22, 0);
    EXPECT_FALSE(activeAt(3, 4, 5, 59));
    EXPECT_TRUE(activeAt(3, 4, 6, 0));
    EXPECT_TRUE(activeAt(3, 4, 21, 59));
    EXPECT_FALSE(activeAt(3, 4, 22, 0));

    program(3, 0x08, 22, 0, 24, 0);
    EXPECT_FALSE(activeAt(3, 4, 21, 59));
    EXPECT_TRUE(activeAt(3, 4, 23, 59));

    program(3, 0x08, 8, 0, 8, 0);
    EXPECT_FALSE(activeAt(3, 4, 8, 0));
    EXPECT_FALSE(activeAt(3, 4, 12, 0));
}

TEST_F(TimeProgramsTest, MondayUsesSundaysBitForYesterday) {
    program(20, 0x40, 23, 0, 1, 30); // hot water, Sunday
    EXPECT_TRUE(activeAt(20, 7, 23, 0));
    EXPECT_TRUE(activeAt(20, 1, 1, 29));
    EXPECT_FALSE(activeAt(20, 1, 1, 30));
    EXPECT_FALSE(activeAt(20, 1, 23, 0));
}

TEST_F(TimeProgramsTest, OverMidnightWindowAcrossAWholeWeek) {
    program(0, 0x01, 22, 0, 6, 0); // Monday 22:00 until Tuesday 06:00
    for (int day = 0; day < 7; ++day) {
        for (int minuteOfDay = 0; minuteOfDay < 24 * 60; ++minuteOfDay) {
            const bool expected =
                (day == 0 && minuteOfDay >= 22 * 60) || (day == 1 && minuteOfDay < 6 * 60);
            ASSERT_EQ(activeAt(0, day + 1, minuteOfDay / 60, minuteOfDay % 60), expected)
                << "day " << day << " minute " << minuteOfDay;
        }
    }
}

TEST_F(TimeProgramsTest, OddClockAndEntryNumbersStayDefined) {
    program(0, 0x01, 0, 0, 0, 0);
    EXPECT_TRUE(activeAt(0, 0, 12, 0)); // weekday 0 takes Monday's bit
    EXPECT_TRUE(activeAt(0, 40, 12, 0));
    program(20, 0x7F, 0, 0, 0, 0);
    EXPECT_FALSE(activeAt(21, 1, 12, 0));
    EXPECT_FALSE(activeAt(255, 1, 12, 0));
}

} // namespace
} // namespace kv410
