#include "../ControllerFixture.h"

#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "supervision/AlarmLog.h"
#include "supervision/Alarms.h"
#include "tests/LibraryTestHooks.h"

#include <cstring>
#include <random>
#include <set>
#include <type_traits>
#include <vector>

namespace kv410 {
namespace {

constexpr int Gt1 = 521, Gt2 = 522, Gt3 = 523, Gt4 = 524, Gt5 = 525, Gt6 = 526, Gt8 = 527,
              Gt9 = 528, Gt10 = 529, Gt11 = 530, Gt3x = 531;

class AlarmsTest : public ControllerTest {
protected:
    void SetUp() override {
        ControllerTest::SetUp();
        for (int cell = Gt1; cell <= Gt3x; ++cell) {
            ControllerCells[cell] = 200;
        }
        ControllerCells[ConfigurationCell] =
            -1; // every optional sensor supervised, as after switch-on
        ControllerCells[FirstAlarmLimitCell] = 490;
        ControllerCells[FirstAlarmLimitCell + 1] = 700;
        ControllerCells[FirstAlarmLimitCell + 2] = -100;
        ControllerCells[FirstAlarmLimitCell + 3] = -100;
        ControllerCells[FirstAlarmLimitCell + 4] = 1250;
        const uint16_t clock[7] = {0x26, 0x12, 0x06, 0x12, 0x15, 0x20, 7};
        for (int k = 0; k < 7; ++k) {
            IoWords[ClockYearWord + k] = clock[k];
        }
        clearActiveAlarmList();
        initAlarmSupervision();
    }

