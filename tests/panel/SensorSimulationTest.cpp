#include "ControllerFixture.h"
#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "panel/FrontPanel.h"
#include "unit/FormLifeCycle.h"

#include <string>

namespace kv410 {
namespace {

using SensorSimulationTest = ControllerTest;

TEST_F(SensorSimulationTest, SliderWritesItsSignedWordAndText) {
    TrackBarChange(10, -40);
    EXPECT_EQ(static_cast<int16_t>(IoWords[Gt11Word]), -40);
    EXPECT_EQ(std::string(SliderTexts[9]), "-40");
    TrackBarChange(1, 4000);
    EXPECT_EQ(IoWords[Gt1Word], 1500);
    EXPECT_EQ(std::string(SliderTexts[0]), "1500");
}

TEST_F(SensorSimulationTest, SliderKeysMoveTheCurrentSliderWithinItsRange) {
    TrackBarChange(1, 1500);
    FormKeyPress('+');
    EXPECT_EQ(SliderPositions[0], 1500);
    FormKeyPress('/');
    FormKeyPress('-');
    EXPECT_EQ(SliderPositions[0], 1489);
    FormKeyPress('*');
    EXPECT_EQ(IoWords[Gt1Word], 1499);

    TrackBar1Enter(3);
    TrackBarChange(3, -495);
    FormKeyPress('/');
    EXPECT_EQ(static_cast<int16_t>(IoWords[Gt3Word]), -500);
}

TEST_F(SensorSimulationTest, KeyOneSelectsTheFirstSliderFocusedOnlyWhenShown) {
    TrackBar1Enter(5);
    FormKeyPress('1');
    EXPECT_EQ(currentSlider, 1);
    EXPECT_FALSE(SliderFocusRequested);
    TrackBar1Enter(5);
    SensorPanelVisible = true;
    FormKeyPress('1');
    EXPECT_EQ(currentSlider, 1);
    EXPECT_TRUE(SliderFocusRequested);
}

TEST_F(SensorSimulationTest, FocusedSliderSwallowsOnlyArrowKeys) {
    EXPECT_TRUE(TrackBar1KeyDown(PanelKey::Up));
    EXPECT_TRUE(TrackBar1KeyDown(PanelKey::Left));
    EXPECT_FALSE(TrackBar1KeyDown(PanelKey::Enter));
    EXPECT_FALSE(TrackBar1KeyDown(PanelKey::Other));
}

TEST_F(SensorSimulationTest, AlarmTogglesShowTheirState) {
    SpeedButtonClick(3);
    EXPECT_EQ(IoWords[Mb2InputWord], 1);
    EXPECT_TRUE(CaptionLight[2]);
    SpeedButtonClick(3);
    EXPECT_EQ(IoWords[Mb2InputWord], 0);
    EXPECT_FALSE(CaptionLight[2]);
}

TEST_F(SensorSimulationTest, PhaseFaultButtonsShareOneInputShownOnLarm) {
    SpeedButtonClick(8);
    EXPECT_EQ(IoWords[PhaseFaultInputWord], 1);
    EXPECT_TRUE(CaptionLight[8]);
    EXPECT_FALSE(CaptionLight[7]) << "FFF keeps its colour";
    SpeedButtonClick(9);
    EXPECT_EQ(IoWords[PhaseFaultInputWord], 0);
    EXPECT_FALSE(CaptionLight[8]);
}

TEST_F(SensorSimulationTest, OptionalSensorButtonsFitAndRemove) {
    IoWords[Gt4Word] = static_cast<uint16_t>(-500);
    SpeedButtonClick(10);
    EXPECT_EQ(IoWords[Gt4Word], 217);
    EXPECT_EQ(SliderPositions[3], 217);
    EXPECT_TRUE(CaptionLight[9]);
    TrackBarChange(4, -499);
    SpeedButtonClick(10);
    EXPECT_EQ(static_cast<int16_t>(IoWords[Gt4Word]), -500);
    EXPECT_EQ(std::string(SliderTexts[3]), "-500");
    EXPECT_FALSE(CaptionLight[9]);

    IoWords[Gt5Word] = static_cast<uint16_t>(-600);
    SpeedButtonClick(11);
    EXPECT_EQ(IoWords[Gt5Word], 200);
    EXPECT_TRUE(CaptionLight[10]);
}

TEST_F(SensorSimulationTest, StartUpSetsTheSensorStartValues) {
    FormShow();
    const int expected[11] = {217, 140, 480, 217, 200, 900, 450, 220, 0, -40, -500};
    for (int n = 0; n < 11; ++n) {
        EXPECT_EQ(static_cast<int16_t>(IoWords[FirstSensorWord + n]), expected[n])
            << "slider " << n + 1;
        EXPECT_EQ(SliderPositions[n], expected[n]);
        EXPECT_EQ(std::string(SliderTexts[n]), std::to_string(expected[n]));
    }
    EXPECT_TRUE(CaptionLight[9]);
    EXPECT_TRUE(CaptionLight[10]);
    EXPECT_FALSE(CaptionLight[0]);
    EXPECT_EQ(idleCountdown, 600);
}

} // namespace
} // namespace kv410
