#include "ControllerFixture.h"

#include "core/Clock.h"
#include "core/FactoryDefaults.h"
#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "display/Lcd.h"
#include "display/TextWords.h"
#include "supervision/Alarms.h"
#include "tests/LibraryTestHooks.h"
#include "unit/Controller.h"

#include <cstring>
#include <string>

namespace kv410 {
namespace {

const std::string Blank(20, ' ');

class BootCycleTest : public ControllerTest {
protected:
    void SetUp() override {
        ControllerTest::SetUp();
        host.setClock(2026, 12, 6, 12, 15, 20);
        // The sensor values the window starts with: all in range, GT3X not fitted.
        const int16_t sensors[] = {217, 140, 480, 217, 200, 900, 450, 220, 0, -40, -500};
        for (int i = 0; i < 11; ++i) {
            IoWords[FirstSensorWord + i] = static_cast<uint16_t>(sensors[i]);
        }
        idleCountdown = 600;
    }

    // A valid parameter image in flash, as a previous run would have left it.
    static void storeValidImage(bool unitOn) {
        loadFactoryDefaults();
        FlashImage[UnitOnCell] = unitOn ? 1 : 0;
        std::memset(ControllerCells, 0, sizeof ControllerCells);
    }

    static void pressPower() { IoWords[PowerRequestWord] = 1; }

