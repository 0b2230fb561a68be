#include "MenuTestDriver.h"

#include "core/MemoryMap.h"
#include "menu/Selections.h"

namespace kv410 {
namespace {

constexpr const char* SavedMessage = "      Lagrer...     ";
constexpr const char* CancelOnly = "Avbryt              ";
constexpr const char* SaveSoftKeys = "Avbryt         Lagre";
constexpr const char* BlankLine = "                    ";

class SelectionTest : public MenuTest {
protected:
    void SetUp() override {
        MenuTest::SetUp();
        setAccessLevel(4);
    }
    // Column of the caret on line 3, 0 when there is none.
    static int caretColumn() {
        const std::string l = line(3);
        const auto at = l.find('^');
        return at == std::string::npos ? 0 : static_cast<int>(at) + 1;
    }
};

// ---- caret choice ---------------------------------------------------------------------------

TEST_F(SelectionTest, OperatingCaseChangeKeepsTheOptionBits) {
    ControllerCells[ConfigurationCell] =
        static_cast<int16_t>(0xFFF9); // case A, every option, high bits set
    openUnder({5, 1});
    EXPECT_EQ(line(2), " (A)    (B)    (C)  ");
    EXPECT_EQ(caretColumn(), 3);

    pressEnter();
    EXPECT_EQ(line(4), CancelOnly);
    turn(1);
    // The first step only arms the change.
    EXPECT_EQ(line(4), SaveSoftKeys);
    EXPECT_EQ(caretColumn(), 3);
    cycle();
    EXPECT_EQ(caretColumn(), 10);

    pressEnter();
    EXPECT_EQ(line(2), SavedMessage);
    EXPECT_EQ(cellUnsigned(55), 0x00FA);
    EXPECT_EQ(FlashImage[ConfigurationCell], 0x00FA);
    // Case B now shows the valve run times.
    EXPECT_NE(MenuNodes[NodeValveRunTimesFirst].config & 0x80, 0);

    endMessage();
    EXPECT_EQ(currentNode, &MenuNodes[NodeOperatingCaseSelection]);
    EXPECT_EQ(caretColumn(), 10);
    EXPECT_EQ(line(4), "Tilbake        Endre");
}

TEST_F(SelectionTest, FastTurnMovesTheCaretOneOptionPerCycle) {
    ControllerCells[ConfigurationCell] = 0x79;
    openUnder({5, 1});
    pressEnter();
    turn(3);
    EXPECT_EQ(line(4), SaveSoftKeys);
    EXPECT_EQ(caretColumn(), 3);
    EXPECT_EQ(knobSteps, 3);
    cycle();
    EXPECT_EQ(caretColumn(), 10);
    cycle();
    EXPECT_EQ(caretColumn(), 17);
    cycle();
    EXPECT_EQ(caretColumn(), 17);
    EXPECT_EQ(knobSteps, 0);
    // Nothing is stored before the save key.
    EXPECT_EQ(cellUnsigned(55), 0x79);

    // Back down past (A) stays at (A).
    turn(-5);
    cycle(5);
    EXPECT_EQ(caretColumn(), 3);
}

TEST_F(SelectionTest, KnobBeforeTheChangeKeyDoesNothing) {
    ControllerCells[ConfigurationCell] = 0x79;
    openUnder({5, 1});
    turn(2);
    cycle(2);
    EXPECT_EQ(caretColumn(), 3);
    EXPECT_EQ(knobSteps, 0);
    EXPECT_EQ(line(4), "Tilbake        Endre");
}

TEST_F(SelectionTest, BackKeyAbandonsAChangeThenLeaves) {
    ControllerCells[ConfigurationCell] = 0x79;
    openUnder({5, 1});
    MenuNode* selection = currentNode;
    pressEnter();
    turn(1);
    cycle();
    ASSERT_EQ(caretColumn(), 10);

    pressBack();
    cycle();
    EXPECT_EQ(currentNode, selection);
    EXPECT_EQ(caretColumn(), 3);
    EXPECT_EQ(line(4), "Tilbake        Endre");
    EXPECT_EQ(cellUnsigned(55), 0x79);
    EXPECT_EQ(FlashImage[ConfigurationCell], readFlashWord(55));

    pressBack();
    EXPECT_EQ(currentNode, entry({5, 1}));
}

TEST_F(SelectionTest, ConfigurationAfterStartShowsNoCaretButStillTurns) {
    ASSERT_EQ(cellUnsigned(55), 0xFFFF);
    openUnder({5, 1});
    EXPECT_EQ(caretColumn(), 0);
    pressEnter();
    turn(-1);
    cycle();
    // 7 halves to 3, which is no option; once more gives (A).
    EXPECT_EQ(caretColumn(), 0);
    turn(-1);
    EXPECT_EQ(caretColumn(), 3);
}

TEST_F(SelectionTest, NineKilowattsAsksForConfirmation) {
    storeParameter(107, 2);
    openUnder({5, 2});
    EXPECT_EQ(line(2), " 3kW    6kW    9kW  ");
    EXPECT_EQ(caretColumn(), 10);
    pressEnter();
    turn(1);
    cycle();
    ASSERT_EQ(caretColumn(), 17);

    pressEnter();
    EXPECT_EQ(line(1), "    ADVARSEL!!!     ");
    EXPECT_EQ(line(2), "Er VP avsikret for  ");
    EXPECT_EQ(line(3), "9 kW eltilskudd?    ");
    EXPECT_EQ(line(4), "Tilbake          Ja ");
    EXPECT_EQ(ControllerCells[ConnectedPowerCell], 2);
    // The knob is ignored on the warning.
    turn(-1);
    EXPECT_EQ(knobSteps, 0);
    EXPECT_EQ(line(1), "    ADVARSEL!!!     ");

    pressEnter();
    EXPECT_EQ(line(2), SavedMessage);
    EXPECT_EQ(ControllerCells[ConnectedPowerCell], 4);
    EXPECT_EQ(FlashImage[ConnectedPowerCell], 4);
    endMessage();
    EXPECT_EQ(caretColumn(), 17);
}

TEST_F(SelectionTest, BackOnTheWarningKeepsTheStoredPower) {
    storeParameter(107, 2);
    openUnder({5, 2});
    pressEnter();
    turn(1);
    cycle();
    pressEnter();
    ASSERT_EQ(line(1), "    ADVARSEL!!!     ");

    pressBack();
    cycle();
    EXPECT_EQ(line(1), "_Tilkoblingseffekt__");
    EXPECT_EQ(caretColumn(), 10);
    EXPECT_EQ(ControllerCells[ConnectedPowerCell], 2);
    EXPECT_EQ(FlashImage[ConnectedPowerCell], 2);
}

TEST_F(SelectionTest, LowerPowerAndCaseCStoreWithoutWarning) {
    storeParameter(107, 2);
    openUnder({5, 2});
    pressEnter();
    turn(-1);
    cycle();
    pressEnter();
    EXPECT_EQ(line(2), SavedMessage);
    EXPECT_EQ(ControllerCells[ConnectedPowerCell], 1);

    // Case C on the operating case screen is no 9 kW question.
    ControllerCells[ConfigurationCell] = 0x7A;
    SecondTimers[7] = 0;
    openUnder({5, 1});
    pressEnter();
    turn(1);
    cycle();
    pressEnter();
    EXPECT_EQ(line(2), SavedMessage);
    EXPECT_EQ(cellUnsigned(55), 0x7C);
}

// ---- list choice ----------------------------------------------------------------------------

TEST_F(SelectionTest, LanguageListStopsAtBothEnds) {
    storeParameter(61, 6);
    openUnder({5, 8});
    EXPECT_EQ(line(1), "_______Spr\xE5k________");
    EXPECT_EQ(line(2), "     Tjekkisk       ");

    pressEnter();
    EXPECT_EQ(line(4), "Tilbake             ");
    turn(3);
    EXPECT_EQ(line(4), SaveSoftKeys);
    EXPECT_EQ(line(2), "     Tjekkisk       ");
    // All pending steps are taken at once.
    turn(-3);
    EXPECT_EQ(line(2), "       Finsk        ");
    turn(-20);
    EXPECT_EQ(line(2), "      Svensk        ");
    turn(-1);
    EXPECT_EQ(line(2), "      Svensk        ");

    pressEnter();
    EXPECT_EQ(line(2), SavedMessage);
    EXPECT_EQ(ControllerCells[61], 0);
    EXPECT_EQ(FlashImage[61], 0);
}

TEST_F(SelectionTest, ListKnobBeforeTheChangeKeyAndBackKeyStoreNothing) {
    storeParameter(61, 4);
    openUnder({5, 8});
    turn(1);
    EXPECT_EQ(line(2), "       Norsk        ");
    EXPECT_EQ(knobSteps, 0);
    pressEnter();
    turn(1);
    EXPECT_EQ(line(2), "      Fransk        ");
    pressBack();
    EXPECT_EQ(currentNode, entry({5, 8}));
    EXPECT_EQ(ControllerCells[61], 4);
    EXPECT_EQ(FlashImage[61], 4);
}

TEST_F(SelectionTest, ExternalControlHidesAndRestoresRemoteHeating) {
    openUnder({5, 7});
    EXPECT_EQ(line(2), "    Ingen funksjon  ");
    EXPECT_EQ(line(3), "Se handboken        ");
    pressEnter();
    EXPECT_EQ(line(3), BlankLine);
    turn(1);
    EXPECT_EQ(line(2), "   VarmeKurve ned   ");
    pressEnter();
    EXPECT_EQ(line(2), SavedMessage);
    EXPECT_EQ(ControllerCells[ExternalControlCell], 1);
    EXPECT_EQ(FlashImage[ExternalControlCell], 1);
    EXPECT_EQ(MenuNodes[NodeRemoteHeating].config, 0);
    EXPECT_FALSE(isNodeAvailable(&MenuNodes[NodeRemoteHeating]));

    endMessage();
    EXPECT_EQ(line(2), "   VarmeKurve ned   ");
    pressEnter();
    turn(-1);
    pressEnter();
    EXPECT_EQ(ControllerCells[ExternalControlCell], 0);
    EXPECT_EQ(MenuNodes[NodeRemoteHeating].config, 0x21);
    EXPECT_TRUE(isNodeAvailable(&MenuNodes[NodeRemoteHeating]));
    // Only in the configurations that 0x21 allows: not in case B alone.
    ControllerCells[ConfigurationCell] = 0x7A;
    EXPECT_FALSE(isNodeAvailable(&MenuNodes[NodeRemoteHeating]));
}

TEST_F(SelectionTest, SecondChangeKeyStoresTheUnchangedValue) {
    storeParameter(60, 3);
    FlashImage[ExternalControlCell] = 0;
    openUnder({5, 7});
    EXPECT_EQ(line(2), "Tilskudd VV stopper ");
    pressEnter();
    pressEnter();
    EXPECT_EQ(line(2), SavedMessage);
    EXPECT_EQ(FlashImage[ExternalControlCell], 3);
    EXPECT_EQ(MenuNodes[NodeRemoteHeating].config, 0);
}

TEST_F(SelectionTest, StoredValueOutsideTheListShowsTheNearestOption) {
    storeParameter(60, 20);
    openUnder({5, 7});
    EXPECT_EQ(line(2), " Tilskudd stopper   ");
    storeParameter(61, -3);
    openUnder({5, 8});
    EXPECT_EQ(line(2), "      Svensk        ");
}

TEST_F(SelectionTest, SlaveAddressIsShownAsANumber) {
    storeParameter(62, 7);
    // Its entry is never available, so the screen is made current directly.
    currentNode = entry({5, 9})->child;
    menuFlags &= ~EditingFlag;
    cycle();
    EXPECT_EQ(line(1), "__Adressering Slave_");
    EXPECT_EQ(line(2), "     Adress: 7      ");
    pressEnter();
    turn(5);
    EXPECT_EQ(line(2), "     Adress: 9      ");
}

// ---- extra sensors --------------------------------------------------------------------------

TEST_F(SelectionTest, ConfirmedSensorsReplaceTheInstalledBits) {
    ControllerCells[ConfigurationCell] = static_cast<int16_t>(0xFFFA);
    ControllerCells[DetectedSensorsCell] = 0x28;
    openUnder({5, 13});
    EXPECT_EQ(line(1), "____Ekstra Giver____");
    EXPECT_EQ(line(3), " GT3       GT5      ");
    EXPECT_EQ(line(4), "Tilbake     Bekrefte");

    pressEnter();
    EXPECT_EQ(line(2), "     Bekrefter...   ");
    EXPECT_EQ(cellUnsigned(55), 0x2A);
    EXPECT_EQ(FlashImage[ConfigurationCell], 0x2A);
    EXPECT_EQ(currentNode, entry({5, 13}));
    // Without the VVP input the hot-water settings need GT3 again.
    EXPECT_NE(MenuNodes[NodeHotWaterSettingsFirst].config & 0x08, 0);

    SecondTimers[7] = 0;
    ControllerCells[DetectedSensorsCell] = 0x40;
    openUnder({5, 13});
    EXPECT_EQ(line(3), "                VVP ");
    pressEnter();
    EXPECT_EQ(cellUnsigned(55), 0x42);
    EXPECT_EQ(MenuNodes[NodeHotWaterSettingsFirst].config & 0x08, 0);
}

TEST_F(SelectionTest, SensorScreenBackStoresNothingAndLeavesTheKnobToTheEngine) {
    ControllerCells[DetectedSensorsCell] = 0x78;
    openUnder({5, 13});
    EXPECT_EQ(line(3), " GT3  GT4  GT5  VVP ");
    turn(-1);
    EXPECT_EQ(knobSteps, -1);
    EXPECT_EQ(line(1), "____Ekstra Giver____");
    pressBack();
    EXPECT_EQ(cellUnsigned(55), 0xFFFF);
    cycle(3);
    EXPECT_EQ(currentNode, entry({5, 12}));
    EXPECT_EQ(knobSteps, 0);
}

} // namespace
} // namespace kv410
