#include "../ControllerFixture.h"

#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "supervision/AlarmLog.h"
#include "supervision/Alarms.h"
#include "tests/LibraryTestHooks.h"

#include <cstring>
#include <random>
#include <string>

namespace kv410 {
namespace {

class AlarmLogTest : public ControllerTest {
protected:
    void setClock(uint16_t year, uint16_t month, uint16_t day, uint16_t hour, uint16_t minute,
                  uint16_t second) {
        const uint16_t words[6] = {year, month, day, hour, minute, second};
        for (int k = 0; k < 6; ++k) {
            IoWords[ClockYearWord + k] = words[k];
        }
    }
    // What readAlarmLog put into its buffer.
    std::string read(uint8_t mode) {
        char out[17];
        std::memset(out, 'x', sizeof out);
        readAlarmLog(out, mode);
        return out[0] == 0 ? std::string() : std::string(out);
    }
    // Appends a record of alarm n raised at second s.
    void log(int n, int s = 0) {
        const char text[13] = {
            static_cast<char>('0' + n), '2', '6', '1', '2', '0', '6', '1', '2', '1', '5', '0',
            static_cast<char>('0' + s)};
        appendAlarmLog(text);
    }
};

TEST_F(AlarmLogTest, ReadModesAfterThreeRaisings) {
    EXPECT_EQ(read(0), "");
    EXPECT_EQ(read(1), "");
    EXPECT_EQ(read(2), "");
    setClock(0x26, 0x12, 0x06, 0x12, 0x15, 0x20);
    raiseAlarm(3);
    IoWords[ClockSecondWord] = 0x21;
    raiseAlarm(12); // logged with "<", code 48 + 12
    IoWords[ClockSecondWord] = 0x22;
    raiseAlarm(0);
    EXPECT_EQ(readFlashWord(513), 39);

    EXPECT_EQ(read(0), "0261206 12:15:22");
    EXPECT_EQ(read(1), "<261206 12:15:21");
    EXPECT_EQ(read(1), "3261206 12:15:20");
    EXPECT_EQ(read(1), "");
    EXPECT_EQ(AlarmLogCursor, 0);
    EXPECT_EQ(read(2), "<261206 12:15:21");
    EXPECT_EQ(read(3), "<261206 12:15:21");
    EXPECT_EQ(read(2), "0261206 12:15:22");
    EXPECT_EQ(read(2), "");
    EXPECT_EQ(read(4), "");
    EXPECT_EQ(read(255), "");
    EXPECT_EQ(AlarmLogCursor, 26);
}

TEST_F(AlarmLogTest, SameRecordAtStartReadsTheFreePlace) {
    log(1);
    AlarmLogCursor = 0;
    loadAlarmLogCursor(); // as the boot does
    char out[17];
    EXPECT_FALSE(readAlarmLog(out, 3));
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(AlarmLogCursor, 13);
}

TEST_F(AlarmLogTest, ResetEmptiesEverything) {
    for (int n = 0; n < 50; ++n) {
        log(n % 22);
    }
    read(0);
    resetAlarmLog();
    EXPECT_EQ(AlarmLogCursor, 0);
    for (int w = 513; w < FlashWordCount; ++w) {
        ASSERT_EQ(readFlashWord(w), 0) << "word " << w;
    }
    log(7);
    EXPECT_EQ(readFlashWord(514), '7');
    EXPECT_EQ(readFlashWord(513), 13);
}

TEST_F(AlarmLogTest, RecordsAboveWord1023AreKeptInMemoryOnly) {
    for (int n = 0; n < 41; ++n) {
        log(n % 10, n % 10);
    }
    EXPECT_EQ(read(0), "0261206 12:15:00"); // the 41st record, words 1034..1046
    EXPECT_EQ(readFlashWord(1034), '0');

    // A restart keeps only words 0..1023 of the image.
    for (int w = PersistedFlashWords; w < FlashWordCount; ++w) {
        FlashImage[w] = 0;
    }
    AlarmLogCursor = readFlashWord(513);
    EXPECT_EQ(read(0), "");
    EXPECT_EQ(AlarmLogCursor, 520);
    char out[17];
    EXPECT_TRUE(readAlarmLog(out, 1)); // the 40th keeps its alarm character and year
    EXPECT_EQ(std::string(out, 3), "926");
    EXPECT_EQ(out[3], 0);
    EXPECT_EQ(read(1), "8261206 12:15:08");
}

TEST_F(AlarmLogTest, FullLogDropsTheOldestRecord) {
    for (int n = 0; n < 119; ++n) {
        log(n % 10, n % 10);
    }
    EXPECT_EQ(readFlashWord(513), AlarmLogMaxOffset);
    EXPECT_EQ(read(0), "8261206 12:15:08"); // record 118 (counting from 0)
    int older = 0;
    while (!read(1).empty()) {
        ++older;
    }
    EXPECT_EQ(older, 117);
    EXPECT_EQ(read(3), "1261206 12:15:01"); // record 0 is gone
    EXPECT_EQ(readFlashWord(2047), '8');

    // The cursor keeps its record while the log moves under it.
    EXPECT_EQ(read(2), "2261206 12:15:02");
    log(21);
    EXPECT_EQ(read(3), "2261206 12:15:02");
    EXPECT_EQ(read(0), "E261206 12:15:00");
}

TEST_F(AlarmLogTest, DamagedOffsetIsBroughtBackIntoRange) {
    FlashImage[AlarmLogOffsetFlashWord] = 20;
    AlarmLogCursor = 20;
    clearActiveAlarmList();
    initAlarmSupervision();
    EXPECT_EQ(readFlashWord(513), 13);
    EXPECT_EQ(AlarmLogCursor, 13);

    FlashImage[AlarmLogOffsetFlashWord] = 0xFFFF;
    AlarmLogCursor = 0xFFFF;
    EXPECT_EQ(read(3), ""); // the free place of a full log lies outside the image
    EXPECT_EQ(readFlashWord(513), AlarmLogMaxOffset);
    EXPECT_EQ(AlarmLogCursor, AlarmLogMaxOffset);
    log(5);
    EXPECT_EQ(readFlashWord(513), AlarmLogMaxOffset);
    EXPECT_EQ(read(0), "5261206 12:15:00");
}

TEST_F(AlarmLogTest, UnknownAlarmCharacterReadsAsNoRecord) {
    log('Z' - '0');
    log(21);
    char out[17];
    EXPECT_TRUE(readAlarmLog(out, 0));
    EXPECT_FALSE(readAlarmLog(out, 1));
    EXPECT_EQ(out[0], 'Z');
}

// Whatever a Flash.dat holds, the log stays within its words and its offset in range.
TEST_F(AlarmLogTest, AnyImageKeepsTheLogInRange) {
    std::mt19937 random(410);
    for (int round = 0; round < 20; ++round) {
        for (int w = AlarmLogOffsetFlashWord; w < FlashWordCount; ++w) {
            FlashImage[w] = static_cast<uint16_t>(random());
        }
        AlarmLogCursor = static_cast<uint16_t>(random());
        char out[17];
        for (int op = 0; op < 300; ++op) {
            if (random() % 8 == 0) {
                log(static_cast<int>(random() % 22));
            } else if (readAlarmLog(out, static_cast<uint8_t>(random() % 6))) {
                ASSERT_TRUE(isKnownAlarm(out[0] - '0'));
                ASSERT_EQ(out[16], 0);
            }
            const int offset = readFlashWord(AlarmLogOffsetFlashWord);
            ASSERT_EQ(offset % AlarmRecordWords, 0);
            ASSERT_LE(offset, AlarmLogMaxOffset);
            ASSERT_LE(AlarmLogCursor, offset);
        }
    }
}

} // namespace
} // namespace kv410