    void bootSwitchedOn() {
        storeValidImage(true);
        bootController();
    }
};

TEST_F(BootCycleTest, FirstBootLoadsFactoryDefaultsAndStaysOff) {
    bootController();
    EXPECT_EQ(std::string(LcdLines[1]), "      KAVO 410      ");
    EXPECT_EQ(std::string(LcdLines[0]), Blank);
    EXPECT_EQ(ControllerCells[HeatingCurveSlopeCell], 40);
    EXPECT_EQ(ControllerCells[HeatPumpBlockOutdoorCell], -201);
    EXPECT_EQ(FlashImage[49], 49);
    EXPECT_EQ(FlashImage[ConfigurationCell], 1);
    EXPECT_EQ(ControllerCells[ConfigurationCell], static_cast<int16_t>(0xFFFF));
    EXPECT_EQ(ControllerCells[UnitOnCell], 0);
    EXPECT_EQ(IoWords[OnLedWord], 2);
    EXPECT_EQ(IoWords[DisplayAwakeWord], 0);
    EXPECT_EQ(IoWords[AccessLevelWord], 1);
    EXPECT_EQ(ControllerCells[ProgramVersionCell], 102);
    EXPECT_EQ(SecondTimers[0], 3600u);
    EXPECT_EQ(SecondTimers[1], 3600u);
    EXPECT_EQ(SecondTimers[2], 0u);
    EXPECT_EQ(SecondTimers[3], 1800u);
    EXPECT_EQ(SecondTimers[4], 3600u);
    EXPECT_EQ(MinuteTimers[0], 0u);
    EXPECT_EQ(ActiveAlarmList[0], NoAlarm);
    EXPECT_EQ(ActiveAlarmList[32], NoAlarm);
    EXPECT_EQ(IoWords[ClockYearWord], 0x26);
}

TEST_F(BootCycleTest, ValidImageIsLoadedAndTheUnitComesBackOn) {
    storeValidImage(true);
    FlashImage[RoomTemperatureSetCell] = 215;
    FlashImage[ConfigurationCell] = 0x09;
    FlashImage[HotWaterPeakIntervalCell] = 12;
    FlashImage[82] = static_cast<uint16_t>(-1); // countdowns take cells unsigned
    FlashImage[ProgramVersionCell] = 7;
    FlashImage[ValveOpeningMarkerCell] = 1;
    FlashImage[HeaterPowerCell] = 50;
    bootController();
    EXPECT_EQ(ControllerCells[RoomTemperatureSetCell], 215);
    EXPECT_EQ(ControllerCells[UnitOnCell], 1);
    EXPECT_EQ(FlashImage[ConfigurationCell], 0x09);
    EXPECT_EQ(ControllerCells[ConfigurationCell], static_cast<int16_t>(0xFFFF));
    EXPECT_EQ(MinuteTimers[0], 12u);
    EXPECT_EQ(SecondTimers[0], 65535u);
    EXPECT_EQ(ControllerCells[ProgramVersionCell], 102);
    EXPECT_EQ(ControllerCells[ValveOpeningMarkerCell], 0);
    EXPECT_EQ(ControllerCells[HeaterPowerCell], 0);
    EXPECT_EQ(IoWords[DisplayAwakeWord], 1);
    EXPECT_EQ(IoWords[OnLedWord], 1);
}

TEST_F(BootCycleTest, OneWrongSignatureWordMeansFactoryDefaults) {
    storeValidImage(true);
    FlashImage[RoomTemperatureSetCell] = 215;
    FlashImage[53] = 52;
    bootController();
    EXPECT_EQ(ControllerCells[RoomTemperatureSetCell], 200);
    EXPECT_EQ(ControllerCells[53], 53);
    EXPECT_EQ(FlashImage[53], 53);
    EXPECT_EQ(ControllerCells[UnitOnCell], 0);
}

TEST_F(BootCycleTest, StartupSetupTakesItsTablesFromTheTexts) {
    startupSetup();
    EXPECT_EQ(std::string(WeekdayLetters, 14), "mMtToOtTfFlLsS");
    EXPECT_STREQ(WeekdayNames[0], "Ma");
    EXPECT_STREQ(WeekdayNames[5], "Lo");
    EXPECT_STREQ(WeekdayNames[6], "So");
    EXPECT_STREQ(FromToHeadings, "Fra");
    EXPECT_STREQ(FromToHeadings + 10, "Til");
    EXPECT_STREQ(OffMarker, "Ikke Akt");
    EXPECT_STREQ(UnitNames[0], "dag");
    EXPECT_STREQ(UnitNames[1], "tim");
    EXPECT_STREQ(UnitNames[2], "min");
    EXPECT_STREQ(UnitNames[3], "sek");
}

TEST_F(BootCycleTest, PowerRequestWhileOffSwitchesOnInTheSameCycle) {
    bootController();
    ControllerCells[ConfigurationCell] = 3;
    pressPower();
    runControllerCycle();
    EXPECT_EQ(IoWords[PowerRequestWord], 0);
    EXPECT_EQ(ControllerCells[UnitOnCell], 1);
    EXPECT_EQ(FlashImage[UnitOnCell], 1);
    EXPECT_EQ(ControllerCells[ConfigurationCell],
              static_cast<int16_t>(0xFFFF)); // the set-up ran again
    EXPECT_EQ(IoWords[DisplayAwakeWord], 1);
    EXPECT_EQ(IoWords[OnLedWord], 1);

    runControllerCycle();
    EXPECT_EQ(ControllerCells[UnitOnCell], 1);
}

TEST_F(BootCycleTest, PowerRequestWhileOnSwitchesOffAndClearsOutputs) {
    bootSwitchedOn();
    for (int cell = 509; cell <= 520; ++cell) {
        ControllerCells[cell] = 1;
    }
    runControllerCycle();
    EXPECT_EQ(IoWords[BrinePumpWord], 1);
    for (int word = 45; word <= 48; ++word) {
        IoWords[word] = 1;
    }
    writeText(3, 1, "something shown");

    pressPower();
    runControllerCycle();
    EXPECT_EQ(IoWords[PowerRequestWord], 0);
    EXPECT_EQ(ControllerCells[UnitOnCell], 0);
    EXPECT_EQ(FlashImage[UnitOnCell], 0);
    for (int cell = 509; cell <= 520; ++cell) {
        EXPECT_EQ(ControllerCells[cell], 0) << "cell " << cell;
    }
    for (int word : {12, 13, 14, 15, 18, 19, 20, 21, 22, 23}) {
        EXPECT_EQ(IoWords[word], 0) << "I/O word " << word;
    }
    for (int line = 0; line < 4; ++line) {
        EXPECT_EQ(std::string(LcdLines[line]), Blank);
    }
    for (int word = 45; word <= 48; ++word) {
        EXPECT_EQ(IoWords[word], 0);
    }
    EXPECT_EQ(IoWords[OnLedWord], 2);
    EXPECT_EQ(IoWords[DisplayAwakeWord], 0);

    // The request was used up by the switch-off: the unit stays off.
    runControllerCycle();
    EXPECT_EQ(ControllerCells[UnitOnCell], 0);
}

TEST_F(BootCycleTest, WhileOffTheClockAndTheExchangeStillRun) {
    bootController();
    host.advanceClock(3000);
    IoWords[Gt1Word] = 333;
    IoWords[LpInputWord] = 1;
    runControllerCycle();
    EXPECT_EQ(IoWords[ClockSecondWord], 0x23);
    EXPECT_EQ(ControllerCells[Gt1Cell], 333);
    EXPECT_EQ(ControllerCells[LpCopyCell], 1);
}

TEST_F(BootCycleTest, IdleDisplayGoesDark) {
    bootSwitchedOn();
    runControllerCycle();
    EXPECT_EQ(IoWords[DisplayAwakeWord], 1);
    idleCountdown = 0;
    runControllerCycle();
    EXPECT_EQ(IoWords[DisplayAwakeWord], 0);
}

TEST_F(BootCycleTest, SumAlarmCommandReachesItsRelayInTheNextExchange) {
    bootSwitchedOn();
    ControllerCells[SumAlarmCell] = 1;
    runControllerCycle();
    EXPECT_EQ(IoWords[SumAlarmWord], 1);
}

TEST_F(BootCycleTest, ExchangeCopiesInputsAndDrivesOutputs) {
    for (int word = 4; word <= 11; ++word) {
        IoWords[word] = static_cast<uint16_t>(word);
    }
    IoWords[Gt3xWord] = static_cast<uint16_t>(-500);
    IoWords[60] = 6;
    ControllerCells[506] = 99;
    const int16_t commands[] = {1, 0, 1, 1, 0, 0, 1, 0, 1, 1, 0, 1};
    for (int i = 0; i < 12; ++i) {
        ControllerCells[FirstCommandCell + i] = commands[i];
    }
    exchangeIo();

    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(ControllerCells[Gt1Cell + i], static_cast<int16_t>(IoWords[FirstSensorWord + i]));
    }
    EXPECT_EQ(ControllerCells[Gt3xCell], -500);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(ControllerCells[FirstInputCopyCell + i], 4 + i);
    }
    EXPECT_EQ(ControllerCells[506], 99);
    EXPECT_EQ(ControllerCells[507], 10);
    EXPECT_EQ(ControllerCells[PhaseFaultCopyCell], 11);
    EXPECT_EQ(ControllerCells[533], 6);
    EXPECT_EQ(IoWords[BrinePumpWord], 1);
    EXPECT_EQ(IoWords[CompressorWord], 0);
    EXPECT_EQ(IoWords[AuxHeatStep2Word], 1);
    EXPECT_EQ(IoWords[RadiatorPumpWord], 1);
    EXPECT_EQ(IoWords[HeatCarrierPumpWord], 0);
    EXPECT_EQ(IoWords[LastRelayWord], 1);
    EXPECT_EQ(outputTestWatchdog, 32);
}