    // One second of the controller: the tick counts the delays down, then one pass.
    void seconds(int count) {
        for (int s = 0; s < count; ++s) {
            for (int32_t& d : AlarmDelayCounters) {
                if (d != 0) {
                    --d;
                }
            }
            superviseAlarms();
        }
    }
    // Leaves the start delay behind with every condition normal.
    void started() {
        superviseAlarms();
        seconds(60);
    }
    std::vector<int> listed() {
        std::vector<int> out;
        for (int i = 0; i < 33 && ActiveAlarmList[i] != NoAlarm; ++i) {
            out.push_back(ActiveAlarmList[i]);
        }
        return out;
    }
};

TEST_F(AlarmsTest, SensorRangeLimitsAndDelay) {
    started();
    ControllerCells[Gt1] = -400;
    ControllerCells[Gt2] = 1400;
    seconds(10);
    EXPECT_EQ(isAlarmActive(0), 0);
    EXPECT_EQ(isAlarmActive(1), 0);

    ControllerCells[Gt1] = 200;
    ControllerCells[Gt6] = -401;
    ControllerCells[Gt8] = 1401;
    seconds(4);
    EXPECT_EQ(isAlarmActive(5), 0);
    seconds(1);
    EXPECT_EQ(isAlarmActive(5), 1);
    EXPECT_EQ(isAlarmActive(6), 1);
    EXPECT_EQ(IoWords[AlarmLedWord], 2);
    EXPECT_EQ(NewAlarmFlag, 1);

    // The boundary values do not clear a self-resetting alarm either; a valid value does.
    ControllerCells[Gt6] = -400;
    seconds(3);
    EXPECT_EQ(isAlarmActive(5), 1);
    ControllerCells[Gt6] = -399;
    superviseAlarms();
    EXPECT_EQ(isAlarmActive(5), 0);
    EXPECT_EQ(listed(), std::vector<int>{6});
}

TEST_F(AlarmsTest, InterruptedFaultRestartsItsDelay) {
    started();
    ControllerCells[Gt10] = 1500;
    seconds(4);
    ControllerCells[Gt10] = 200;
    superviseAlarms();
    ControllerCells[Gt10] = 1500;
    seconds(4);
    EXPECT_EQ(isAlarmActive(8), 0);
    seconds(1);
    EXPECT_EQ(isAlarmActive(8), 1);
}

TEST_F(AlarmsTest, NothingRaisedWithinSixtySecondsOfStart) {
    ControllerCells[Gt11] = -500;
    seconds(59);
    EXPECT_EQ(isAlarmActive(9), 0);
    EXPECT_EQ(NewAlarmFlag, 0);
    seconds(1);
    EXPECT_EQ(isAlarmActive(9), 1);
}

TEST_F(AlarmsTest, OptionalSensorsFollowTheConfigurationWord) {
    ControllerCells[ConfigurationCell] = 0x10; // GT4 supervised, GT5 not
    started();
    ControllerCells[Gt4] = -500;
    ControllerCells[Gt5] = -500;
    seconds(10);
    EXPECT_EQ(isAlarmActive(3), 1);
    EXPECT_EQ(isAlarmActive(4), 0);
    EXPECT_EQ(ControllerCells[DetectedSensorsCell] & 0x30, 0);

    ControllerCells[ConfigurationCell] = 0;
    superviseAlarms();
    EXPECT_EQ(isAlarmActive(3), 0);
    EXPECT_TRUE(listed().empty());

    ControllerCells[Gt4] = 200;
    superviseAlarms();
    EXPECT_EQ(ControllerCells[DetectedSensorsCell] & 0x30, 0x10);
}

TEST_F(AlarmsTest, HotWaterAlarmFollowsGt3xWhenGt3IsMissing) {
    started();
    ControllerCells[Gt3] = -500;
    ControllerCells[Gt3x] = 450;
    seconds(10);
    EXPECT_EQ(ControllerCells[HotWaterTemperatureCell], 450);
    EXPECT_EQ(ControllerCells[DetectedSensorsCell] & 0x08, 0x08);
    EXPECT_EQ(isAlarmActive(2), 0);

    ControllerCells[Gt3x] = -500;
    seconds(5);
    EXPECT_EQ(ControllerCells[DetectedSensorsCell] & 0x08, 0);
    EXPECT_EQ(isAlarmActive(2), 1);
}

TEST_F(AlarmsTest, LatchingAlarmWaitsForAcknowledgement) {
    started();
    IoWords[Mb1InputWord] = 1; // MB1 while the compressor is off
    seconds(10);
    EXPECT_EQ(isAlarmActive(10), 0);
    IoWords[CompressorWord] = 1;
    seconds(5);
    EXPECT_EQ(isAlarmActive(10), 1);
    EXPECT_EQ(ClassActiveFlags[0], 1);

    IoWords[Mb1InputWord] = 0;
    seconds(3);
    EXPECT_EQ(isAlarmActive(10), 1);
    EXPECT_EQ(UnacknowledgedAlarmFlag, 1);

    acknowledgeAlarm(10);
    EXPECT_EQ(IoWords[AlarmLedWord], 1);
    EXPECT_EQ(UnacknowledgedAlarmFlag, 0);
    superviseAlarms();
    EXPECT_EQ(isAlarmActive(10), 0);
    EXPECT_EQ(IoWords[AlarmLedWord], 0);
    EXPECT_TRUE(listed().empty());
}

TEST_F(AlarmsTest, AcknowledgedFaultStaysListedWithItsFirstStamp) {
    started();
    ControllerCells[Gt2] = 1500;
    seconds(5);
    IoWords[ClockSecondWord] = 0x59;
    acknowledgeAlarm(1);
    seconds(20);
    EXPECT_EQ(isAlarmActive(1), 1);
    EXPECT_EQ(listed(), std::vector<int>{1});
    EXPECT_EQ(ControllerCells[AlarmSecondCell + 1], 0x20);
    EXPECT_EQ(IoWords[AlarmLedWord], 1);
}

TEST_F(AlarmsTest, InputAlarmsWatchTheirOwnWords) {
    struct Case {
        int alarm;
        std::vector<int> ioWords; // set to 1
        std::vector<int> cells;   // set to 1
        int cls;
    };
    const Case cases[] = {
        {10, {13, 5}, {}, 0},    {11, {15, 6}, {}, 1}, {12, {12, 4}, {}, 0},
        {13, {}, {504, 510}, 0}, {14, {}, {503}, 0},   {20, {}, {508}, -1},
    };
    for (const Case& c : cases) {
        SetUp();
        started();
        for (int w : c.ioWords) {
            IoWords[w] = 1;
        }
        for (int cell : c.cells) {
            ControllerCells[cell] = 1;
        }
        seconds(5);
        EXPECT_EQ(listed(), std::vector<int>{c.alarm}) << "alarm " << c.alarm;
        if (c.cls >= 0) {
            EXPECT_EQ(ControllerCells[AlarmClassCell + c.alarm], c.cls) << "alarm " << c.alarm;
        }
    }
}

TEST_F(AlarmsTest, LowPressureHeldOffWhileItsTimerRuns) {
    started();
    SecondTimers[8] = 100;
    ControllerCells[LpCopyCell] = 1;
    ControllerCells[CompressorCommandCell] = 1;
    seconds(10);
    EXPECT_EQ(isAlarmActive(13), 0);
    SecondTimers[8] = 0;
    seconds(5);
    EXPECT_EQ(isAlarmActive(13), 1);
}

TEST_F(AlarmsTest, HighReturnHasTwoDegreesOfHysteresis) {
    started();
    ControllerCells[Gt9] = 490;
    seconds(10);
    EXPECT_EQ(isAlarmActive(15), 0);
    ControllerCells[Gt9] = 491;
    seconds(5);
    EXPECT_EQ(isAlarmActive(15), 1);
    ControllerCells[Gt9] = 470;
    seconds(10);
    EXPECT_EQ(isAlarmActive(15), 1);
    ControllerCells[Gt9] = 469;
    superviseAlarms();
    EXPECT_EQ(isAlarmActive(15), 0);
}

TEST_F(AlarmsTest, LimitAlarmsHeldOffBySensorAlarms) {
    started();
    ControllerCells[Gt9] = 1500;  // beyond cell 90, but a sensor fault
    ControllerCells[Gt6] = 1450;  // beyond cell 94, but a sensor fault
    ControllerCells[Gt10] = -450; // below cell 92, but a sensor fault
    seconds(30);
    EXPECT_EQ(listed(), (std::vector<int>{8, 7, 5}));

    ControllerCells[Gt8] = 701;
    ControllerCells[Gt11] = -101;
    seconds(5);
    EXPECT_EQ(isAlarmActive(16), 1);
    EXPECT_EQ(isAlarmActive(18), 1);
}

TEST_F(AlarmsTest, TwoAlarmsInOnePassListTheLaterFirst) {
    started();
    ControllerCells[Gt1] = 1500;
    ControllerCells[Gt2] = -500;
    seconds(5);
    EXPECT_EQ(listed(), (std::vector<int>{1, 0}));
    EXPECT_EQ(readFlashWord(514), '0');
    EXPECT_EQ(readFlashWord(514 + 13), '1');
    EXPECT_EQ(readFlashWord(513), 26);
}

TEST_F(AlarmsTest, SumAlarmFlagsIgnoreClassThree) {
    started();
    ControllerCells[Gt9] = 500;
    ControllerCells[Gt10] = -200;
    ControllerCells[Gt11] = -200;
    seconds(5);
    EXPECT_EQ(listed(), (std::vector<int>{18, 17, 15}));
    EXPECT_EQ(IoWords[AlarmLedWord], 2);
    EXPECT_EQ(ClassActiveFlags[0] | ClassActiveFlags[1] | ClassActiveFlags[2], 0);

    ControllerCells[Gt1] = 1500;
    seconds(5);
    EXPECT_EQ(ClassActiveFlags[2], 1);
}

TEST_F(AlarmsTest, RaiseStampsTheSlotAndClearsTheAcknowledgement) {
    ControllerCells[AlarmFlagsCell + 4] = static_cast<int16_t>(0xFF06);
    raiseAlarm(4);
    EXPECT_EQ(ControllerCells[AlarmFlagsCell + 4], 0x05);
    const int stamp[6] = {255, 287, 319, 351, 383, 415};
    const int expected[6] = {0x26, 0x12, 0x06, 0x12, 0x15, 0x20};
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(ControllerCells[stamp[k] + 4], expected[k]);
    }
}

// Slots loaded from a Flash.dat may hold anything.
TEST_F(AlarmsTest, StartWithSlotsFromTheFlashImage) {
    ControllerCells[AlarmFlagsCell + 10] = 1; // latched, not acknowledged
    ControllerCells[AlarmClassCell + 10] = 0;
    ControllerCells[AlarmFlagsCell + 0] = 1; // self-resetting
    ControllerCells[AlarmClassCell + 0] = 2;
    ControllerCells[AlarmFlagsCell + 16] = 3; // acknowledged
    ControllerCells[AlarmFlagsCell + 27] = 1; // no condition, stray class
    ControllerCells[AlarmClassCell + 27] = -3;
    ControllerCells[AlarmClassCell + 20] = 200;
    clearActiveAlarmList();
    initAlarmSupervision();
    EXPECT_EQ(listed(), (std::vector<int>{27, 10}));
    EXPECT_EQ(ClassActiveFlags[0], 1);
    EXPECT_EQ(ControllerCells[AlarmFlagsCell + 0], 0);
    EXPECT_EQ(ControllerCells[AlarmFlagsCell + 16], 0);

    acknowledgeAlarm(27);
    clearAlarm(27);
    EXPECT_EQ(listed(), std::vector<int>{10});

    // Numbers outside the slots are ignored.
    raiseAlarm(32);
    acknowledgeAlarm(200);
    clearAlarm(NoAlarm);
    setAlarmClass(40, 1);
    EXPECT_EQ(isAlarmActive(NoAlarm), 0);
    EXPECT_EQ(listed(), std::vector<int>{10});
    EXPECT_EQ(ActiveAlarmList[32], NoAlarm);
}

// Slots and sensors holding anything: the list stays a list of distinct active alarms.
TEST_F(AlarmsTest, AnySlotsAndInputsKeepTheListSound) {
    std::mt19937 random(55);
    for (int round = 0; round < 20; ++round) {
        for (int cell = 223; cell <= 478; ++cell) {
            ControllerCells[cell] = static_cast<int16_t>(random());
        }
        clearActiveAlarmList();
        initAlarmSupervision();
        for (int s = 0; s < 200; ++s) {
            for (int cell = 500; cell <= 531; ++cell) {
                if (random() % 16 == 0) {
                    ControllerCells[cell] = static_cast<int16_t>(random());
                }
            }
            for (int word : {4, 5, 6, 12, 13, 14, 15}) {
                IoWords[word] = static_cast<uint16_t>(random() % 2);
            }
            if (random() % 10 == 0) {
                acknowledgeAlarm(static_cast<uint8_t>(random() % 40));
            }
            seconds(1);
            const std::vector<int> list = listed();
            ASSERT_EQ(std::set<int>(list.begin(), list.end()).size(), list.size());
            for (int i = static_cast<int>(list.size()); i < 33; ++i) {
                ASSERT_EQ(ActiveAlarmList[i], NoAlarm);
            }
            for (int n : list) {
                ASSERT_LT(n, 32);
                ASSERT_EQ(isAlarmActive(static_cast<uint8_t>(n)), 1);
            }
        }
    }
}

// Everything a pass can touch, to compare a skipped pass with one run in full.
struct SupervisedState {
    int16_t cells[1024];
    uint16_t words[128];
    uint16_t flash[FlashWordCount];
    uint32_t secondTimers[10];
    uint32_t minuteTimers[5];
    int32_t delays[32];
    uint8_t list[33];
    uint8_t flags[4];
    uint16_t logCursor;

