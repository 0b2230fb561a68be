// Random flash images played through the alarm screens: whatever the image holds (damaged log
// records and offsets, latched slots of any number, stray classes), no screen reads or writes
// outside its tables. Run under the sanitizers to catch a stray access at once.
#include "ControllerFixture.h"

#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "display/Lcd.h"
#include "menu/AlarmDisplay.h"
#include "menu/AlarmLogViewer.h"
#include "menu/MenuEngine.h"
#include "menu/MenuTree.h"
#include "supervision/AlarmLog.h"
#include "supervision/Alarms.h"
#include "tests/LibraryTestHooks.h"
#include "unit/Controller.h"

#include <cstdint>
#include <random>

namespace kv410 {
namespace {

constexpr int ImageCount = 10000;
constexpr int CyclesPerImage = 200;
constexpr int SensorCount = 11;
constexpr int AlarmInputCount = 8;

class AlarmRobustnessTest : public ControllerTest {
protected:
    std::mt19937 rng{410};

    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); }
    bool chance(int percent) { return pick(1, 100) <= percent; }

    // A random image: sometimes with a valid signature, so that its alarm slots are loaded,
    // and with log records that are partly well formed.
    void loadRandomImage() {
        for (int w = 0; w < PersistedFlashWords; ++w) {
            FlashImage[w] = static_cast<uint16_t>(pick(0, 0xFFFF));
        }
        if (chance(70)) {
            for (int cell : {49, 51, 53}) {
                FlashImage[cell] = static_cast<uint16_t>(cell);
            }
            for (int n = 0; n < AlarmSlotCount; ++n) {
                FlashImage[AlarmFlagsCell + n] = static_cast<uint16_t>(pick(0, 3));
                FlashImage[AlarmClassCell + n] = static_cast<uint16_t>(pick(-1, 4));
            }
        }
        if (chance(50)) {
            FlashImage[AlarmLogOffsetFlashWord] =
                static_cast<uint16_t>(AlarmRecordWords * pick(0, AlarmLogCapacity));
            for (int w = AlarmLogFirstFlashWord; w < PersistedFlashWords; w += AlarmRecordWords) {
                FlashImage[w] = static_cast<uint16_t>(pick('0' - 2, '0' + 24));
            }
        }
    }

    void randomInputs() {
        for (int i = 0; i < SensorCount; ++i) {
            IoWords[FirstSensorWord + i] = static_cast<uint16_t>(pick(-600, 1600));
        }
        for (int i = 0; i < AlarmInputCount; ++i) {
            IoWords[Mb2InputWord + i] = static_cast<uint16_t>(chance(20) ? 1 : 0);
        }
    }

    // Makes one of the alarm screens (or a confirmation) current, the way a key would.
    void forceScreen() {
        static constexpr int Screens[] = {NodeAlarmDisplay, NodeAlarmHelp, NodeAlarmLogViewer,
                                          NodeAlarmDisplay};
        MenuNode* target = &MenuNodes[Screens[pick(0, 3)]];
        if (target == &MenuNodes[NodeAlarmHelp]) {
            target->cell = static_cast<uint32_t>(pick(0, 40));
            target->parent = chance(80) ? &MenuNodes[NodeAlarmLogViewer] : nullptr;
        }
        if (target == &MenuNodes[NodeAlarmDisplay] && chance(30)) {
            target->parent = chance(50) ? nullptr : &MenuNodes[pick(0, MenuNodeCount - 1)];
        }
        currentNode = target;
        if (chance(70)) {
            menuFlags &= ~EditingFlag;
        }
        menuFlags |= RedrawRequestFlag;
    }

    void randomEvents() {
        if (chance(10)) {
            forceScreen();
        }
        for (int word = 1; word <= 3; ++word) {
            if (chance(8)) {
                IoWords[word] = 1;
            }
        }
        if (chance(15)) {
            knobSteps = static_cast<int8_t>(pick(-6, 6));
        }
        if (chance(2)) {
            randomInputs();
        }
        if (chance(5)) {
            for (int32_t& counter : AlarmDelayCounters) {
                counter = 0;
            }
        }
        if (chance(20)) {
            SecondTimers[7] = 0;
        }
        if (chance(1)) {
            AlarmLogCursor = static_cast<uint16_t>(pick(0, 0xFFFF));
        }
    }

    void checkInvariants(int image, int cycle) {
        const int node = nodeIndex(currentNode);
        ASSERT_GE(node, 0) << "image " << image << " cycle " << cycle;
        ASSERT_GE(selectedIndex, -1);
        ASSERT_LE(selectedIndex, 32);
        const int offset = readFlashWord(AlarmLogOffsetFlashWord);
        ASSERT_LE(offset, AlarmLogCapacity * AlarmRecordWords);
        ASSERT_EQ(offset % AlarmRecordWords, 0);
        for (const char* lcdLine : LcdLines) {
            ASSERT_EQ(lcdLine[20], '\0');
        }
        if (node == NodeAlarmHelp && (menuFlags & EditingFlag) != 0 &&
            isKnownAlarm(static_cast<int>(currentNode->cell))) {
            const AlarmHelpRange& range = AlarmHelpTable[currentNode->cell];
            ASSERT_GE(helpPage, range.firstText);
            ASSERT_LE(helpPage, range.firstText + range.lastPage);
        }
    }
};

TEST_F(AlarmRobustnessTest, RandomFlashImagesStayInsideEveryTable) {
    for (int image = 0; image < ImageCount; ++image) {
        resetControllerState();
        installPlatform(&host);
        loadRandomImage();
        bootController();
        randomInputs();
        if (ControllerCells[UnitOnCell] == 0) {
            IoWords[PowerRequestWord] = 1;
            runControllerCycle();
        }
        for (int cycle = 0; cycle < CyclesPerImage; ++cycle) {
            randomEvents();
            IoWords[DisplayAwakeWord] = 1;
            idleCountdown = 600;
            runControllerCycle();
            checkInvariants(image, cycle);
            if (HasFatalFailure()) {
                return;
            }
        }
    }
}

} // namespace
} // namespace kv410
