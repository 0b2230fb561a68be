#include "menu/ValueEditors.h"

#include "core/FactoryDefaults.h"
#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "display/Lcd.h"
#include "display/TextTable.h"
#include "display/TextWords.h"
#include "menu/MenuEngine.h"
#include "menu/Screens.h"
#include "supervision/HeatingCurves.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace kv410 {

namespace {

// Two-way choice: the marked line, 0 (line 2) or 1 (line 3).
int32_t choiceValue;
// Two-way choice: the change key was pressed.
bool choiceArmed;
// Two-way choice: the knob has turned since the change key.
bool choiceChanged;
// Numeric editor: the value being edited, in shown units.
int32_t editorValue;
// Numeric editor: length of the unit name behind the value.
uint8_t editorUnitLength;
// Numeric editor: OffMarker stands in place of the value.
bool offShown;
// Numeric editor: the change key was pressed.
bool editorArmed;
// Numeric editor: the knob has turned since the change key.
bool editorChanged;
// Curve point editor: the point's value being edited, in tenths.
int32_t curveValue;
// Curve point editor: the knob has turned.
bool curveChanged;

constexpr int SavedMessageText = 534;
constexpr char ChoiceArrow[] = "\x7F\xB0";
constexpr char DegreeSign[] = "\xDF";

// Unit names by the node's unit code, in controller codes.
constexpr const char* UnitNameTable[] = {"", "dag", "tim", "min", "s", "P", DegreeSign, "%"};

// How the numeric editor scales a cell into shown units, by the node's format.
struct ValueScale {
    uint8_t format;
    int32_t factor;
};
constexpr ValueScale ValueScales[] = {{5, 1440}, {6, 60}, {7, 60}, {8, 1}};

// Cells the valve opening time limits from below, with their editor nodes.
struct RampLimit {
    int cell;
    int editorNode;
};

// The middle key has no effect in the editors; it is consumed so it cannot act later.
void dropMiddleKey() {
    takeKey(MiddleButtonWord);
}

// Back to the parent without consuming the other keys.
void returnToParentKeepingKeys() {
    if (currentNode->parent != nullptr) {
        currentNode = currentNode->parent;
    }
    handBack();
}

const ValueScale* scaleOf(uint8_t format) {
    for (const ValueScale& scale : ValueScales) {
        if (scale.format == format) {
            return &scale;
        }
    }
    return nullptr;
}

void showLineFourText(int offset) {
    showText(4, TextGroupLine4 + offset);
}

int32_t curveValueOf(const MenuNode* n) {
    return curvePointSetpoint(static_cast<uint8_t>(n->cell), static_cast<uint8_t>(n->aux));
}

// ---- two-way choice --------------------------------------------------------------------

int choiceLine() {
    return static_cast<int>(choiceValue) + 2;
}

void openTwoWayChoice() {
    const uint16_t stored =
        currentNode->aux == 1 ? IoWords[currentNode->cell] : cellUnsigned(currentNode->cell);
    // A stored value other than 0 or 1 marks line 3, so the arrow stays on the screen.
    choiceValue = stored == 0 ? 0 : 1;
    showMenuEntry();
    writeText(choiceLine(), 18, ChoiceArrow);
    choiceArmed = false;
    choiceChanged = false;
    menuFlags |= EditingFlag;
}

void saveTwoWayChoice() {
    if (currentNode->aux == 1) {
        IoWords[currentNode->cell] = static_cast<uint16_t>(choiceValue);
    } else {
        storeParameter(static_cast<int>(currentNode->cell), choiceValue);
    }
    showMessage(SavedMessageText);
    handBack();
}

// ---- numeric editor -----------------------------------------------------------------------

bool offAtLowest() {
    return offAtLowestValue(currentNode->cell);
}

bool offAtHighest() {
    return offAtHighestValue(currentNode->cell);
}

bool isOffValue(int32_t value) {
    return (offAtLowest() && value == nodeMin()) || (offAtHighest() && value == nodeMax());
}

int32_t scaledCellValue() {
    return shownSettingValue(*currentNode);
}

void drawIndicator() {
    if (currentNode->kind == 6 || currentNode->kind == 15) {
        showMarker(nodeMin(), nodeMax(), editorValue);
    } else {
        showBar(nodeMin(), nodeMax(), editorValue);
    }
}

// The value field in the middle of line 3, with or without the unit behind it.
void drawEditorValue(bool withUnit) {
    if (isOffValue(editorValue)) {
        writeText(3, 7, OffMarker);
        offShown = true;
        return;
    }
    char unit[4];
    unitName(unit, currentNode->unit);
    const int unitColumn = showValueField(editorValue, editorUnitLength);
    if (withUnit && editorUnitLength > 0) {
        writeText(3, unitColumn, unit);
    }
}

// The limits the knob can reach without passing through off.
void drawEditorLimits() {
    char unit[4];
    unitName(unit, currentNode->unit);
    drawLimits(offAtLowest() ? nodeMin() + 1 : nodeMin(),
               offAtHighest() ? nodeMax() - 1 : nodeMax(), unit);
}

void openNumericEditor() {
    offShown = false;
    editorValue = scaledCellValue();
    showMenuEntry();
    char unit[4];
    editorUnitLength = static_cast<uint8_t>(unitName(unit, currentNode->unit));
    drawEditorLimits();
    drawEditorValue(true);
    drawIndicator();
    editorArmed = false;
    editorChanged = false;
    menuFlags |= EditingFlag;
}

} // namespace

