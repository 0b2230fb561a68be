#include "ControllerFixture.h"

#include "core/Clock.h"
#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "core/Platform.h"
#include "tests/LibraryTestHooks.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace kv410 {
namespace {

class ClockTest : public ControllerTest {
protected:
    // The weekday names the start-up set-up would take from the text table.
    void SetUp() override {
        ControllerTest::SetUp();
        const char* names = "MaTiOnToFrLoSo";
        for (int day = 0; day < 7; ++day) {
            WeekdayNames[day][0] = names[2 * day];
            WeekdayNames[day][1] = names[2 * day + 1];
            WeekdayNames[day][2] = '\0';
        }
    }

    static std::vector<uint16_t> clockWords() {
        return std::vector<uint16_t>(IoWords + 35, IoWords + 42);
    }
};

TEST_F(ClockTest, WordsHoldBcdDigitsAndTheWeekday) {
    host.setClock(2026, 12, 6, 12, 15, 20); // a Sunday
    refreshClock();
    EXPECT_EQ(clockWords(), (std::vector<uint16_t>{0x26, 0x12, 0x06, 0x12, 0x15, 0x20, 7}));
    EXPECT_STREQ(HostClockText, "2026-12-06 12:15:20");
    EXPECT_STREQ(WeekdayAbbreviation, "So");

    host.setClock(2026, 12, 7, 23, 59, 9); // a Monday
    refreshClock();
    EXPECT_EQ(clockWords(), (std::vector<uint16_t>{0x26, 0x12, 0x07, 0x23, 0x59, 0x09, 1}));
    EXPECT_STREQ(WeekdayAbbreviation, "Ma");

    host.setClock(2026, 12, 12, 0, 0, 0); // a Saturday
    refreshClock();
    EXPECT_EQ(IoWords[WeekdayWord], 6);
    EXPECT_STREQ(WeekdayAbbreviation, "Lo");
}

TEST_F(ClockTest, TextCarriesTheWeekdayOfThePreviousChange) {
    host.setClock(2026, 12, 6, 12, 15, 20);
    refreshClock();
    // Nothing was known before the first change of second.
    EXPECT_EQ(std::string(ClockText, 16), "261206 12:15:20 ");
    EXPECT_EQ(ClockText[16], '\0');

    host.advanceClock(1000);
    refreshClock();
    EXPECT_STREQ(ClockText, "261206 12:15:21 So");
    EXPECT_STREQ(ClockTextBuffer, "261206 12:15:21 So");
    EXPECT_EQ(ClockText[19], ' ');
    EXPECT_EQ(ClockText[20], '\0');
}

TEST_F(ClockTest, MidnightChangesTheWordsAtOnceAndTheTextOneSecondLater) {
    host.setClock(2026, 12, 6, 23, 59, 58);
    refreshClock();
    host.advanceClock(1000);
    refreshClock();
    host.advanceClock(1000);
    refreshClock();
    EXPECT_EQ(clockWords(), (std::vector<uint16_t>{0x26, 0x12, 0x07, 0x00, 0x00, 0x00, 1}));
    EXPECT_STREQ(ClockText, "261207 00:00:00 So");
    host.advanceClock(1000);
    refreshClock();
    EXPECT_STREQ(ClockText, "261207 00:00:01 Ma");
}

TEST_F(ClockTest, WordsWrittenByAnEditorLastUntilTheSecondMoves) {
    host.setClock(2026, 12, 6, 12, 15, 20);
    refreshClock();
    IoWords[ClockHourWord] = 0x07;
    IoWords[WeekdayWord] = 3;
    host.advanceClock(900);
    refreshClock();
    EXPECT_EQ(IoWords[ClockHourWord], 0x07);
    EXPECT_EQ(IoWords[WeekdayWord], 3);
    host.advanceClock(100);
    refreshClock();
    EXPECT_EQ(IoWords[ClockHourWord], 0x12);
    EXPECT_EQ(IoWords[ClockSecondWord], 0x21);
    EXPECT_EQ(IoWords[WeekdayWord], 7);
}

TEST_F(ClockTest, TheYearIsAlwaysItsLastTwoDigits) {
    host.setClock(1999, 3, 4, 5, 6, 7);
    refreshClock();
    EXPECT_EQ(IoWords[ClockYearWord], 0x99);
    EXPECT_EQ(IoWords[ClockMonthWord], 0x03);
    host.setClock(3005, 3, 4, 5, 6, 8);
    refreshClock();
    EXPECT_EQ(IoWords[ClockYearWord], 0x05);
    EXPECT_EQ(IoWords[ClockMonthWord], 0x03);
    EXPECT_EQ(IoWords[ClockSecondWord], 0x08);
    host.setClock(812, 3, 4, 5, 6, 9);
    refreshClock();
    EXPECT_EQ(IoWords[ClockYearWord], 0x12);
    EXPECT_EQ(IoWords[ClockDayWord], 0x04);
}

// A host that answers with any time the test sets, in range or not.
struct FixedHost : Platform {
    HostDateTime now;
    HostDateTime localNow() override { return now; }
    void showMessageBox(std::string_view, std::string_view, MessageButtons) override {}
    void playAlarmSound() override {}
    int beepsPlayed() const override { return 0; }
    void clearBeeps() override {}
    void setClock(const HostDateTime& time) override { now = time; }
};

// The host text is the year's last four digits and the other fields' last two, whatever the
// host answers; it is written again whenever the host's time moves and after a reset.
TEST_F(ClockTest, HostTextForAnyHostTime) {
    FixedHost fixed;
    installPlatform(&fixed);
    std::mt19937 random(410);
    auto any = [&](int span) { return static_cast<int>(random() % (2u * span + 1)) - span; };
    auto lastTwo = [](int value) { return std::abs(value % 100); };
    for (int round = 0; round < 3000; ++round) {
        const HostDateTime t{any(40000),
                             any(150),
                             any(150),
                             any(150),
                             any(150),
                             any(150),
                             1 + static_cast<int>(random() % 7)};
        fixed.now = t;
        if (round % 3 == 0) {
            refreshClock();
            resetClock();
        }
        refreshClock();
        char expected[64];
        std::snprintf(expected, sizeof expected, "%04d-%02d-%02d %02d:%02d:%02d",
                      std::abs(t.year % 10000), lastTwo(t.month), lastTwo(t.day), lastTwo(t.hour),
                      lastTwo(t.minute), lastTwo(t.second));
        ASSERT_STREQ(HostClockText, expected) << "round " << round;
    }
}

TEST_F(ClockTest, InitSetsAccessLevelAndReadsTheClock) {
    IoWords[AccessLevelWord] = 8;
    host.setClock(2026, 12, 6, 12, 15, 20);
    initClock();
    EXPECT_EQ(IoWords[AccessLevelWord], 1);
    EXPECT_EQ(IoWords[ClockSecondWord], 0x20);
}

} // namespace
} // namespace kv410
