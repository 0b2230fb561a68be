#include "ControllerFixture.h"
#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "panel/FrontPanel.h"
#include "supervision/MixingValve.h"
#include "unit/Ticks.h"

namespace kv410 {
namespace {

using PanelPaintTest = ControllerTest;

TEST_F(PanelPaintTest, DisplayLitOnlyWhenAwakeAndOn) {
    struct Case {
        uint16_t awake;
        int16_t on;
        bool lit;
    };
    for (const Case c : {Case{1, 1, true}, Case{1, 0, false}, Case{0, 1, false}}) {
        IoWords[DisplayAwakeWord] = c.awake;
        ControllerCells[UnitOnCell] = c.on;
        IoWords[AccessLevelWord] = 4;
        refreshPanel();
        EXPECT_EQ(LcdLit, c.lit);
        EXPECT_EQ(IoWords[AccessLevelWord], c.lit ? 4 : 1)
            << "a dark display drops the access level";
    }
}

TEST_F(PanelPaintTest, BlinkingLedFollowsPhasesZeroAndFive) {
    IoWords[OnLedWord] = 1;
    refreshPanel();
    EXPECT_TRUE(FrontLedLit[OnLed]);
    IoWords[OnLedWord] = 2;
    // Phases 1..10 then 0: a lit LED keeps its colour until phase 0.
    for (int phase = 1; phase <= 10; ++phase) {
        refreshPanel();
        EXPECT_TRUE(FrontLedLit[OnLed]) << "phase " << phase;
    }
    refreshPanel();
    EXPECT_FALSE(FrontLedLit[OnLed]);
    for (int phase = 1; phase <= 4; ++phase) {
        refreshPanel();
        EXPECT_FALSE(FrontLedLit[OnLed]) << "phase " << phase;
    }
    refreshPanel();
    EXPECT_TRUE(FrontLedLit[OnLed]);
}

TEST_F(PanelPaintTest, AnyOtherModeLightsSteadilyWithoutSound) {
    IoWords[CompressorLedWord] = 7;
    IoWords[AlarmLedWord] = 1;
    for (int i = 0; i < 30; ++i) {
        refreshPanel();
        EXPECT_TRUE(FrontLedLit[KompressorLed]);
        EXPECT_TRUE(FrontLedLit[AlarmLed]);
    }
    EXPECT_EQ(host.beeps, 0);
}

TEST_F(PanelPaintTest, BlinkingAlarmBeepsEveryFifthLitPhase) {
    IoWords[AlarmLedWord] = 2;
    int litPhases = 0;
    for (int tick = 0; tick < 11 * 11; ++tick) {
        const bool wasLit = FrontLedLit[AlarmLed];
        refreshPanel();
        litPhases += !wasLit && FrontLedLit[AlarmLed];
    }
    EXPECT_EQ(litPhases, 11);
    EXPECT_EQ(host.beeps, 3) << "lit phases 1, 6 and 11 beep";
}

TEST_F(PanelPaintTest, ValvePulseEndClearsBothValveRelays) {
    ValvePulseTimer = 2;
    ValveStepTimer = 1;
    IoWords[ValveOpenPulseWord] = 1;
    Timer1Timer();
    EXPECT_EQ(IoWords[ValveOpenPulseWord], 1);
    EXPECT_EQ(ValveStepTimer, 0);
    Timer1Timer();
    EXPECT_EQ(ValvePulseTimer, 0);
    EXPECT_EQ(IoWords[ValveClosePulseWord], 0);
    EXPECT_EQ(IoWords[ValveOpenPulseWord], 0);
}

TEST_F(PanelPaintTest, RelayLampsFollowTheirWords) {
    IoWords[ValveOpenPulseWord] = 1;
    IoWords[SumAlarmWord] = 3;
    const uint32_t generation = LampsGeneration;
    paintRelayLamps();
    for (int lamp = 0; lamp < 10; ++lamp) {
        EXPECT_EQ(RelayLampLit[lamp], lamp == 4 || lamp == 9) << "Led" << lamp + 1;
    }
    EXPECT_NE(LampsGeneration, generation);
    const uint32_t painted = LampsGeneration;
    paintRelayLamps();
    EXPECT_EQ(LampsGeneration, painted) << "nothing changed, nothing to repaint";
}

// The lamps are painted again only when a relay word moved; a reset of the paint state and any
// single word still show.
TEST_F(PanelPaintTest, RelayLampsRepaintAfterResetAndOnEveryWord) {
    IoWords[BrinePumpWord] = 1;
    paintRelayLamps();
    resetPaintState();
    paintRelayLamps();
    EXPECT_TRUE(RelayLampLit[0]) << "lamps painted anew after a reset of the paint state";
    for (int word = 12; word <= 21; ++word) {
        IoWords[word] = 1;
        paintRelayLamps();
        IoWords[word] = 0;
        paintRelayLamps();
    }
    IoWords[ValveClosePulseWord] = 1;
    paintRelayLamps();
    for (int lamp = 0; lamp < 10; ++lamp) {
        EXPECT_EQ(RelayLampLit[lamp], lamp == 5) << "Led" << lamp + 1;
    }
}

} // namespace
} // namespace kv410