bool offAtLowestValue(uint32_t cell) {
    return cell == HeatPumpBlockOutdoorCell;
}

bool offAtHighestValue(uint32_t cell) {
    return cell == AuxHeatBlockCell || cell == RemoteHeatingCell;
}

int32_t shownSettingValue(const MenuNode& node) {
    const int cell = static_cast<int>(node.cell);
    if (const ValueScale* scale = scaleOf(node.format)) {
        return cellUnsigned(cell) / scale->factor;
    }
    return ControllerCells[cell];
}

int32_t storedSettingValue(const MenuNode& node, int32_t shown) {
    if (const ValueScale* scale = scaleOf(node.format)) {
        return shown * scale->factor;
    }
    return shown;
}

namespace {

void followValveOpeningTime() {
    constexpr RampLimit RampLimits[] = {{RampOpenCell, NodeValveOpenRuntimeEditor},
                                        {RampCloseCell, NodeValveCloseRuntimeEditor}};
    const int32_t opening = cellUnsigned(OpeningTimeCell);
    const int32_t minutes = opening / 60 + (opening % 60 != 0 ? 1 : 0);
    for (const RampLimit& ramp : RampLimits) {
        MenuNodes[ramp.editorNode].min = minutes;
        if (cellUnsigned(ramp.cell) < minutes * 60) {
            storeParameter(ramp.cell, minutes * 60);
        }
    }
}

void followSwitchingDifferential() {
    const int32_t differential = ControllerCells[SwitchingDifferentialCell];
    if (differential < ControllerCells[ShuntNeutralZoneCell] + 10) {
        storeParameter(ShuntNeutralZoneCell, differential - 10);
    }
    MenuNodes[NodeShuntDeadZoneEditor].max = differential < 100 ? differential - 10 : 90;
}

// What else changes when a setting has been saved.
void followSavedSetting(uint32_t cell) {
    switch (cell) {
    case OpeningTimeCell:
        followValveOpeningTime();
        deriveValveTimings();
        break;
    case RampOpenCell:
    case RampCloseCell:
        deriveValveTimings();
        break;
    case ExtraHotWaterCell:
        MinuteTimers[1] = cellUnsigned(ExtraHotWaterCell);
        break;
    case HotWaterPeakIntervalCell:
        MinuteTimers[0] = cellUnsigned(HotWaterPeakIntervalCell);
        break;
    case HolidayCell:
        MinuteTimers[2] = cellUnsigned(HolidayCell);
        break;
    case SwitchingDifferentialCell:
        followSwitchingDifferential();
        break;
    default:
        break;
    }
}

void saveNumericEditor() {
    showMessage(SavedMessageText);
    saveEditedValue(*currentNode, editorValue);
    handBack();
}

void numericEditorKnob() {
    if (!editorArmed) {
        knobSteps = 0;
        return;
    }
    if (!editorChanged) {
        editorChanged = true;
        showLineFourText(currentNode->altTexts[3]);
    }
    adjustByKnob(editorValue);
    if (isOffValue(editorValue)) {
        writeText(3, 7, OffMarker);
        offShown = true;
    } else {
        if (offShown) {
            writeText(3, 7, "      \xDF ");
            offShown = false;
        }
        drawEditorValue(false);
    }
    drawIndicator();
}

// ---- curve point editor -----------------------------------------------------------------

void openCurvePointEditor() {
    curveValue = curveValueOf(currentNode);
    showMenuEntry();
    drawLimits(nodeMin(), nodeMax(), DegreeSign);
    showTenths(3, 7, curveValue);
    writeText(3, 13, DegreeSign);
    showBar(nodeMin(), nodeMax(), curveValue);
    curveChanged = false;
    menuFlags |= EditingFlag;
}

void saveCurvePoint() {
    showMessage(SavedMessageText);
    saveCurvePointValue(*currentNode, curveValue);
}

// ---- temperature readout ------------------------------------------------------------------

// The set point and its heading for the two readouts whose set point depends on an output.
struct SwitchingSetPoint {
    uint32_t aux;
    int outputCell;
    int switchOnCell;
    int switchOffCell;
};
constexpr SwitchingSetPoint SwitchingSetPoints[] = {{112, 516, 111, 112}, {114, 517, 113, 114}};

void showSetPoint(uint32_t aux) {
    for (const SwitchingSetPoint& entry : SwitchingSetPoints) {
        if (entry.aux == aux) {
            const bool off = ControllerCells[entry.outputCell] == 0;
            showTenths(3, 4, ControllerCells[off ? entry.switchOnCell : entry.switchOffCell]);
            writeText(3, 1, off ? FromToHeadings + 10 : FromToHeadings);
            return;
        }
    }
    showTenths(3, 4, ControllerCells[aux]);
}

} // namespace

