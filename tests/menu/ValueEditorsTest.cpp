#include "MenuTestDriver.h"

#include "core/MemoryMap.h"
#include "menu/ValueEditors.h"
#include "supervision/HeatingCurves.h"

namespace kv410 {
namespace {

constexpr const char* SavedMessage = "      Lagrer...     ";
constexpr const char* SaveSoftKeys = "Avbryt         Lagre";

TEST_F(MenuTest, OffValuesShowIkkeAktInPlaceOfTheValue) {
    setAccessLevel(8);
    openUnder({9, 1});
    ASSERT_EQ(ControllerCells[HeatPumpBlockOutdoorCell], -201);
    EXPECT_EQ(line(3), "-20\xBA  Ikke Akt   10\xBA");

    pressEnter();
    turn(1);
    EXPECT_EQ(line(3), "-20\xBA   -20,0\xBA    10\xBA");
    turn(-1);
    EXPECT_EQ(line(3), "-20\xBA  Ikke Akt   10\xBA");

    // The upper end is the off value of the auxiliary-heat block.
    pressBack();
    openUnder({8, 2});
    ASSERT_EQ(ControllerCells[AuxHeatBlockCell], 201);
    EXPECT_EQ(line(3), "-10\xBA  Ikke Akt   20\xBA");
}

TEST_F(MenuTest, HoursEditorScalesMinutesAndSavesThrough) {
    setAccessLevel(2);
    ControllerCells[ExtraHotWaterCell] = 150;
    openUnder({2, 1});
    EXPECT_EQ(line(3), "0tim     2tim  48tim");

    pressEnter();
    EXPECT_EQ(line(4), "Avbryt              ");
    turn(1);
    EXPECT_EQ(line(4), SaveSoftKeys);
    EXPECT_EQ(line(3).substr(8, 5), " 3tim");
    pressEnter();
    EXPECT_EQ(line(2), SavedMessage);
    EXPECT_EQ(ControllerCells[ExtraHotWaterCell], 180);
    EXPECT_EQ(FlashImage[ExtraHotWaterCell], 180);
    EXPECT_EQ(MinuteTimers[1], 180u);

    // After the message the editor reopens on the stored value.
    endMessage();
    EXPECT_EQ(currentNode, entry({2, 1})->child);
    EXPECT_EQ(line(3), "0tim     3tim  48tim");
}

TEST_F(MenuTest, NumericEditorCancelsWithoutWriting) {
    setAccessLevel(2);
    storeParameter(41, 120);
    openUnder({2, 1});
    MenuNode* editor = currentNode;

    // The change key pressed again and again without a turn saves nothing.
    pressEnter();
    pressEnter();
    pressEnter();
    EXPECT_EQ(SecondTimers[7], 0u);

    turn(5);
    pressBack();
    EXPECT_EQ(ControllerCells[ExtraHotWaterCell], 120);
    EXPECT_EQ(FlashImage[ExtraHotWaterCell], 120);
    EXPECT_EQ(currentNode, editor);
    EXPECT_EQ(line(4), "Tilbake        Endre");
    cycle();
    EXPECT_EQ(line(3), "0tim     2tim  48tim");

    // Not armed, the back key leaves the editor.
    pressBack();
    EXPECT_EQ(currentNode, entry({2, 1}));
}

TEST_F(MenuTest, ValveOpeningTimeLiftsRampTimes) {
    setAccessLevel(4);
    storeParameter(66, 60);
    storeParameter(67, 240);
    openUnder({8, 3, 6});
    pressEnter();
    turn(65);
    pressEnter();
    EXPECT_EQ(ControllerCells[OpeningTimeCell], 125);
    EXPECT_EQ(MenuNodes[NodeValveOpenRuntimeEditor].min, 3);
    EXPECT_EQ(MenuNodes[NodeValveCloseRuntimeEditor].min, 3);
    EXPECT_EQ(ControllerCells[RampOpenCell], 180);
    EXPECT_EQ(FlashImage[RampOpenCell], 180);
    EXPECT_EQ(ControllerCells[RampCloseCell], 240);
    // The derived timings follow the new values.
    EXPECT_EQ(ControllerCells[ValvePulseLengthCell], 41);
    EXPECT_EQ(ControllerCells[ValveOpenIntervalCell], 60);
    EXPECT_EQ(FlashImage[ValveOpenIntervalCell], 60);
}

TEST_F(MenuTest, SwitchingDifferentialMovesDeadZone) {
    setAccessLevel(4);
    storeParameter(32, 45);
    openUnder({1, 4});
    pressEnter();
    turn(1);
    turn(-1);
    pressEnter();
    EXPECT_EQ(ControllerCells[SwitchingDifferentialCell], 50);
    EXPECT_EQ(ControllerCells[ShuntNeutralZoneCell], 40);
    EXPECT_EQ(FlashImage[ShuntNeutralZoneCell], 40);
    EXPECT_EQ(MenuNodes[NodeShuntDeadZoneEditor].max, 40);

    endMessage();
    pressEnter();
    turn(70);
    pressEnter();
    EXPECT_EQ(ControllerCells[SwitchingDifferentialCell], 120);
    EXPECT_EQ(ControllerCells[ShuntNeutralZoneCell], 40);
    EXPECT_EQ(MenuNodes[NodeShuntDeadZoneEditor].max, 90);
}

TEST_F(MenuTest, TwoWayChoiceMovesOnlyAfterChangeKey) {
    setAccessLevel(4);
    ControllerCells[58] = 0;
    FlashImage[58] = 0x55;
    openUnder({5, 4});
    EXPECT_EQ(line(2).substr(17, 2), "<-");

    turn(1);
    EXPECT_EQ(line(2).substr(17, 2), "<-");
    EXPECT_EQ(line(3).substr(17, 2), "  ");

    pressEnter();
    EXPECT_EQ(line(4).substr(12), "        ");
    pressEnter();
    EXPECT_EQ(line(2), SavedMessage);
    EXPECT_EQ(FlashImage[58], 0);

    endMessage();
    pressEnter();
    turn(1);
    EXPECT_EQ(line(2).substr(17, 2), "  ");
    EXPECT_EQ(line(3).substr(17, 2), "<-");
    EXPECT_EQ(line(4), SaveSoftKeys);
    turn(4);
    EXPECT_EQ(line(3).substr(17, 2), "<-");
    pressEnter();
    EXPECT_EQ(ControllerCells[58], 1);
    EXPECT_EQ(FlashImage[58], 1);
}

TEST_F(MenuTest, ReturnTemperatureReadoutShowsSwitchingPoint) {
    ControllerCells[111] = 450;
    ControllerCells[112] = 50;
    IoWords[Gt1Word] = 217;
    ControllerCells[Gt1Cell] = 217;
    openUnder({3});
    EXPECT_EQ(line(3), "Tilp 45,0\xBA Nuv 21,7\xBA");

    IoWords[Gt1Word] = -450;
    cycle(2);
    EXPECT_EQ(line(3).substr(14, 6), " --   ");

    // With the output on, the switch-off temperature under "Fra".
    currentNode = entry({3});
    ControllerCells[516] = 1;
    IoWords[Gt1Word] = 217;
    cycle();
    pressEnter();
    EXPECT_EQ(line(3), "Frapp 5,0\xBA Nuv 21,7\xBA");
}

TEST_F(MenuTest, CurvePointEditorMovesThePoint) {
    setAccessLevel(4);
    openUnder({1, 3});
    EXPECT_EQ(line(2).substr(15, 4), "20,0");
    EXPECT_EQ(line(3).substr(15, 4), "23,2");
    MenuNode* readout = currentNode;

    pressEnter();
    EXPECT_EQ(line(3), "20\xBA     20,0\xBA   108\xBA");
    turn(5);
    EXPECT_EQ(line(4), SaveSoftKeys);
    EXPECT_EQ(line(3).substr(8, 4), "20,5");
    pressEnter();
    EXPECT_EQ(line(2), SavedMessage);
    EXPECT_EQ(ControllerCells[30], 5);
    EXPECT_EQ(FlashImage[30], 5);
    EXPECT_EQ(curvePointSetpoint(0, 11), 205);
    EXPECT_EQ(currentNode, readout);

    // The back key stores nothing.
    endMessage();
    pressEnter();
    turn(-3);
    pressBack();
    EXPECT_EQ(ControllerCells[30], 5);
    EXPECT_EQ(currentNode, readout);
}

TEST_F(MenuTest, LimitAndUnitTexts) {
    char text[12];
    currentNode = entry({9, 1})->child;
    EXPECT_EQ(formatLimit(text, -201), 3);
    EXPECT_STREQ(text, "-20");
    EXPECT_EQ(formatLimit(text, -5), 1);
    EXPECT_STREQ(text, "0");
    currentNode = entry({8, 3, 6})->child;
    EXPECT_EQ(formatLimit(text, 600), 3);
    EXPECT_STREQ(text, "600");

    EXPECT_EQ(unitName(text, 0), 0);
    EXPECT_EQ(unitName(text, 2), 3);
    EXPECT_STREQ(text, "tim");
    EXPECT_EQ(unitName(text, 6), 1);
    EXPECT_STREQ(text, "\xDF");
    EXPECT_EQ(unitName(text, 99), 0);

    currentNode = entry({1, 2})->child;
    int32_t value = 75;
    knobSteps = 10;
    adjustByKnob(value);
    EXPECT_EQ(value, 80);
    EXPECT_EQ(knobSteps, 0);
}

} // namespace
} // namespace kv410
