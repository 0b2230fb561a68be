#include "MenuTestDriver.h"

#include "core/MemoryMap.h"
#include "menu/ManualOperation.h"
#include "unit/Controller.h"

namespace kv410 {
namespace {

constexpr const char* DoneMessage = "        OK..        ";
constexpr const char* Blank = "                    ";

// List positions of the outputs under the manual-operation entry.
enum ManualItem {
    BrinePump,
    HeatCarrierPump,
    RadiatorPump,
    ChangeoverValve,
    AuxHeat,
    Compressor,
    ShuntValve
};

class ManualOperationTest : public MenuTest {
protected:
    // At the service level, arrives at the manual list and opens the screen of one output.
    void openOutput(ManualItem item) {
        setAccessLevel(4);
        openUnder({5, 3});
        ASSERT_EQ(currentNode, &MenuNodes[NodeManualFirst]);
        for (int i = 0; i < item; ++i) {
            turn(1);
        }
        pressEnter();
        ASSERT_EQ(currentNode->kind, 17);
    }
    // Answers "Ja" and waits out the confirmation.
    void answerYes() {
        pressEnter();
        EXPECT_EQ(line(2), DoneMessage);
        endMessage();
    }
    static bool allOutputsOff() {
        for (int word = 12; word <= 23; ++word) {
            if (IoWords[word] != 0) {
                return false;
            }
        }
        return true;
    }
};

TEST_F(ManualOperationTest, CompressorStartsAndStopsBothPumps) {
    openOutput(Compressor);
    EXPECT_EQ(line(1), "_____Kompressor_____");
    EXPECT_EQ(line(2), "Vil du starte       ");
    EXPECT_EQ(line(3), "Kompressor          ");
    EXPECT_EQ(line(4), "Tilbake          Ja ");

    pressEnter();
    EXPECT_EQ(IoWords[CompressorWord], 1);
    EXPECT_EQ(IoWords[HeatCarrierPumpWord], 1);
    EXPECT_EQ(IoWords[BrinePumpWord], 1);
    EXPECT_EQ(line(1), Blank);
    EXPECT_EQ(line(2), DoneMessage);
    EXPECT_EQ(line(3), Blank);
    EXPECT_EQ(line(4), Blank);

    // After the message the screen offers the opposite action.
    endMessage();
    EXPECT_EQ(line(2), "Vil du stoppe       ");
    EXPECT_EQ(ControllerCells[OutputTestCell], 1);

    // The exchange leaves the hand-set outputs alone while the test runs.
    cycle(5);
    EXPECT_EQ(IoWords[CompressorWord], 1);
    EXPECT_EQ(IoWords[BrinePumpWord], 1);

    answerYes();
    EXPECT_EQ(IoWords[CompressorWord], 0);
    EXPECT_EQ(IoWords[HeatCarrierPumpWord], 0);
    EXPECT_EQ(IoWords[BrinePumpWord], 0);
    EXPECT_EQ(line(2), "Vil du starte       ");
}

TEST_F(ManualOperationTest, StoppingTheCompressorStopsPumpsStartedByHand) {
    openOutput(BrinePump);
    answerYes();
    pressBack();
    turn(1);
    pressEnter();
    answerYes();
    ASSERT_EQ(IoWords[BrinePumpWord], 1);
    ASSERT_EQ(IoWords[HeatCarrierPumpWord], 1);

    // Pumps toggled after the compressor started switch alone.
    pressBack();
    for (int i = HeatCarrierPump; i < Compressor; ++i) {
        turn(1);
    }
    pressEnter();
    answerYes();
    ASSERT_EQ(IoWords[CompressorWord], 1);
    pressBack();
    for (int i = HeatCarrierPump; i < Compressor; ++i) {
        turn(-1);
    }
    pressEnter();
    EXPECT_EQ(line(2), "Vil du stoppe       ");
    answerYes();
    EXPECT_EQ(IoWords[HeatCarrierPumpWord], 0);
    EXPECT_EQ(IoWords[CompressorWord], 1);
    EXPECT_EQ(IoWords[BrinePumpWord], 1);
    answerYes();
    EXPECT_EQ(IoWords[HeatCarrierPumpWord], 1);

    // Stopping the compressor drops both pumps whatever their history.
    pressBack();
    for (int i = HeatCarrierPump; i < Compressor; ++i) {
        turn(1);
    }
    pressEnter();
    answerYes();
    EXPECT_EQ(IoWords[CompressorWord], 0);
    EXPECT_EQ(IoWords[HeatCarrierPumpWord], 0);
    EXPECT_EQ(IoWords[BrinePumpWord], 0);
}

TEST_F(ManualOperationTest, ShuntValveDrivesOpenAndCloseOutputs) {
    openOutput(ShuntValve);
    EXPECT_EQ(line(1), "__Shuntventil Sv1___");
    EXPECT_EQ(line(2), "Vil du \xE5pne         ");
    EXPECT_EQ(line(3), "Shuntventil SV1     ");

    answerYes();
    EXPECT_EQ(IoWords[ValveOpenPulseWord], 1);
    EXPECT_EQ(IoWords[ValveClosePulseWord], 0);
    EXPECT_EQ(line(2), "Vil du stenge       ");

    answerYes();
    EXPECT_EQ(IoWords[ValveOpenPulseWord], 0);
    EXPECT_EQ(IoWords[ValveClosePulseWord], 1);
    EXPECT_EQ(line(2), "Vil du \xE5pne         ");

    // Other outputs have no partner.
    toggleManualOutput(20);
    EXPECT_EQ(IoWords[ChangeoverValveWord], 1);
    EXPECT_EQ(IoWords[ValveClosePulseWord], 1);
    EXPECT_EQ(IoWords[ValveOpenPulseWord], 0);
}

TEST_F(ManualOperationTest, ChangeoverValveAsksToActivate) {
    openOutput(ChangeoverValve);
    EXPECT_EQ(line(1), "__Vekselventil Vxv1_");
    EXPECT_EQ(line(2), "Vil du aktivere     ");
    answerYes();
    EXPECT_EQ(IoWords[ChangeoverValveWord], 1);
    EXPECT_EQ(line(2), "Vil du inaktivere   ");
}

TEST_F(ManualOperationTest, BackKeepsTheOutputAndLeavingTheListDropsThemAll) {
    openOutput(AuxHeat);
    answerYes();
    ASSERT_EQ(IoWords[AuxHeatStep1Word], 1);

    pressBack();
    EXPECT_EQ(currentNode, MenuNodes[NodeManualFirst].next->next->next->next);
    EXPECT_EQ(IoWords[AuxHeatStep1Word], 1);
    EXPECT_EQ(ControllerCells[OutputTestCell], 1);

    // Reopening shows the present state.
    pressEnter();
    EXPECT_EQ(line(2), "Vil du stoppe       ");
    pressBack();

    turn(1);
    pressEnter();
    answerYes();
    ASSERT_EQ(IoWords[CompressorWord], 1);
    pressBack();

    // Back from the list to its menu entry ends the test and drops every output.
    pressBack();
    EXPECT_EQ(currentNode, &MenuNodes[NodeManualEntry]);
    EXPECT_EQ(ControllerCells[OutputTestCell], 0);
    EXPECT_TRUE(allOutputsOff());
}

TEST_F(ManualOperationTest, InputDuringTheMessageAndTheMiddleKeyDoNothing) {
    openOutput(RadiatorPump);
    pressEnter();
    ASSERT_EQ(IoWords[RadiatorPumpWord], 1);

    // A second "Ja" while the message holds is discarded, not delayed.
    pressEnter();
    knobSteps = 2;
    cycle();
    EXPECT_EQ(IoWords[RadiatorPumpWord], 1);
    EXPECT_EQ(line(2), DoneMessage);
    endMessage();
    cycle(3);
    EXPECT_EQ(IoWords[RadiatorPumpWord], 1);
    EXPECT_EQ(line(2), "Vil du stoppe       ");

    pressMiddle();
    EXPECT_EQ(IoWords[MiddleButtonWord], 0);
    EXPECT_EQ(IoWords[RadiatorPumpWord], 1);
    // Without siblings the knob stays on the screen.
    turn(1);
    turn(-1);
    EXPECT_EQ(currentNode->kind, 17);
    EXPECT_EQ(knobSteps, 0);
}

TEST_F(ManualOperationTest, EndedTestLeavesTheScreen) {
    openOutput(HeatCarrierPump);
    MenuNode* screen = currentNode;
    ControllerCells[OutputTestCell] = 0;
    cycle();
    EXPECT_EQ(currentNode, screen->parent);
    EXPECT_EQ(menuFlags & EditingFlag, 0);

    // Opening the screen again switches the test back on.
    pressEnter();
    EXPECT_EQ(currentNode, screen);
    EXPECT_EQ(ControllerCells[OutputTestCell], 1);
}

TEST_F(ManualOperationTest, IdlePanelEndsManualOperation) {
    openOutput(Compressor);
    answerYes();
    IoWords[DisplayAwakeWord] = 0;
    runControllerCycle();
    EXPECT_EQ(currentNode, &MenuNodes[NodeRoot]);
    EXPECT_EQ(ControllerCells[OutputTestCell], 0);
    EXPECT_EQ(menuFlags & EditingFlag, 0);
}

} // namespace
} // namespace kv410
