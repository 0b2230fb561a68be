#include "menu/Selections.h"

#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "display/Lcd.h"
#include "display/TextTable.h"
#include "menu/MenuEngine.h"
#include "menu/MenuTree.h"
#include "menu/Screens.h"

#include <algorithm>

namespace kv410 {

namespace {

// Caret choice: the marked option, 1, 2 or 4 (another value marks none).
int8_t choice;
// Caret choice: the change key was pressed; only "Avbryt" is offered.
bool caretEditStarted;
// Caret choice: the knob has turned since; "Avbryt" and "Lagre" are offered.
bool caretKnobArmed;
// Caret choice: the 9 kW warning is on the display.
bool warningShown;
// List choice: the option on line 2.
int8_t listValue;
// List choice: the change key was pressed.
bool listEditStarted;
// List choice: the knob has turned since the change key.
bool listKnobArmed;
// Extra-sensor confirmation: the optional sensors detected on arrival, bits 3..6 of cell 56.
uint16_t detectedSensors;

constexpr int SavedMessageText = 534;
constexpr int ConfirmingMessageText = 535;
constexpr int BlankText = TextGroupLine2;
// Config of the remote-heating entry while no external control function is chosen.
constexpr uint8_t RemoteHeatingConfig = 0x21;
// The operating case bits of the configuration word.
constexpr uint16_t OperatingCaseBits = 0x07;
// What the operating case selection keeps of the configuration word: the option bits 3..7.
constexpr uint16_t KeptByCaseSelection = 0x00F8;

// The four lines of the 9 kW warning.
constexpr int WarningTexts[4] = {574, 575, 576, 443};
// The choice that asks for the warning first.
constexpr int8_t NineKilowatts = 4;

// Where the caret stands on line 3 for each option.
struct CaretPosition {
    int8_t option;
    int column;
};
constexpr CaretPosition CaretPositions[] = {{1, 3}, {2, 10}, {4, 17}};

void showLineFour(int offset) {
    showText(4, TextGroupLine4 + offset);
}

// ---- caret choice ---------------------------------------------------------------------------

bool isOperatingCaseScreen() {
    return currentNode->cell == ConfigurationCell;
}

void drawCaret() {
    for (const CaretPosition& position : CaretPositions) {
        if (position.option == choice) {
            writeText(3, position.column, "^");
        }
    }
}

void openCaretChoice() {
    showMenuEntry();
    const uint16_t stored = cellUnsigned(static_cast<int>(currentNode->cell));
    choice =
        static_cast<int8_t>(isOperatingCaseScreen() ? stored & OperatingCaseBits : stored & 0xFF);
    drawCaret();
    caretEditStarted = false;
    caretKnobArmed = false;
    warningShown = false;
    menuFlags |= EditingFlag;
}

void storeCaretChoice() {
    saveCaretChoice(*currentNode, choice);
    showMessage(SavedMessageText);
    handBack();
}

// The right key; returns true when the screen handed back.
bool caretChangeKey() {
    if (!caretEditStarted) {
        showLineFour(currentNode->altTexts[3]);
        writeText(4, 10, "           ");
        caretEditStarted = true;
        return false;
    }
    if (!isOperatingCaseScreen() && choice == NineKilowatts && !warningShown) {
        warningShown = true;
        for (int line = 1; line <= 4; ++line) {
            showText(line, WarningTexts[line - 1]);
        }
        return false;
    }
    storeCaretChoice();
    return true;
}

void caretKnob() {
    if (knobSteps == 0) {
        return;
    }
    if (warningShown || !caretEditStarted) {
        knobSteps = 0;
        return;
    }
    if (!caretKnobArmed) {
        caretKnobArmed = true;
        showLineFour(currentNode->altTexts[3]);
        return;
    }
    // One step per pass; the rest stay pending for the next passes.
    int moved = choice;
    if (knobSteps < 0) {
        moved >>= 1;
        ++knobSteps;
    } else {
        moved *= 2;
        --knobSteps;
    }
    choice = static_cast<int8_t>(std::clamp(moved, 1, 4));
    showText(3, BlankText);
    drawCaret();
}

// ---- list choice ----------------------------------------------------------------------------

int8_t lastOption() {
    return static_cast<int8_t>(std::clamp<int32_t>(currentNode->max, 0, INT8_MAX));
}

void drawListValue() {
    // The slave address is shown as a number, every other list as option texts.
    if (currentNode->cell == SlaveAddressCell) {
        writeText(2, 6, "Adress:");
        showInteger(2, 10, listValue);
    } else {
        showText(2, TextGroupLine4 + static_cast<int>(currentNode->min) + listValue);
    }
}

void openListChoice() {
    // A stored value outside the list shows and keeps the nearest option, never a text
    // of another list.
    const int8_t stored = static_cast<int8_t>(cellUnsigned(static_cast<int>(currentNode->cell)));
    listValue = std::clamp<int8_t>(stored, 0, lastOption());
    showScreen(currentNode->texts[0], 0, currentNode->texts[2], currentNode->texts[3]);
    drawListValue();
    menuFlags |= EditingFlag;
    listEditStarted = false;
    listKnobArmed = false;
}

void storeListChoice() {
    showMessage(SavedMessageText);
    saveListChoice(*currentNode, listValue);
    handBack();
}

void listKnob() {
    if (knobSteps == 0) {
        return;
    }
    if (listEditStarted && !listKnobArmed) {
        listKnobArmed = true;
        showLineFour(currentNode->altTexts[3]);
        showText(3, BlankText);
    }
    if (listKnobArmed) {
        listValue = static_cast<int8_t>(std::clamp(listValue + knobSteps, 0, int{lastOption()}));
        drawListValue();
    }
    knobSteps = 0;
}

} // namespace

uint8_t remoteHeatingConfig(int32_t externalControl) {
    return externalControl == 0 ? RemoteHeatingConfig : 0;
}

void saveCaretChoice(const MenuNode& node, int value) {
    if (node.cell == ConfigurationCell) {
        const uint16_t configuration =
            (cellUnsigned(ConfigurationCell) & KeptByCaseSelection) | static_cast<uint8_t>(value);
        storeParameter(ConfigurationCell, configuration);
        applyInstallationMask();
    } else {
        storeParameter(static_cast<int>(node.cell), value);
    }
}

void saveListChoice(const MenuNode& node, int value) {
    storeParameter(static_cast<int>(node.cell), value);
    if (node.cell == ExternalControlCell) {
        MenuNodes[NodeRemoteHeating].config = remoteHeatingConfig(value);
    }
}

void saveInstalledSensors(uint16_t sensors) {
    const uint16_t configuration = (cellUnsigned(ConfigurationCell) & OperatingCaseBits) | sensors;
    storeParameter(ConfigurationCell, configuration);
    applyInstallationMask();
}

void screenOperatingCaseSelection() {
    if ((menuFlags & EditingFlag) == 0) {
        openCaretChoice();
    }
    IoWords[MiddleButtonWord] = 0;
    if (takeKey(LeftButtonWord)) {
        if (caretEditStarted) {
            handBack();
        } else {
            leaveToParent();
        }
        return;
    }
    if (takeKey(RightButtonWord)) {
        if (caretChangeKey()) {
            return;
        }
    }
    caretKnob();
}

void screenListChoice() {
    if ((menuFlags & EditingFlag) == 0) {
        openListChoice();
    }
    IoWords[MiddleButtonWord] = 0;
    if (keyPressed(LeftButtonWord)) {
        leaveToParent();
        return;
    }
    if (keyPressed(RightButtonWord)) {
        if (listEditStarted) {
            // The key word stays set; the message hold discards it.
            storeListChoice();
            return;
        }
        writeText(4, 13, "        ");
        showText(3, BlankText);
        listEditStarted = true;
        IoWords[RightButtonWord] = 0;
    }
    listKnob();
}

void screenExtraSensorSelection() {
    if ((menuFlags & EditingFlag) == 0) {
        detectedSensors = 0;
        showMenuEntry();
        for (const OptionalSensorLabel& sensor : OptionalSensorLabels) {
            if ((cellUnsigned(DetectedSensorsCell) & sensor.bit) != 0) {
                writeText(3, sensor.column, sensor.name);
                detectedSensors |= sensor.bit;
            }
        }
        menuFlags |= EditingFlag;
    }
    // The screen reads no knob: pending steps wait for the engine, which takes them once the
    // screen is left with "Tilbake" ("Bekrefte" ends in a message, whose hold drops them).
    IoWords[MiddleButtonWord] = 0;
    if (keyPressed(LeftButtonWord)) {
        leaveToParent();
        return;
    }
    if (keyPressed(RightButtonWord)) {
        showMessage(ConfirmingMessageText);
        saveInstalledSensors(detectedSensors);
        leaveToParent();
    }
}

void resetSelectionState() {
    choice = 0;
    caretEditStarted = false;
    caretKnobArmed = false;
    warningShown = false;
    listValue = 0;
    listEditStarted = false;
    listKnobArmed = false;
    detectedSensors = 0;
}

} // namespace kv410