void saveEditedValue(const MenuNode& node, int32_t shown) {
    const int cell = static_cast<int>(node.cell);
    const int32_t stored = storedSettingValue(node, shown);
    ControllerCells[cell] = static_cast<int16_t>(stored);
    writeFlashWord(cell, stored);
    followSavedSetting(node.cell);
}

int curvePointCorrectionCell(const MenuNode& node) {
    return static_cast<int>(8 + node.cell + 2 * node.aux);
}

int32_t curvePointValue(const MenuNode& node) {
    return curveValueOf(&node);
}

void saveCurvePointValue(const MenuNode& node, int32_t value) {
    const int32_t difference = value - curveValueOf(&node);
    const int correctionCell = curvePointCorrectionCell(node);
    storeParameter(correctionCell, ControllerCells[correctionCell] + difference);
}

int32_t nodeMin() {
    return static_cast<int16_t>(currentNode->min);
}

int32_t nodeMax() {
    return static_cast<int16_t>(currentNode->max);
}

void adjustByKnob(int32_t& value) {
    value += knobSteps;
    knobSteps = 0;
    if (value < nodeMin()) {
        value = nodeMin();
    }
    if (value > nodeMax()) {
        value = nodeMax();
    }
}

void drawLimits(int32_t low, int32_t high, const char* unit) {
    const int unitLength = static_cast<int>(std::strlen(unit));
    char limit[12];
    int length = formatLimit(limit, low);
    writeText(3, 1, limit);
    if (unitLength > 0) {
        writeText(3, 1 + length, unit);
    }
    length = formatLimit(limit, high);
    writeText(3, 21 - length - unitLength, limit);
    if (unitLength > 0) {
        writeText(3, 21 - unitLength, unit);
    }
}

int showValueField(int32_t value, int unitLength) {
    if (unitLength == 3) {
        showInteger(3, 6, value);
        return 11;
    }
    if (currentNode->format == 1) {
        showTenths(3, 7, value);
        return 13;
    }
    showInteger(3, 7, value);
    return 12;
}

int formatLimit(char* out, int32_t value) {
    if (currentNode->format == 1) {
        value /= 10;
    }
    return std::snprintf(out, 12, "%d", static_cast<int>(value));
}

int unitName(char* out, int unit) {
    const char* name = "";
    if (unit >= 0 && unit < static_cast<int>(std::size(UnitNameTable))) {
        name = UnitNameTable[unit];
    }
    std::strcpy(out, name);
    return static_cast<int>(std::strlen(name));
}

