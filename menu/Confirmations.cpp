#include "menu/Confirmations.h"

#include "core/FactoryDefaults.h"
#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "display/Lcd.h"
#include "display/RelayLamps.h"
#include "menu/MenuEngine.h"
#include "menu/MenuTree.h"
#include "menu/Screens.h"
#include "supervision/AlarmLog.h"

namespace kv410 {

namespace {

constexpr int OkText = 533;
constexpr int ResettingText = 537;
constexpr int FactoryValuesText = 536;

// The operating-time cells, in the order they are zeroed.
constexpr int OperatingTimeCells[] = {72, 73, 74, 75, 76, 77, 78, 79, 80, 70, 71};

void resetAlarmLogAction() {
    showMessage(OkText);
    refreshRelayLamps();
    leaveToParent();
    resetAlarmLog();
    IoWords[RightButtonWord] = 0;
}

void resetOperatingTimesAction() {
    showMessage(ResettingText);
    for (int cell : OperatingTimeCells) {
        writeFlashWord(cell, 0);
    }
    for (int cell : OperatingTimeCells) {
        ControllerCells[cell] = 0;
    }
    leaveToParent();
}

void factoryValuesAction() {
    showMessage(FactoryValuesText);
    loadFactoryDefaults();
    leaveToParent();
}

void quickRestartAction() {
    showMessage(OkText);
    ControllerCells[ShortRestartCell] = 1;
    leaveToParent();
}

// What sets one confirmation apart from the others.
struct Confirmation {
    void (*action)();
    // The screen drops the knob steps itself instead of leaving them to the engine.
    bool dropsKnobSteps;
};

constexpr Confirmation ResetAlarmLog{resetAlarmLogAction, false};
constexpr Confirmation ResetOperatingTimes{resetOperatingTimesAction, true};
constexpr Confirmation FactoryValues{factoryValuesAction, false};
constexpr Confirmation QuickRestart{quickRestartAction, false};

// One pass of a confirmation: ask on arrival, "Tilbake" leaves, "Ja" acts and leaves.
void runConfirmation(const Confirmation& confirmation) {
    if (confirmation.dropsKnobSteps) {
        knobSteps = 0;
    }
    if ((menuFlags & EditingFlag) == 0) {
        showMenuEntry();
        menuFlags |= EditingFlag;
    }
    if (IoWords[LeftButtonWord] != 0) {
        leaveToParent();
        return;
    }
    IoWords[MiddleButtonWord] = 0;
    if (IoWords[RightButtonWord] != 0) {
        confirmation.action();
    }
}

} // namespace

void screenResetAlarmLogConfirmation() {
    runConfirmation(ResetAlarmLog);
}

void screenResetOperatingTimesConfirmation() {
    runConfirmation(ResetOperatingTimes);
}

void screenFactoryValuesConfirmation() {
    runConfirmation(FactoryValues);
}

void screenQuickRestartConfirmation() {
    runConfirmation(QuickRestart);
}

} // namespace kv410
