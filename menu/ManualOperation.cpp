#include "menu/ManualOperation.h"

#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "display/Lcd.h"
#include "menu/MenuEngine.h"
#include "menu/Screens.h"

namespace kv410 {

namespace {

constexpr int DoneMessageText = 533;

void drawManualScreen() {
    const uint8_t* texts =
        IoWords[currentNode->cell] != 0 ? currentNode->altTexts : currentNode->texts;
    showScreen(texts[0], texts[1], texts[2], texts[3]);
}

// Moves to a sibling output screen, if there is one; the screen there starts afresh.
void moveToSibling(MenuNode* sibling) {
    if (sibling == nullptr) {
        return;
    }
    currentNode = sibling;
    handBack();
}

} // namespace

void toggleManualOutput(int ioWord) {
    const uint16_t now = IoWords[ioWord] == 0 ? 1 : 0;
    IoWords[ioWord] = now;
    if (ioWord == ValveOpenPulseWord) {
        IoWords[ValveClosePulseWord] = now == 0 ? 1 : 0;
    } else if (ioWord == CompressorWord) {
        IoWords[HeatCarrierPumpWord] = now;
        IoWords[BrinePumpWord] = now;
    }
}

void screenManualRun() {
    if ((menuFlags & EditingFlag) == 0) {
        drawManualScreen();
        ControllerCells[OutputTestCell] = 1;
        menuFlags |= EditingFlag;
    }
    if (keyPressed(LeftButtonWord) || ControllerCells[OutputTestCell] == 0) {
        leaveToParent();
        return;
    }
    takeKey(MiddleButtonWord);
    if ((IoWords[RightButtonWord] & 1) != 0) {
        toggleManualOutput(static_cast<int>(currentNode->cell));
        showMessage(DoneMessageText);
        handBack();
        IoWords[RightButtonWord] = 0;
    }
    if (knobSteps > 0) {
        --knobSteps;
        moveToSibling(currentNode->next);
    }
    if (knobSteps < 0) {
        ++knobSteps;
        moveToSibling(currentNode->prev);
    }
}

} // namespace kv410
