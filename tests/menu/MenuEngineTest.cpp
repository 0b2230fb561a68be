#include "MenuTestDriver.h"

#include "core/MemoryMap.h"
#include "menu/Screens.h"
#include "supervision/Alarms.h"
#include "tests/LibraryTestHooks.h"
#include "unit/Controller.h"

namespace kv410 {
namespace {

constexpr const char* MainSoftKeys = "Varme   Info    Meny";

TEST_F(MenuTest, MainMenuAtLevelOneOffersOnlyEntriesOneAndThree) {
    pressEnter();
    EXPECT_EQ(currentNode, entry({1}));
    EXPECT_EQ(line(2), "Her stiller du inn  ");
    EXPECT_EQ(line(3), "varmen i huset_____1");

    turn(1);
    EXPECT_EQ(currentNode, entry({3}));
    turn(1);
    EXPECT_EQ(currentNode, entry({3}));
    turn(-1);
    EXPECT_EQ(currentNode, entry({1}));
    turn(-1);
    EXPECT_EQ(currentNode, entry({1}));

    pressEnter();
    std::vector<MenuNode*> visited{currentNode};
    for (int i = 0; i < 6; ++i) {
        turn(1);
        if (currentNode != visited.back()) {
            visited.push_back(currentNode);
        }
    }
    EXPECT_EQ(visited, (std::vector<MenuNode*>{entry({1, 1}), entry({1, 2}), entry({1, 10}),
                                               entry({1, 16}), entry({1, 17})}));
}

TEST_F(MenuTest, BackKeyOpensQuickSettingsAndReturns) {
    pressBack();
    EXPECT_EQ(currentNode, &MenuNodes[NodeQuickFirst]);
    pressBack();
    EXPECT_EQ(currentNode, &MenuNodes[NodeRoot]);
    EXPECT_EQ(line(4), MainSoftKeys);
}

TEST_F(MenuTest, FastTurnMovesOneNodePerCycleAndDrawsOnce) {
    setAccessLevel(4);
    pressEnter();
    const std::string entryOneText = line(2);
    knobSteps = 3;
    cycle();
    EXPECT_EQ(currentNode, entry({2}));
    EXPECT_EQ(line(2), entryOneText);
    cycle();
    EXPECT_EQ(currentNode, entry({3}));
    EXPECT_EQ(line(2), entryOneText);
    cycle();
    EXPECT_EQ(currentNode, entry({4}));
    EXPECT_EQ(knobSteps, 0);
    EXPECT_NE(line(2), entryOneText);
}

TEST_F(MenuTest, EventPrecedenceAndMessageHold) {
    // Back and enter in the same cycle act as enter alone; both words are consumed.
    IoWords[LeftButtonWord] = 1;
    IoWords[RightButtonWord] = 1;
    cycle();
    EXPECT_EQ(currentNode, entry({1}));
    EXPECT_EQ(IoWords[LeftButtonWord], 0);
    EXPECT_EQ(IoWords[RightButtonWord], 0);

    // Input during a message is discarded, not delayed.
    SecondTimers[7] = 2;
    IoWords[LeftButtonWord] = 1;
    knobSteps = 2;
    cycle();
    EXPECT_EQ(IoWords[LeftButtonWord], 0);
    EXPECT_EQ(knobSteps, 0);
    SecondTimers[7] = 0;
    cycle();
    EXPECT_EQ(currentNode, entry({1}));

    // Only bit 0 of a key word is a press: Shift during a knob step is not the middle key.
    currentNode = &MenuNodes[NodeRoot];
    IoWords[MiddleButtonWord] = 2;
    cycle();
    EXPECT_EQ(menuFlags2 & StatusViewOnFlag, 0);
}

TEST_F(MenuTest, StatusViewClosesOnNextKeyWithoutNavigating) {
    pressMiddle();
    EXPECT_NE(menuFlags2 & StatusViewOnFlag, 0);
    pressEnter();
    EXPECT_EQ(menuFlags2 & StatusViewOnFlag, 0);
    EXPECT_EQ(currentNode, &MenuNodes[NodeRoot]);
    EXPECT_EQ(line(4), MainSoftKeys);

    // Away from the main display the middle key does nothing.
    pressEnter();
    pressMiddle();
    EXPECT_EQ(menuFlags2 & StatusViewOnFlag, 0);
    EXPECT_EQ(currentNode, entry({1}));
}

TEST_F(MenuTest, AccessLevelChangeShowsMessageAndReturnsHome) {
    pressEnter();
    IoWords[AccessLevelWord] = 2;
    cycle();
    EXPECT_EQ(line(2), "   Access = KUND2   ");
    EXPECT_EQ(currentNode, &MenuNodes[NodeRoot]);
    EXPECT_EQ(lastAccessLevel, 2);
    endMessage();
    EXPECT_EQ(line(4), MainSoftKeys);
}

TEST_F(MenuTest, FactoryLevelOnlyAcceptedOnVersionNode) {
    const std::string before = line(2);
    IoWords[AccessLevelWord] = 8;
    cycle();
    EXPECT_EQ(IoWords[AccessLevelWord], 1);
    EXPECT_EQ(lastAccessLevel, 1);
    EXPECT_EQ(line(2), before);
    EXPECT_EQ(SecondTimers[7], 0u);

    setAccessLevel(4);
    currentNode = &MenuNodes[NodeVersion];
    IoWords[AccessLevelWord] = 8;
    cycle();
    EXPECT_EQ(line(2), "  Access = FABRIKK  ");
    EXPECT_EQ(lastAccessLevel, 8);
    EXPECT_EQ(currentNode, &MenuNodes[NodeRoot]);
}

TEST_F(MenuTest, GoingIdleKeepsQuickSettingElseReturnsHome) {
    pressBack();
    IoWords[DisplayAwakeWord] = 0;
    idleCountdown = 0;
    runControllerCycle();
    EXPECT_EQ(currentNode, &MenuNodes[NodeQuickFirst]);

    IoWords[DisplayAwakeWord] = 1;
    cycle();
    currentNode = entry({3});
    ControllerCells[OutputTestCell] = 1;
    IoWords[DisplayAwakeWord] = 0;
    idleCountdown = 0;
    runControllerCycle();
    EXPECT_EQ(currentNode, &MenuNodes[NodeRoot]);
    EXPECT_EQ(ControllerCells[OutputTestCell], 0);
    EXPECT_EQ(line(4), MainSoftKeys);
}

TEST_F(MenuTest, ManualOperationDropsOutputsOnEntryAndExit) {
    setAccessLevel(4);
    ControllerCells[FirstCommandCell] = 1;
    ControllerCells[515] = 1;
    cycle();
    ASSERT_EQ(IoWords[BrinePumpWord], 1);

    openUnder({5, 3});
    EXPECT_EQ(currentNode, &MenuNodes[NodeManualFirst]);
    EXPECT_EQ(ControllerCells[OutputTestCell], 1);
    EXPECT_EQ(IoWords[BrinePumpWord], 0);
    EXPECT_EQ(IoWords[RadiatorPumpWord], 0);

    // The engine alone: the exchange would drive the outputs from the cells again.
    IoWords[CompressorWord] = 1;
    IoWords[LeftButtonWord] = 1;
    runMenuEngine();
    EXPECT_EQ(currentNode, &MenuNodes[NodeManualEntry]);
    EXPECT_EQ(ControllerCells[OutputTestCell], 0);
    EXPECT_EQ(IoWords[CompressorWord], 0);

    // Staying in normal operation does not clear them a second time.
    IoWords[CompressorWord] = 1;
    knobSteps = 1;
    runMenuEngine();
    knobSteps = -1;
    runMenuEngine();
    EXPECT_EQ(currentNode, &MenuNodes[NodeManualEntry]);
    EXPECT_EQ(IoWords[CompressorWord], 1);
}

TEST_F(MenuTest, NewAlarmClosesEditorAndRemembersWayBack) {
    setAccessLevel(8);
    openUnder({9, 4});
    MenuNode* editor = currentNode;
    ASSERT_NE(menuFlags & EditingFlag, 0);

    ActiveAlarmList[0] = 3;
    UnacknowledgedAlarmFlag = 1;
    NewAlarmFlag = 1;
    runMenuEngine();
    MenuNode* alarmDisplay = &MenuNodes[NodeAlarmDisplay];
    EXPECT_EQ(currentNode, alarmDisplay);
    EXPECT_EQ(alarmDisplay->parent, editor);
    EXPECT_EQ(NewAlarmFlag, 0);

    // A second alarm while the alarm display is open keeps its way back.
    ActiveAlarmList[1] = 5;
    NewAlarmFlag = 1;
    runMenuEngine();
    EXPECT_EQ(alarmDisplay->parent, editor);

    // With two alarms active the way back from elsewhere is the main display.
    currentNode = editor;
    menuFlags &= ~EditingFlag;
    NewAlarmFlag = 1;
    runMenuEngine();
    EXPECT_EQ(alarmDisplay->parent, &MenuNodes[NodeRoot]);
}

TEST_F(MenuTest, ResetMenuPreparesTreeAndState) {
    ControllerCells[ExternalControlCell] = 2;
    ControllerCells[ConfigurationCell] = 1;
    FlashImage[ConfigurationCell] = 1;
    IoWords[AccessLevelWord] = 4;
    currentNode = entry({3});
    menuFlags = EditingFlag | PanelLitFlag;
    resetMenu();
    EXPECT_EQ(currentNode, &MenuNodes[NodeRoot]);
    EXPECT_EQ(menuFlags & (EditingFlag | PanelLitFlag), 0);
    EXPECT_NE(menuFlags2 & PendingFullRedrawFlag, 0);
    EXPECT_EQ(cellUnsigned(55), 0xFFFF);
    EXPECT_EQ(FlashImage[ConfigurationCell], 1);
    EXPECT_EQ(lastAccessLevel, 4);
    EXPECT_EQ(MenuNodes[NodeRemoteHeating].config, 0);
    ControllerCells[ExternalControlCell] = 0;
    resetMenu();
    EXPECT_EQ(MenuNodes[NodeRemoteHeating].config, 0x21);
}

TEST_F(MenuTest, KindsWithoutScreenRunNothing) {
    for (int kind : {3, 12, 13}) {
        EXPECT_EQ(ScreenTable[kind], nullptr) << kind;
    }
    MenuNode stray = MenuNodes[NodeRoot];
    stray.kind = 200;
    currentNode = &stray;
    const std::string before = line(1);
    dispatchScreen();
    EXPECT_EQ(line(1), before);
    currentNode = &MenuNodes[NodeRoot];
}

} // namespace
} // namespace kv410
