// A switched-on controller driven cycle by cycle through its input words, for the menu tests.
#pragma once

#include "ControllerFixture.h"

#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "display/Lcd.h"
#include "menu/MenuEngine.h"
#include "menu/MenuTree.h"
#include "unit/Controller.h"

#include <initializer_list>
#include <string>

namespace kv410 {

class MenuTest : public ControllerTest {
protected:
    void SetUp() override {
        ControllerTest::SetUp();
        host.setClock(2026, 3, 14, 12, 15, 20);
        bootController();
        ControllerCells[UnitOnCell] = 1;
        IoWords[DisplayAwakeWord] = 1;
        cycle();
    }

    // Cycles with the panel kept awake.
    void cycle(int count = 1) {
        for (int i = 0; i < count; ++i) {
            idleCountdown = 600;
            runControllerCycle();
        }
    }
    void pressBack() { press(1); }
    void pressMiddle() { press(2); }
    void pressEnter() { press(3); }
    void press(int word) {
        IoWords[word] = 1;
        cycle();
    }
    void turn(int steps) {
        knobSteps = static_cast<int8_t>(steps);
        cycle();
    }
    // Lets a message run out, as the one-second tick would, and runs the cycle after it.
    void endMessage() {
        SecondTimers[7] = 0;
        cycle();
    }
    // Sets the access level the way a long press does; level 8 is asked for on the version node.
    void setAccessLevel(int level) {
        if (level == 8) {
            currentNode = &MenuNodes[NodeVersion];
        }
        IoWords[AccessLevelWord] = static_cast<uint16_t>(level);
        cycle();
        endMessage();
    }
    // The node of a menu entry number such as {9, 1}, counting every sibling.
    static MenuNode* entry(std::initializer_list<int> number) {
        MenuNode* n = &MenuNodes[NodeRoot];
        for (int position : number) {
            n = n->child;
            for (int i = 1; i < position; ++i) {
                n = n->next;
            }
        }
        return n;
    }
    // Makes an entry current and opens what lies under it with the right key.
    void openUnder(std::initializer_list<int> number) {
        currentNode = entry(number);
        menuFlags &= ~EditingFlag;
        pressEnter();
    }
    static std::string line(int n) { return std::string(LcdLines[n - 1], 20); }
};

} // namespace kv410
