// The menu tree: 260 nodes, constant in shape, with a writable copy for the run-time changes.
#pragma once

#include <cstdint>

namespace kv410 {

// One node of the menu tree: its screen, the value it shows or changes, and its links.
struct MenuNode {
    uint8_t access; // bits 0..3 access levels, bit 4 keeps the display when idle
    uint8_t config; // installation bits
    uint8_t kind;   // screen or editor, 0..33
    uint8_t format;
    uint8_t unit;
    uint8_t texts[4];
    uint8_t altTexts[4];
    uint32_t cell;
    uint32_t aux;
    int32_t min;
    int32_t max;
    MenuNode* prev;
    MenuNode* next;
    MenuNode* child;
    MenuNode* parent;
};

inline constexpr int MenuNodeCount = 260;
// The writable tree; node N is MenuNodes[N].
extern MenuNode MenuNodes[MenuNodeCount];

// The main display, root of the tree (kind 26).
inline constexpr int NodeRoot = 0;
// Entry 1.13, remote heating: its config follows cell 60.
inline constexpr int NodeRemoteHeating = 72;
// First of the four hot-water nodes (entries 2.3 and 2.4 with their editors) that the VVP
// input hides.
inline constexpr int NodeHotWaterSettingsFirst = 89;
// The operating case selection (kind 14, cell 55), under entry 5.1.
inline constexpr int NodeOperatingCaseSelection = 126;
// The heater power selection (kind 14, cell 107), under entry 5.2.
inline constexpr int NodeHeaterPowerSelection = 128;
// Entry 5.3: leading to it ends manual operation.
inline constexpr int NodeManualEntry = 129;
// First node of the manual-run list (pump P3): arriving there starts manual operation.
inline constexpr int NodeManualFirst = 130;
// The external control list choice (kind 21, cell 60), under entry 5.7.
inline constexpr int NodeExternalControlChoice = 151;
// The version readout (kind 30): the only node that accepts access level 8.
inline constexpr int NodeVersion = 161;
// The extra sensor confirmation (kind 28), under entry 5.13.
inline constexpr int NodeExtraSensors = 163;
// The shunt dead-zone editor (cell 32) of entry 8.3.3: its max follows cell 2.
inline constexpr int NodeShuntDeadZoneEditor = 203;
// First of the four valve run-time nodes (entries 8.3.4 and 8.3.5 with their editors) that
// exist in operating case B only.
inline constexpr int NodeValveRunTimesFirst = 204;
// The valve opening run-time editor (cell 66) of entry 8.3.4: its min follows cell 68.
inline constexpr int NodeValveOpenRuntimeEditor = 205;
// The valve closing run-time editor (cell 67) of entry 8.3.5: its min follows cell 68.
inline constexpr int NodeValveCloseRuntimeEditor = 207;
// The clock line (kind 9) under entry 10.
inline constexpr int NodeClockLine = 240;
// The clock setting (kind 10) under the clock line.
inline constexpr int NodeClockSetting = 241;
// The alarm log viewer (kind 27) under entry 11.
inline constexpr int NodeAlarmLogViewer = 243;
// The alarm help pages (kind 29): parent and cell are set by whoever opens them.
inline constexpr int NodeAlarmHelp = 244;
// First quick-setting view (kind 18): the root's parent.
inline constexpr int NodeQuickFirst = 247;
// Number of quick-setting views; each has its editor (kind 19) as child.
inline constexpr int QuickSettingCount = 6;
// The alarm display (kind 33): outside every list, its parent is set when it opens.
inline constexpr int NodeAlarmDisplay = 259;

// The availability rule: access level (I/O word 42) and installation (cell 55) both allow
// the node. A null node is not available.
bool isNodeAvailable(const MenuNode* node);

// Makes eight menu nodes available or not according to cell 55.
void applyInstallationMask();

// Restores the writable tree from the constant table.
void resetMenuTree();

} // namespace kv410