    void take() {
        std::memcpy(cells, ControllerCells, sizeof cells);
        std::memcpy(words, IoWords, sizeof words);
        std::memcpy(flash, FlashImage, sizeof flash);
        std::memcpy(secondTimers, SecondTimers, sizeof secondTimers);
        std::memcpy(minuteTimers, MinuteTimers, sizeof minuteTimers);
        std::memcpy(delays, AlarmDelayCounters, sizeof delays);
        std::memcpy(list, ActiveAlarmList, sizeof list);
        flags[0] = NewAlarmFlag;
        flags[1] = UnacknowledgedAlarmFlag;
        std::memcpy(flags + 2, ClassActiveFlags, 2);
        logCursor = AlarmLogCursor;
    }
    void put() const {
        std::memcpy(ControllerCells, cells, sizeof cells);
        std::memcpy(IoWords, words, sizeof words);
        std::memcpy(FlashImage, flash, sizeof flash);
        std::memcpy(SecondTimers, secondTimers, sizeof secondTimers);
        std::memcpy(MinuteTimers, minuteTimers, sizeof minuteTimers);
        std::memcpy(AlarmDelayCounters, delays, sizeof delays);
        std::memcpy(ActiveAlarmList, list, sizeof list);
        NewAlarmFlag = flags[0];
        UnacknowledgedAlarmFlag = flags[1];
        std::memcpy(ClassActiveFlags, flags + 2, 2);
        AlarmLogCursor = logCursor;
    }
    bool operator==(const SupervisedState& o) const {
        auto same = [](const auto& a, const auto& b) { return std::memcmp(a, b, sizeof a) == 0; };
        return same(cells, o.cells) && same(words, o.words) && same(flash, o.flash) &&
               same(secondTimers, o.secondTimers) && same(minuteTimers, o.minuteTimers) &&
               same(delays, o.delays) && same(list, o.list) && same(flags, o.flags) &&
               logCursor == o.logCursor;
    }
};

// A pass is skipped while nothing it reads has changed. With the alarms raised and their delays
// run out, a change of any one thing a pass reads changes what the pass does; so a skipped pass
// that missed such a change would differ from the same pass run in full.
TEST_F(AlarmsTest, SkippedPassEqualsAFullPass) {
    started();
    for (int cell : {Gt1, Gt2, Gt3, Gt3x, Gt4, Gt5}) {
        ControllerCells[cell] = -500;
    }
    ControllerCells[Gt9] = 600;   // above its limit, 490
    ControllerCells[Gt8] = 800;   // above 700
    ControllerCells[Gt10] = -200; // below -100
    ControllerCells[Gt11] = -200;
    ControllerCells[Gt6] = 1300; // above 1250
    for (int word : {4, 5, 6, 12, 13, 14}) {
        IoWords[word] = 1;
    }
    for (int cell : {503, 504, 508, 510}) {
        ControllerCells[cell] = 1;
    }
    seconds(6);
    acknowledgeAlarm(11);
    superviseAlarms();
    ASSERT_EQ(listed().size(), 16u); // all but the sensor alarms of the limit alarms

    SupervisedState settled;
    settled.take();
    SupervisedState skipped;
    SupervisedState full;
    auto perturbAndPass = [&](auto& location, auto value, bool inFull, SupervisedState& out) {
        settled.put();
        location = static_cast<std::remove_reference_t<decltype(location)>>(value);
        if (inFull) {
            forgetSupervisionPass();
        }
        superviseAlarms();
        out.take();
        // Back to the settled state, with the pass's memory of it.
        settled.put();
        forgetSupervisionPass();
        superviseAlarms();
    };
    auto check = [&](auto& location, const char* what, int index) {
        for (int value : {0, 1, 200, 2000, -500}) {
            perturbAndPass(location, value, false, skipped);
            perturbAndPass(location, value, true, full);
            ASSERT_TRUE(skipped == full) << what << ' ' << index << " := " << value;
        }
    };

    superviseAlarms();
    SupervisedState again;
    again.take();
    ASSERT_TRUE(again == settled) << "a second pass over the same state changed it";
    for (int cell = 0; cell < 1024; ++cell) {
        check(ControllerCells[cell], "cell", cell);
    }
    for (int word = 0; word < 128; ++word) {
        check(IoWords[word], "I/O word", word);
    }
    for (int timer = 0; timer < 10; ++timer) {
        check(SecondTimers[timer], "second timer", timer);
    }
    for (int n = 0; n < 32; ++n) {
        check(AlarmDelayCounters[n], "delay", n);
    }
    for (int i = 0; i < 33; ++i) {
        check(ActiveAlarmList[i], "list entry", i);
    }
}

} // namespace
} // namespace kv410
