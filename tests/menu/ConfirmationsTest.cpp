#include "MenuTestDriver.h"

#include "core/MemoryMap.h"
#include "menu/Confirmations.h"
#include "supervision/AlarmLog.h"

#include <vector>

namespace kv410 {
namespace {

constexpr int ResetAlarmLogKind = 20;
constexpr int ResetOperatingTimesKind = 23;
constexpr int FactoryValuesKind = 24;
constexpr int QuickRestartKind = 32;
constexpr const char* SoftKeys = "Tilbake          Ja ";

class ConfirmationsTest : public MenuTest {
protected:
    void SetUp() override {
        MenuTest::SetUp();
        setAccessLevel(8);
        appendAlarmLog("=261206121520");
        for (int cell = 70; cell <= 80; ++cell) {
            storeParameter(cell, cell * 10);
        }
        storeParameter(0, 77);
    }
    static MenuNode* nodeOfKind(int kind) {
        for (MenuNode& node : MenuNodes) {
            if (node.kind == kind) {
                return &node;
            }
        }
        return nullptr;
    }
    // Opens the confirmation from its menu entry.
    MenuNode* open(int kind) {
        MenuNode* question = nodeOfKind(kind);
        currentNode = question->parent;
        pressEnter();
        return question;
    }
    // The cells, flash words and log words the four actions touch.
    static std::vector<int> guardedState() {
        std::vector<int> state;
        for (int n = 0; n < ParameterCellCount; ++n) {
            state.push_back(ControllerCells[n]);
            state.push_back(readFlashWord(n));
        }
        for (int n = AlarmLogOffsetFlashWord; n < FlashWordCount; ++n) {
            state.push_back(readFlashWord(n));
        }
        return state;
    }
};

TEST_F(ConfirmationsTest, EachAsksItsQuestion) {
    struct Question {
        int kind;
        const char* lines[3];
    };
    const Question questions[] = {
        {ResetAlarmLogKind,
         {"___Reset Alarmlogg__", "Reset av samtlige   ", "lagrede alarmer ?   "}},
        {ResetOperatingTimesKind,
         {"___Reset Driftstid__", "Vil du nullstille   ", "samtlige drifttider?"}},
        {FactoryValuesKind,
         {"___Fabrikkverdier___", "Vil du g\xe5 tilb. Til ", "fabrikksverdier ?   "}},
        {QuickRestartKind,
         {"Vil du korte        ", "omstartstimeren     ", "til 20 sekunder ?   "}},
    };
    for (const Question& q : questions) {
        MenuNode* question = open(q.kind);
        EXPECT_EQ(currentNode, question) << q.kind;
        EXPECT_EQ(line(1), q.lines[0]) << q.kind;
        EXPECT_EQ(line(2), q.lines[1]) << q.kind;
        EXPECT_EQ(line(3), q.lines[2]) << q.kind;
        EXPECT_EQ(line(4), SoftKeys) << q.kind;
        pressBack();
    }
}

TEST_F(ConfirmationsTest, BackAndMiddleKeysChangeNothing) {
    for (int kind :
         {ResetAlarmLogKind, ResetOperatingTimesKind, FactoryValuesKind, QuickRestartKind}) {
        const std::vector<int> before = guardedState();
        MenuNode* question = open(kind);
        pressMiddle();
        EXPECT_EQ(currentNode, question) << kind;
        pressBack();
        EXPECT_EQ(currentNode, question->parent) << kind;
        EXPECT_EQ((menuFlags & EditingFlag), 0) << kind;
        cycle();
        EXPECT_EQ(guardedState(), before) << kind;
        EXPECT_EQ(ControllerCells[ShortRestartCell], 0);
    }
}

TEST_F(ConfirmationsTest, ResetAlarmLogEmptiesTheLog) {
    MenuNode* question = open(ResetAlarmLogKind);
    pressEnter();
    EXPECT_EQ(line(2), "        OK..        ");
    EXPECT_EQ(currentNode, question->parent);
    EXPECT_EQ(readFlashWord(AlarmLogOffsetFlashWord), 0);
    EXPECT_EQ(readFlashWord(AlarmLogFirstFlashWord), 0);
    EXPECT_EQ(IoWords[RightButtonWord], 0);
    endMessage();
    EXPECT_EQ(line(3), "Alarmlogg_______9.11");

    currentNode = MenuNodes[NodeAlarmLogViewer].parent;
    pressEnter();
    EXPECT_EQ(line(2), "Ingen alarm logget! ");
}

TEST_F(ConfirmationsTest, ResetOperatingTimesZeroesCellsAndFlashAndIgnoresTheKnob) {
    MenuNode* question = open(ResetOperatingTimesKind);
    turn(1);
    EXPECT_EQ(currentNode, question);
    EXPECT_EQ(knobSteps, 0);
    pressEnter();
    EXPECT_EQ(line(2), "   Nullstiller...   ");
    for (int cell = 70; cell <= 80; ++cell) {
        EXPECT_EQ(ControllerCells[cell], 0) << cell;
        EXPECT_EQ(readFlashWord(cell), 0) << cell;
    }
    EXPECT_EQ(ControllerCells[DegreeDaysCell + 1], 0);
    EXPECT_EQ(ControllerCells[HeatingCurveSlopeCell], 77);
    endMessage();
    EXPECT_EQ(currentNode, question->parent);
}

TEST_F(ConfirmationsTest, FactoryValuesAreLoadedAndWrittenThrough) {
    MenuNode* question = open(FactoryValuesKind);
    pressEnter();
    EXPECT_EQ(line(2), "   Fabrikk-verdier. ");
    EXPECT_EQ(ControllerCells[HeatingCurveSlopeCell], 40);
    EXPECT_EQ(readFlashWord(0), 40);
    EXPECT_EQ(currentNode, question->parent);
    // The operating times have no factory value and the log is not a parameter.
    EXPECT_EQ(ControllerCells[HeatPumpHeatingHoursCell], 720);
    EXPECT_NE(readFlashWord(AlarmLogOffsetFlashWord), 0);
}

TEST_F(ConfirmationsTest, QuickRestartRequestIsSetInRamOnly) {
    MenuNode* question = open(QuickRestartKind);
    pressEnter();
    EXPECT_EQ(line(2), "        OK..        ");
    EXPECT_EQ(ControllerCells[ShortRestartCell], 1);
    EXPECT_EQ(readFlashWord(ShortRestartCell), 0);
    EXPECT_EQ(currentNode, question->parent);
    // A key during the message hold is dropped.
    pressEnter();
    EXPECT_EQ(currentNode, question->parent);
}

} // namespace
} // namespace kv410
