#include "MenuTestDriver.h"

#include "display/TextTable.h"

namespace kv410 {
namespace {

TEST_F(MenuTest, MainDisplayShowsAccessTagAndClock) {
    EXPECT_EQ(line(1).substr(18, 2), "K1");
    EXPECT_EQ(line(3).substr(0, 15), "260314 12:15:20");
    EXPECT_EQ(line(4), "Varme   Info    Meny");

    setAccessLevel(4);
    EXPECT_EQ(line(1).substr(17, 3), "I/S");
    setAccessLevel(8);
    EXPECT_EQ(line(1).substr(19, 1), "F");
}

TEST_F(MenuTest, ClockLineRedrawsOnlyWhenSecondsChange) {
    LcdLines[2][0] = 'X';
    cycle(3);
    EXPECT_EQ(LcdLines[2][0], 'X');
    // The clock moves on after the engine's pass, so the line follows one cycle later.
    host.advanceClock(1000);
    cycle();
    EXPECT_EQ(LcdLines[2][0], 'X');
    cycle();
    EXPECT_EQ(line(3).substr(0, 15), "260314 12:15:21");
}

TEST_F(MenuTest, ClockNodeShowsClockOnLineTwo) {
    setAccessLevel(2);
    openUnder({10});
    EXPECT_EQ(currentNode, &MenuNodes[NodeClockLine]);
    EXPECT_EQ(line(2).substr(0, 15), "260314 12:15:20");
    // The access tag belongs to the main display only.
    EXPECT_EQ(line(1), std::string(TextTable[currentNode->texts[0]], 20));
}

} // namespace
} // namespace kv410