TEST_F(BootCycleTest, ValveRequestsBecomeSinglePulses) {
    ControllerCells[ValveOpenRequestCell] = 1;
    exchangeIo();
    EXPECT_EQ(IoWords[ValveOpenPulseWord], 1);
    EXPECT_EQ(IoWords[ValveClosePulseWord], 0);
    EXPECT_EQ(ControllerCells[ValveOpenRequestCell], 0);

    IoWords[ValveOpenPulseWord] = 0; // the pulse timer ended it
    exchangeIo();
    EXPECT_EQ(IoWords[ValveOpenPulseWord], 0);

    ControllerCells[ValveCloseRequestCell] = 1;
    exchangeIo();
    EXPECT_EQ(IoWords[ValveClosePulseWord], 1);
    EXPECT_EQ(ControllerCells[ValveCloseRequestCell], 0);
}

TEST_F(BootCycleTest, OutputTestLeavesTheRelaysToTheTestButStillReadsInputs) {
    exchangeIo(); // a normal exchange loads the watchdog
    ControllerCells[OutputTestCell] = 1;
    IoWords[CompressorWord] = 1;
    IoWords[Gt1Word] = 123;
    ControllerCells[ValveOpenRequestCell] = 1;
    exchangeIo();
    EXPECT_EQ(ControllerCells[OutputTestCell], 1);
    EXPECT_EQ(IoWords[CompressorWord], 1);
    EXPECT_EQ(IoWords[ValveOpenPulseWord], 0);
    EXPECT_EQ(ControllerCells[ValveOpenRequestCell], 1);
    EXPECT_EQ(ControllerCells[Gt1Cell], 123);
}

TEST_F(BootCycleTest, OutputTestLoadedFromFlashEndsAtTheFirstExchange) {
    ControllerCells[OutputTestCell] = 1;
    IoWords[AuxHeatStep1Word] = 1;
    exchangeIo();
    EXPECT_EQ(ControllerCells[OutputTestCell], 0);
    EXPECT_EQ(IoWords[AuxHeatStep1Word],
              1); // the outputs are only driven again from the next exchange
    exchangeIo();
    EXPECT_EQ(IoWords[AuxHeatStep1Word], 0);
}

} // namespace
} // namespace kv410
