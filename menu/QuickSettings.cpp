#include "menu/QuickSettings.h"

#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "display/Lcd.h"
#include "display/TextTable.h"
#include "menu/MenuEngine.h"
#include "menu/Screens.h"
#include "menu/ValueEditors.h"

namespace kv410 {

int32_t editValue;
bool editArmed;

namespace {

constexpr int SavedMessageText = 534;

// The fine adjustments of the heating curve and the shunt curve show a marker, not a bar.
constexpr uint32_t MarkerCells[] = {1, 4};

void drawIndicator(int32_t value) {
    for (uint32_t cell : MarkerCells) {
        if (currentNode->cell == cell) {
            showMarker(nodeMin(), nodeMax(), value);
            return;
        }
    }
    showBar(nodeMin(), nodeMax(), value);
}

// The value field in the middle of line 3 with its unit behind it.
void drawValue(int32_t value) {
    char unit[4];
    const int unitLength = unitName(unit, currentNode->unit);
    const int unitColumn = showValueField(value, unitLength);
    if (unitLength > 0) {
        writeText(3, unitColumn, unit);
    }
}

void drawSetting(int32_t value) {
    showMenuEntry();
    char unit[4];
    unitName(unit, currentNode->unit);
    drawLimits(nodeMin(), nodeMax(), unit);
    drawValue(value);
    drawIndicator(value);
}

void offerSave() {
    showText(4, TextGroupLine4 + currentNode->altTexts[3]);
    editArmed = true;
}

void saveSetting() {
    const int cell = static_cast<int>(currentNode->cell);
    showMessage(SavedMessageText);
    ControllerCells[cell] = static_cast<int16_t>(editValue);
    writeFlashWord(cell, editValue);
    leaveToParent();
}

} // namespace

void screenQuickSettingView() {
    drawSetting(ControllerCells[currentNode->cell]);
}

void screenQuickSettingEditor() {
    if ((menuFlags & EditingFlag) == 0) {
        editArmed = false;
        editValue = ControllerCells[currentNode->cell];
        drawSetting(editValue);
        menuFlags |= EditingFlag;
    }
    if (keyPressed(LeftButtonWord)) {
        leaveToParent();
        return;
    }
    if (keyPressed(RightButtonWord)) {
        if (editArmed) {
            saveSetting();
            return;
        }
        offerSave();
        IoWords[RightButtonWord] = 0;
    }
    if (knobSteps != 0) {
        if (!editArmed) {
            offerSave();
        }
        adjustByKnob(editValue);
        drawValue(editValue);
        drawIndicator(editValue);
    }
}

void resetQuickSettingState() {
    editValue = 0;
    editArmed = false;
}

} // namespace kv410