void screenTwoWayChoice() {
    if ((menuFlags & EditingFlag) == 0) {
        openTwoWayChoice();
    }
    if (keyPressed(LeftButtonWord)) {
        leaveToParent();
        return;
    }
    dropMiddleKey();
    if (takeKey(RightButtonWord)) {
        if (!choiceArmed) {
            choiceArmed = true;
            writeText(4, 13, "        ");
        } else {
            saveTwoWayChoice();
            return;
        }
    }
    if (knobSteps != 0) {
        if (choiceArmed && !choiceChanged) {
            choiceChanged = true;
            showLineFourText(currentNode->altTexts[3]);
        }
        if (choiceChanged) {
            writeText(choiceLine(), 18, "  ");
            choiceValue += knobSteps;
            choiceValue = std::clamp<int32_t>(choiceValue, 0, 1);
            writeText(choiceLine(), 18, ChoiceArrow);
        }
        knobSteps = 0;
    }
}

void screenReadOnlyValue() {
    if (takeFullRedraw()) {
        showMenuEntry();
    }
    menuFlags |= RedrawRequestFlag;
    const int32_t value = ControllerCells[currentNode->cell];
    if (value == shownValue) {
        return;
    }
    shownValue = value;
    if (currentNode->format == 1) {
        showTenths(2, 14, value);
    } else {
        showInteger(2, 15, value);
    }
}

void screenTemperatureReadout() {
    if (takeFullRedraw()) {
        showMenuEntry();
    }
    menuFlags |= RedrawRequestFlag;
    const int32_t measured = ControllerCells[currentNode->cell];
    if (currentNode->aux == 0) {
        if (measured == shownValue) {
            return;
        }
        shownValue = measured;
        if (measured < -400) {
            writeText(3, 7, "   --    ");
        } else if (measured > 1400) {
            writeText(3, 7, "   ---   ");
        } else {
            showTenths(3, 7, measured);
        }
        return;
    }
    const int32_t sum = measured + ControllerCells[currentNode->aux];
    if (sum == shownValue) {
        return;
    }
    shownValue = sum;
    showSetPoint(currentNode->aux);
    if (measured < -400) {
        writeText(3, 15, " --   ");
    } else if (measured > 1400) {
        writeText(3, 15, " ---  ");
    } else {
        showTenths(3, 14, measured);
    }
}

void screenNumericEditor() {
    if ((menuFlags & EditingFlag) == 0) {
        openNumericEditor();
    }
    if (takeKey(LeftButtonWord)) {
        if (editorArmed || editorChanged) {
            showLineFourText(currentNode->texts[3]);
            handBack();
        } else {
            returnToParentKeepingKeys();
        }
        return;
    }
    dropMiddleKey();
    if (takeKey(RightButtonWord)) {
        if (!editorArmed) {
            editorArmed = true;
            showLineFourText(currentNode->altTexts[3]);
            writeText(4, 10, "           ");
        } else if (editorChanged) {
            saveNumericEditor();
            return;
        } else {
            writeText(4, 10, "           ");
        }
    }
    if (knobSteps != 0) {
        numericEditorKnob();
    }
}

void screenCurvePointReadout() {
    showMenuEntry();
    showTenths(2, 14, curveValueOf(currentNode));
    if (currentNode->next != nullptr) {
        showTenths(3, 14, curveValueOf(currentNode->next));
    }
}

void screenCurvePointEditor() {
    if ((menuFlags & EditingFlag) == 0) {
        openCurvePointEditor();
    }
    if (takeKey(LeftButtonWord)) {
        returnToParentKeepingKeys();
        return;
    }
    dropMiddleKey();
    if (takeKey(RightButtonWord)) {
        if (curveChanged) {
            saveCurvePoint();
            returnToParentKeepingKeys();
            return;
        }
    }
    if (knobSteps != 0) {
        if (!curveChanged) {
            curveChanged = true;
            showLineFourText(currentNode->altTexts[3]);
        }
        adjustByKnob(curveValue);
        showTenths(3, 7, curveValue);
        showBar(nodeMin(), nodeMax(), curveValue);
    }
}

void resetValueEditorState() {
    choiceValue = 0;
    choiceArmed = false;
    choiceChanged = false;
    editorValue = 0;
    editorUnitLength = 0;
    offShown = false;
    editorArmed = false;
    editorChanged = false;
    curveValue = 0;
    curveChanged = false;
}

} // namespace kv410
