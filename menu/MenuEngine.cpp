#include "menu/MenuEngine.h"

#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "display/Lcd.h"
#include "menu/Screens.h"
#include "menu/Selections.h"
#include "menu/ValueEditors.h"
#include "supervision/Alarms.h"

namespace kv410 {

MenuNode* currentNode;
int32_t lastAccessLevel;
int32_t shownValue;
uint8_t menuFlags;
uint8_t menuFlags2;

namespace {

enum class MenuEvent { None, Back, Middle, Enter, KnobBack, KnobForward };

struct AccessLevelEntry {
    uint16_t level;
    int messageText; // shown when the engine accepts the level
    int tagColumn;   // where the tag on line 1 starts
    const char* tag;
};

constexpr AccessLevelEntry AccessLevels[] = {
    {1, 566, 19, "K1"},
    {2, 567, 19, "K2"},
    {4, 568, 18, "I/S"},
    {8, 569, 20, "F"},
};

const AccessLevelEntry* findAccessLevel(int32_t level) {
    for (const AccessLevelEntry& entry : AccessLevels) {
        if (entry.level == level) {
            return &entry;
        }
    }
    return nullptr;
}

MenuNode* node(int index) {
    return &MenuNodes[index];
}

// Takes at most one event; of several, the later in the order back, middle, enter, knob wins.
MenuEvent collectEvent() {
    MenuEvent event = MenuEvent::None;
    if (takeKey(LeftButtonWord)) {
        event = MenuEvent::Back;
    }
    if (takeKey(MiddleButtonWord)) {
        event = MenuEvent::Middle;
    }
    if (takeKey(RightButtonWord)) {
        event = MenuEvent::Enter;
    }
    if (knobSteps < 0) {
        ++knobSteps;
        event = MenuEvent::KnobBack;
    } else if (knobSteps > 0) {
        --knobSteps;
        event = MenuEvent::KnobForward;
    }
    return event;
}

// The first available node from `start` on along prev or next; nullptr when the list ends first.
MenuNode* firstAvailable(MenuNode* start, bool forward) {
    for (MenuNode* n = start; n != nullptr; n = forward ? n->next : n->prev) {
        if (isNodeAvailable(n)) {
            return n;
        }
    }
    return nullptr;
}

void openAlarmDisplay() {
    NewAlarmFlag = 0;
    menuFlags &= ~EditingFlag;
    MenuNode* alarmDisplay = node(NodeAlarmDisplay);
    // A new alarm while the alarm display is current keeps the way back it already has,
    // so the display never becomes its own parent.
    if (currentNode != alarmDisplay) {
        alarmDisplay->parent = ActiveAlarmList[1] == NoAlarm ? currentNode : node(NodeRoot);
    }
    currentNode = alarmDisplay;
    dispatchScreen();
}

void returnWhenIdle() {
    if ((IoWords[DisplayAwakeWord]) != 0) {
        menuFlags |= PanelLitFlag;
        return;
    }
    if ((menuFlags & PanelLitFlag) == 0) {
        return;
    }
    menuFlags &= ~PanelLitFlag;
    if ((currentNode->access & KeepsDisplayWhenIdle) == 0) {
        currentNode = node(NodeRoot);
    }
    // Leaving manual operation by going idle drops every output once, as leaving by the menu does;
    // otherwise a valve pulse word switched on by hand would stay on for good.
    if (ControllerCells[OutputTestCell] != 0 && (menuFlags2 & ManualOutputsClearedFlag) == 0) {
        menuFlags2 |= ManualOutputsClearedFlag;
        clearOutputs();
    }
    ControllerCells[OutputTestCell] = 0;
    menuFlags &= ~EditingFlag;
    // The screen that follows draws in full, so nothing of the left screen stays on the display.
    menuFlags |= FullRedrawFlag;
    shownValue = NothingShown;
    dispatchScreen();
}

void acceptAccessLevel() {
    const int32_t requested = IoWords[AccessLevelWord];
    if (requested == lastAccessLevel) {
        return;
    }
    if (requested == 8 && currentNode != node(NodeVersion)) {
        IoWords[AccessLevelWord] = static_cast<uint16_t>(lastAccessLevel);
        return;
    }
    lastAccessLevel = requested;
    if (const AccessLevelEntry* entry = findAccessLevel(requested)) {
        showMessage(entry->messageText);
    }
    menuFlags |= RedrawRequestFlag | FullRedrawFlag;
    shownValue = NothingShown;
    currentNode = node(NodeRoot);
}

void actOnEvent(MenuEvent event) {
    switch (event) {
    case MenuEvent::KnobBack:
    case MenuEvent::KnobForward: {
        const bool forward = event == MenuEvent::KnobForward;
        MenuNode* start = forward ? currentNode->next : currentNode->prev;
        if (MenuNode* found = firstAvailable(start, forward)) {
            currentNode = found;
        }
        break;
    }
    case MenuEvent::Back:
        if (currentNode->parent != nullptr) {
            currentNode = currentNode->parent;
        }
        break;
    case MenuEvent::Enter:
        if (MenuNode* found = firstAvailable(currentNode->child, true)) {
            currentNode = found;
        }
        break;
    case MenuEvent::Middle:
        if (currentNode == node(NodeRoot)) {
            menuFlags2 |= StatusViewOnFlag;
        }
        break;
    case MenuEvent::None:
        break;
    }
}

// Every change between normal and manual operation drops all outputs once.
void followManualOperation() {
    if (currentNode == node(NodeManualFirst)) {
        ControllerCells[OutputTestCell] = 1;
        if ((menuFlags2 & ManualOutputsClearedFlag) != 0) {
            menuFlags2 &= ~ManualOutputsClearedFlag;
            clearOutputs();
        }
    } else if (currentNode == node(NodeManualEntry)) {
        ControllerCells[OutputTestCell] = 0;
        if ((menuFlags2 & ManualOutputsClearedFlag) == 0) {
            menuFlags2 |= ManualOutputsClearedFlag;
            clearOutputs();
        }
    }
}

} // namespace

void runMenuEngine() {
    if (SecondTimers[7] != 0) {
        IoWords[LeftButtonWord] = 0;
        IoWords[MiddleButtonWord] = 0;
        IoWords[RightButtonWord] = 0;
        knobSteps = 0;
        return;
    }
    if (UnacknowledgedAlarmFlag != 0 && NewAlarmFlag != 0) {
        openAlarmDisplay();
    }
    returnWhenIdle();
    if ((menuFlags & EditingFlag) != 0) {
        dispatchScreen();
        return;
    }
    const MenuEvent event = collectEvent();
    if ((menuFlags2 & PendingFullRedrawFlag) != 0) {
        menuFlags2 &= ~PendingFullRedrawFlag;
        menuFlags |= FullRedrawFlag;
        dispatchScreen();
    }
    if ((menuFlags & RedrawRequestFlag) != 0) {
        menuFlags &= ~RedrawRequestFlag;
        dispatchScreen();
    }
    acceptAccessLevel();
    if (event == MenuEvent::None) {
        return;
    }
    menuFlags |= FullRedrawFlag;
    shownValue = NothingShown;
    if ((menuFlags2 & StatusViewOnFlag) != 0) {
        showMenuEntry();
        menuFlags2 &= ~StatusViewOnFlag;
    } else {
        actOnEvent(event);
    }
    followManualOperation();
    if (knobSteps == 0) {
        dispatchScreen();
    }
}

void dispatchScreen() {
    if (currentNode == nullptr || currentNode->kind >= ScreenKindCount) {
        return;
    }
    if (ScreenFunction screen = ScreenTable[currentNode->kind]) {
        screen();
    }
}

void showMenuEntry() {
    showScreen(currentNode->texts[0], currentNode->texts[1], currentNode->texts[2],
               currentNode->texts[3]);
}

void screenMenuEntry() {
    showMenuEntry();
}

void leaveToParent() {
    if (currentNode->parent != nullptr) {
        currentNode = currentNode->parent;
    }
    handBack();
    IoWords[LeftButtonWord] = 0;
    IoWords[RightButtonWord] = 0;
}

bool keyPressed(int word) {
    return (IoWords[word] & 1) != 0;
}

bool takeKey(int word) {
    if (!keyPressed(word)) {
        return false;
    }
    IoWords[word] = 0;
    return true;
}

void handBack() {
    menuFlags &= ~EditingFlag;
    menuFlags |= RedrawRequestFlag;
}

bool takeFullRedraw() {
    if ((menuFlags & FullRedrawFlag) == 0) {
        return false;
    }
    menuFlags &= ~FullRedrawFlag;
    return true;
}

void resetMenu() {
    menuFlags &= ~(EditingFlag | RedrawRequestFlag | PanelLitFlag);
    menuFlags2 |= PendingFullRedrawFlag | ManualOutputsClearedFlag;
    menuFlags2 &= ~StatusViewOnFlag;
    currentNode = node(NodeRoot);
    ControllerCells[ConfigurationCell] = static_cast<int16_t>(0xFFFF);
    lastAccessLevel = IoWords[AccessLevelWord];
    node(NodeRemoteHeating)->config = remoteHeatingConfig(ControllerCells[ExternalControlCell]);
    applyInstallationMask();
}

void showAccessTag() {
    if (const AccessLevelEntry* entry = findAccessLevel(IoWords[AccessLevelWord])) {
        writeText(1, entry->tagColumn, entry->tag);
    }
}

void resetMenuEngineState() {
    currentNode = node(NodeRoot);
    lastAccessLevel = 0;
    shownValue = 0;
    menuFlags = 0;
    menuFlags2 = 0;
    resetValueEditorState();
}

} // namespace kv410
