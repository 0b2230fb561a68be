#include "MenuTestDriver.h"

#include "core/MemoryMap.h"
#include "menu/QuickSettings.h"
#include "tests/LibraryTestHooks.h"

namespace kv410 {
namespace {

constexpr const char* SavedMessage = "      Lagrer...     ";
constexpr const char* SaveSoftKeys = "Avbryt         Lagre";
constexpr const char* CancelOnly = "Avbryt              ";
constexpr const char* ViewSoftKeys = "Tilbake        Endre";

class QuickSettingsTest : public MenuTest {
protected:
    // From the main display, the left key and `steps` knob steps to a quick-setting view.
    void openView(int steps) {
        ASSERT_EQ(currentNode, &MenuNodes[NodeRoot]);
        pressBack();
        for (int i = 0; i < steps; ++i) {
            turn(1);
        }
        ASSERT_EQ(currentNode->kind, 18);
    }
    void expectGraph(int32_t start, int32_t end) {
        EXPECT_TRUE(GraphVisible);
        EXPECT_EQ(barStart, start);
        EXPECT_EQ(barEnd, end);
    }
};

TEST_F(QuickSettingsTest, FineAdjustmentAtItsMinimum) {
    storeParameter(1, -80);
    openView(1);
    EXPECT_EQ(line(1), "Varmek.Finjustering_");
    EXPECT_EQ(line(2), "                    ");
    EXPECT_EQ(line(3), "-8\xBA     -8,0\xBA     8\xBA");
    EXPECT_EQ(line(4), ViewSoftKeys);
    expectGraph(0, 1);

    // The editor draws the same screen with its own soft keys.
    pressEnter();
    EXPECT_EQ(line(3), "-8\xBA     -8,0\xBA     8\xBA");
    EXPECT_EQ(line(4), CancelOnly);
    expectGraph(0, 1);

    // The marker follows the value: the middle of the range.
    turn(80);
    EXPECT_EQ(line(3), "-8\xBA      0,0\xBA     8\xBA");
    expectGraph(110, 112);
}

TEST_F(QuickSettingsTest, ViewsShowTheirUnitsAndLimits) {
    storeParameter(0, 100);
    storeParameter(33, 215);
    storeParameter(41, 12);
    openView(0);
    EXPECT_EQ(line(1), "_Varme oke/redusere_");
    EXPECT_EQ(line(3), "0       10,0      10");
    expectGraph(0, 224);

    // At the first access level the two shunt settings are passed over.
    turn(1);
    turn(1);
    EXPECT_EQ(line(1), "___Romtemperatur____");
    EXPECT_EQ(line(3), "10\xBA     21,5\xBA    30\xBA");
    expectGraph(0, 224 * 115 / 200);

    turn(1);
    EXPECT_EQ(line(1), "__Ekstra Varmtvann__");
    EXPECT_EQ(line(3), "0tim    12tim  48tim");
    expectGraph(0, 224 * 12 / 48);
    turn(1);
    EXPECT_EQ(line(1), "__Ekstra Varmtvann__");

    // Back to the main display.
    pressBack();
    EXPECT_EQ(currentNode, &MenuNodes[NodeRoot]);
}

TEST_F(QuickSettingsTest, ShuntSettingsAppearFromTheSecondLevel) {
    setAccessLevel(2);
    storeParameter(4, 25);
    openView(3);
    EXPECT_EQ(line(1), "Shuntv.Finjustering_");
    EXPECT_EQ(line(3), "-8\xBA      2,5\xBA     8\xBA");
    expectGraph(224 * 105 / 160 - 2, 224 * 105 / 160);
}

TEST_F(QuickSettingsTest, KnobStepsAddUpInOnePassAndSaveWritesThrough) {
    storeParameter(0, 50);
    openView(0);
    pressEnter();
    EXPECT_FALSE(editArmed);
    EXPECT_EQ(line(4), CancelOnly);

    turn(5);
    EXPECT_EQ(editValue, 55);
    EXPECT_EQ(knobSteps, 0);
    EXPECT_TRUE(editArmed);
    EXPECT_EQ(line(4), SaveSoftKeys);
    EXPECT_EQ(line(3), "0        5,5      10");
    expectGraph(0, 224 * 55 / 100);
    EXPECT_EQ(ControllerCells[HeatingCurveSlopeCell], 50);

    pressEnter();
    EXPECT_EQ(line(2), SavedMessage);
    EXPECT_EQ(ControllerCells[HeatingCurveSlopeCell], 55);
    EXPECT_EQ(FlashImage[HeatingCurveSlopeCell], 55);

    // After the message the view shows the stored value.
    endMessage();
    EXPECT_EQ(currentNode, &MenuNodes[NodeQuickFirst]);
    EXPECT_EQ(line(3), "0        5,5      10");
    EXPECT_EQ(line(4), ViewSoftKeys);
}

TEST_F(QuickSettingsTest, CancelWritesNothingAndReopensFromTheStoredValue) {
    storeParameter(1, 10);
    openView(1);
    pressEnter();
    turn(-30);
    EXPECT_EQ(editValue, -20);
    pressBack();
    EXPECT_EQ(currentNode->kind, 18);
    cycle();
    EXPECT_EQ(ControllerCells[HeatingCurveOffsetCell], 10);
    EXPECT_EQ(FlashImage[HeatingCurveOffsetCell], 10);
    EXPECT_EQ(line(3), "-8\xBA      1,0\xBA     8\xBA");

    pressEnter();
    EXPECT_EQ(editValue, 10);
    EXPECT_FALSE(editArmed);
    EXPECT_EQ(line(4), CancelOnly);
}

TEST_F(QuickSettingsTest, KnobIsClampedToTheLimits) {
    storeParameter(41, 40);
    openView(3);
    pressEnter();
    turn(100);
    EXPECT_EQ(editValue, 48);
    EXPECT_EQ(line(3), "0tim    48tim  48tim");
    expectGraph(0, 224);
    turn(-100);
    turn(-100);
    EXPECT_EQ(editValue, 0);
    EXPECT_EQ(line(3), "0tim     0tim  48tim");
    expectGraph(0, 1);
}

TEST_F(QuickSettingsTest, RightKeyArmsFirstThenStoresTheUnchangedValue) {
    ControllerCells[RoomTemperatureSetCell] = 200;
    FlashImage[RoomTemperatureSetCell] = 0;
    openView(2);
    pressEnter();
    pressEnter();
    EXPECT_TRUE(editArmed);
    EXPECT_EQ(line(4), SaveSoftKeys);
    EXPECT_EQ(FlashImage[RoomTemperatureSetCell], 0);

    pressEnter();
    EXPECT_EQ(line(2), SavedMessage);
    EXPECT_EQ(FlashImage[RoomTemperatureSetCell], 200);
    // A key pressed while the message holds is dropped.
    pressEnter();
    endMessage();
    EXPECT_EQ(currentNode->kind, 18);
    EXPECT_EQ(line(1), "___Romtemperatur____");
}

} // namespace
} // namespace kv410
