#include "panel/FrontPanel.h"
#include "ControllerFixture.h"
#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "supervision/Alarms.h"
#include "unit/Ticks.h"

namespace kv410 {
namespace {

class FrontPanelTest : public ControllerTest {
protected:
    void wake() { IoWords[DisplayAwakeWord] = 1; }
};

TEST_F(FrontPanelTest, KnobClickOnDarkDisplayOnlyWakesIt) {
    idleCountdown = 5;
    const uint32_t generation = KnobGeneration;
    RattImageMouseDown(MouseButton::Left, true);
    EXPECT_EQ(IoWords[DisplayAwakeWord], 1);
    EXPECT_EQ(knobSteps, 0);
    EXPECT_EQ(knobFrame, 0);
    EXPECT_EQ(IoWords[MiddleButtonWord], 0);
    EXPECT_EQ(idleCountdown, 600);
    EXPECT_NE(KnobGeneration, generation) << "the knob is redrawn also when only waking";
}

TEST_F(FrontPanelTest, KnobFramesWrapBothWays) {
    wake();
    for (int i = 0; i < 12; ++i) {
        RattImageMouseDown(MouseButton::Left, false);
    }
    EXPECT_EQ(knobFrame, 0);
    RattImageMouseDown(MouseButton::Right, false);
    EXPECT_EQ(knobFrame, 11);
    RattImageMouseDown(MouseButton::Middle, false);
    EXPECT_EQ(knobFrame, 11);
    EXPECT_EQ(knobSteps, -1);
}

TEST_F(FrontPanelTest, ClicksReplacePendingStepsWhileKeyStrokesAddUp) {
    wake();
    RattImageMouseDown(MouseButton::Left, false);
    RattImageMouseDown(MouseButton::Left, false);
    EXPECT_EQ(knobSteps, 1);
    FormKeyDown(PanelKey::Up, false);
    FormKeyDown(PanelKey::Up, false);
    EXPECT_EQ(knobSteps, 3);
    RattImageMouseDown(MouseButton::Right, true);
    EXPECT_EQ(knobSteps, -1);
    EXPECT_EQ(IoWords[MiddleButtonWord], 2);
    FormKeyDown(PanelKey::Down, false);
    EXPECT_EQ(knobSteps, -2);
    EXPECT_EQ(knobFrame, 1) << "keys leave the knob frame alone";
}

TEST_F(FrontPanelTest, PendingKeyStepsSaturateAt127) {
    for (int i = 0; i < 300; ++i) {
        FormKeyDown(PanelKey::Up, false);
    }
    EXPECT_EQ(knobSteps, 127);
    for (int i = 0; i < 600; ++i) {
        FormKeyDown(PanelKey::Down, true);
    }
    EXPECT_EQ(knobSteps, -127);
}

TEST_F(FrontPanelTest, ShiftedArrowKeys) {
    FormKeyDown(PanelKey::Up, true);
    EXPECT_EQ(knobSteps, 1);
    EXPECT_EQ(IoWords[MiddleButtonWord], 2);
    EXPECT_EQ(IoWords[DisplayAwakeWord], 1) << "a key stroke wakes the display";
    FormKeyUp();
    EXPECT_EQ(IoWords[MiddleButtonWord], 0);

    FormKeyDown(PanelKey::Left, true);
    EXPECT_EQ(IoWords[MiddleButtonWord], 1);
    EXPECT_EQ(IoWords[LeftButtonWord], 0);

    FormKeyDown(PanelKey::Right, true);
    EXPECT_EQ(IoWords[RightButtonWord], 1);
    FormKeyDown(PanelKey::Left, false);
    EXPECT_EQ(IoWords[LeftButtonWord], 1);
}

TEST_F(FrontPanelTest, EscapeAndEnterCharactersGiveButtonEvents) {
    FormKeyPress(EscapeChar);
    EXPECT_EQ(IoWords[LeftButtonWord], 1);
    FormKeyPress(EnterChar);
    EXPECT_EQ(IoWords[RightButtonWord], 1);
    EXPECT_EQ(IoWords[DisplayAwakeWord], 1);
    EXPECT_EQ(idleCountdown, 600);
}

TEST_F(FrontPanelTest, ShortPressesGiveTheirButtonEvents) {
    wake();
    Shape1MouseDown();
    EXPECT_TRUE(Timer3Running);
    Shape1MouseUp();
    EXPECT_FALSE(Timer3Running);
    Shape2MouseDown();
    Shape2MouseUp();
    Shape3MouseDown();
    Shape3MouseUp();
    EXPECT_EQ(IoWords[LeftButtonWord], 1);
    EXPECT_EQ(IoWords[MiddleButtonWord], 1);
    EXPECT_EQ(IoWords[RightButtonWord], 1);
}

TEST_F(FrontPanelTest, LongPressesSetTheAccessLevelAndSwallowTheRelease) {
    struct Case {
        void (*down)();
        void (*up)();
        int seconds;
        uint16_t level;
        int eventWord;
    };
    const Case cases[] = {{Shape1MouseDown, Shape1MouseUp, 3, 2, 1},
                          {Shape3MouseDown, Shape3MouseUp, 5, 4, 3},
                          {Shape2MouseDown, Shape2MouseUp, 5, 8, 2}};
    for (const Case& c : cases) {
        wake();
        IoWords[AccessLevelWord] = 1;
        c.down();
        for (int s = 1; s < c.seconds; ++s) {
            Timer3Timer();
            EXPECT_EQ(IoWords[AccessLevelWord], 1) << "fired early for level " << c.level;
        }
        Timer3Timer();
        EXPECT_EQ(IoWords[AccessLevelWord], c.level);
        EXPECT_FALSE(Timer3Running);
        c.up();
        EXPECT_EQ(IoWords[c.eventWord], 0) << "a release after a long press is no event";
    }
}

TEST_F(FrontPanelTest, ButtonReleaseOnDarkDisplayOnlyWakesIt) {
    Shape3MouseDown();
    Shape3MouseUp();
    EXPECT_EQ(IoWords[DisplayAwakeWord], 1);
    EXPECT_EQ(IoWords[RightButtonWord], 0);
}

TEST_F(FrontPanelTest, PowerSwitchRequestsWithoutWaking) {
    Shape6MouseDown();
    EXPECT_EQ(IoWords[PowerRequestWord], 1);
    EXPECT_EQ(IoWords[DisplayAwakeWord], 0);
    EXPECT_EQ(idleCountdown, 600);
}

TEST_F(FrontPanelTest, OneSecondTickCountsEveryCountdown) {
    SecondTimers[3] = 2;
    MinuteTimers[1] = 2;
    AlarmDelayCounters[31] = 1;
    idleCountdown = 1;
    Timer2Timer();
    EXPECT_EQ(SecondTimers[3], 1u);
    EXPECT_EQ(SecondTimers[0], 0u) << "a countdown at 0 stays there";
    EXPECT_EQ(AlarmDelayCounters[31], 0);
    EXPECT_EQ(idleCountdown, 0);
    for (int s = 2; s < 60; ++s) {
        Timer2Timer();
    }
    EXPECT_EQ(MinuteTimers[1], 2u) << "minutes count only at the wrap of the divider";
    Timer2Timer();
    EXPECT_EQ(minuteDivider, 0u);
    EXPECT_EQ(MinuteTimers[1], 1u);
    EXPECT_EQ(idleCountdown, 0);
}

TEST_F(FrontPanelTest, ResetReturnsThePanelFieldsToTheirStart) {
    wake();
    RattImageMouseDown(MouseButton::Right, false);
    Shape2MouseDown();
    SensorPanelVisible = true;
    TrackBar1Enter(7);
    resetPanelState();
    EXPECT_EQ(knobFrame, 0);
    EXPECT_FALSE(Timer3Running);
    EXPECT_FALSE(SensorPanelVisible);
    EXPECT_EQ(currentSlider, 1);
    EXPECT_EQ(longPressCountdown, 0);
}

} // namespace
} // namespace kv410
