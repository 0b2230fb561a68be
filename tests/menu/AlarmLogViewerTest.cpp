#include "MenuTestDriver.h"

#include "menu/AlarmLogViewer.h"
#include "menu/Screens.h"
#include "supervision/AlarmLog.h"
#include "supervision/Alarms.h"
#include "tests/LibraryTestHooks.h"

#include <string>

namespace kv410 {
namespace {

class AlarmLogViewerTest : public MenuTest {
protected:
    void SetUp() override {
        MenuTest::SetUp();
        setAccessLevel(2);
    }
    // Appends a record of alarm n raised on 6 December 2026 at 12:15:20.
    static void addRecord(int n) {
        std::string record(1, static_cast<char>('0' + n));
        record += "261206121520";
        appendAlarmLog(record.c_str());
    }
    static MenuNode* viewer() { return &MenuNodes[NodeAlarmLogViewer]; }
    static MenuNode* helpPages() { return &MenuNodes[NodeAlarmHelp]; }
    void openViewer() {
        currentNode = viewer()->parent;
        pressEnter();
    }
    // Opens the help pages from the viewer; they draw in the cycle after the key.
    void openHelp() {
        pressMiddle();
        cycle();
    }
};

TEST_F(AlarmLogViewerTest, PagesThroughTheLogNewestFirstAndStopsAtBothEnds) {
    addRecord(13);
    addRecord(3);
    openViewer();
    EXPECT_EQ(currentNode, viewer());
    EXPECT_EQ(line(1), "ALARM          (GT4)");
    EXPECT_EQ(line(2), " Foler shuntKurve   ");
    EXPECT_EQ(line(3), "  261206 12:15:20   ");
    EXPECT_EQ(line(4), "Avbryt   Info       ");

    turn(1);
    EXPECT_EQ(line(1), "ALARM           (LP)");
    turn(1);
    EXPECT_EQ(line(1), "ALARM           (LP)");
    turn(-1);
    EXPECT_EQ(line(1), "ALARM          (GT4)");
    turn(-1);
    EXPECT_EQ(line(1), "ALARM          (GT4)");

    // A fast turn moves one record only.
    addRecord(12);
    pressBack();
    EXPECT_EQ(currentNode, viewer()->parent);
    openViewer();
    EXPECT_EQ(line(1), "ALARM          (MB2)");
    turn(5);
    EXPECT_EQ(line(1), "ALARM          (GT4)");
    EXPECT_EQ(knobSteps, 0);
}

TEST_F(AlarmLogViewerTest, EmptyLogOffersOnlyCancel) {
    openViewer();
    EXPECT_EQ(line(1), "_____Alarmlogg______");
    EXPECT_EQ(line(2), "Ingen alarm logget! ");
    EXPECT_EQ(line(4), "Avbryt              ");
    pressMiddle();
    cycle();
    EXPECT_EQ(currentNode, viewer());
    turn(1);
    EXPECT_EQ(line(2), "Ingen alarm logget! ");
    pressBack();
    EXPECT_EQ(currentNode, viewer()->parent);
}

TEST_F(AlarmLogViewerTest, DamagedRecordsReadAsNoRecord) {
    // A record whose alarm character lies beyond the known alarms, alone in the log.
    appendAlarmLog("Z261206121520");
    openViewer();
    EXPECT_EQ(line(2), "Ingen alarm logget! ");
    pressMiddle();
    cycle();
    EXPECT_EQ(currentNode, viewer());

    // Between two good records it is passed over without being drawn.
    pressBack();
    addRecord(13);
    openViewer();
    EXPECT_EQ(line(1), "ALARM           (LP)");
    turn(1);
    EXPECT_EQ(line(1), "ALARM           (LP)");
}

TEST_F(AlarmLogViewerTest, HelpPagesMustBeReadToTheEndAndReturnToTheSameRecord) {
    addRecord(13);
    addRecord(3);
    openViewer();
    turn(1);
    openHelp();
    EXPECT_EQ(currentNode, helpPages());
    EXPECT_EQ(helpPages()->parent, viewer());
    EXPECT_EQ(line(1), "Pressostat lav      ");
    EXPECT_EQ(line(2), "har lost ut         ");
    EXPECT_EQ(line(4), "for mer informasjon ");

    pressBack();
    EXPECT_EQ(currentNode, helpPages());

    // Five steps at once: one page per cycle, stopping at the last page.
    knobSteps = 5;
    cycle();
    EXPECT_EQ(helpPage, 22);
    cycle(3);
    EXPECT_EQ(helpPage, 34);
    EXPECT_EQ(line(4), "Avbryt              ");
    cycle();
    EXPECT_EQ(helpPage, 34);
    EXPECT_EQ(knobSteps, 0);
    turn(-1);
    EXPECT_EQ(helpPage, 30);
    EXPECT_NE(line(4), "Avbryt              ");
    pressBack();
    EXPECT_EQ(currentNode, helpPages());
    turn(1);

    pressBack();
    EXPECT_EQ(currentNode, viewer());
    cycle();
    EXPECT_EQ(line(1), "ALARM           (LP)");
    // The next visit starts at the newest record again.
    pressBack();
    openViewer();
    EXPECT_EQ(line(1), "ALARM          (GT4)");
}

TEST_F(AlarmLogViewerTest, HelpTableCoversEveryKnownAlarmInsideTheLastTextGroup) {
    for (int n = 0; n < KnownAlarmCount; ++n) {
        const AlarmHelpRange& range = AlarmHelpTable[n];
        EXPECT_EQ(range.lastPage % 4, 0) << n;
        EXPECT_GT(range.lastPage, 0) << n;
        EXPECT_LT(431 + range.firstText + range.lastPage + 2, 735) << n;
    }
    EXPECT_EQ(431 + AlarmHelpTable[0].firstText, 577);
    EXPECT_EQ(431 + AlarmHelpTable[21].firstText + AlarmHelpTable[21].lastPage, 683);
}

TEST_F(AlarmLogViewerTest, HelpPagesOfAStrayAlarmNumberHandBackAtOnce) {
    helpPages()->cell = 40;
    helpPages()->parent = viewer();
    currentNode = helpPages();
    menuFlags &= ~EditingFlag;
    const std::string before = line(1) + line(2) + line(3) + line(4);
    screenAlarmHelp();
    EXPECT_EQ(currentNode, viewer());
    EXPECT_EQ(line(1) + line(2) + line(3) + line(4), before);
}

} // namespace
} // namespace kv410
