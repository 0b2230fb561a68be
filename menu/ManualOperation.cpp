#include "menu/ManualOperation.h"

#include "core/Memory.h"
#include "display/Lcd.h"
#include "menu/MenuEngine.h"
#include "menu/Screens.h"

namespace kv410 {

namespace {

constexpr int ManualModeCell = 57;
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
    if (ioWord == ShuntOpenOutput) {
        IoWords[ShuntCloseOutput] = now == 0 ? 1 : 0;
    } else if (ioWord == CompressorOutput) {
        IoWords[HeatCarrierPumpOutput] = now;
        IoWords[BrinePumpOutput] = now;
    }
}

void screenManualRun() {
    if ((menuFlags & EditingFlag) == 0) {
        drawManualScreen();
        ControllerCells[ManualModeCell] = 1;
        menuFlags |= EditingFlag;
    }
    if (keyPressed(1) || ControllerCells[ManualModeCell] == 0) {
        leaveToParent();
        return;
    }
    takeKey(2);
    if ((IoWords[3] & 1) != 0) {
        toggleManualOutput(static_cast<int>(currentNode->cell));
        showMessage(DoneMessageText);
        handBack();
        IoWords[3] = 0;
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
