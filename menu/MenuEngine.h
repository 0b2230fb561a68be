// The menu engine: moves currentNode through the tree and runs the screen of the current node.
#pragma once

#include "menu/MenuTree.h"

#include <cstdint>

namespace kv410 {

// The node whose screen runs; the root after power-on.
extern MenuNode* currentNode;
// The last value a screen drew; NothingShown forces the next screen to draw in full.
extern int32_t shownValue;
// Engine flags: EditingFlag, RedrawRequestFlag, FullRedrawFlag, PanelLitFlag.
extern uint8_t menuFlags;
// Engine flags: PendingFullRedrawFlag, StatusViewOnFlag, ManualOutputsClearedFlag.
extern uint8_t menuFlags2;

// shownValue when nothing has been drawn yet.
inline constexpr int32_t NothingShown = -3000;

// menuFlags: the current node's screen owns the keys.
inline constexpr uint8_t EditingFlag = 0x01;
// menuFlags: run the current screen again in the next cycle.
inline constexpr uint8_t RedrawRequestFlag = 0x02;
// menuFlags: the screen must draw all four lines.
inline constexpr uint8_t FullRedrawFlag = 0x04;
// menuFlags: the panel was lit in the last cycle.
inline constexpr uint8_t PanelLitFlag = 0x08;
// menuFlags2: in the next cycle set FullRedrawFlag and run the screen.
inline constexpr uint8_t PendingFullRedrawFlag = 0x01;
// menuFlags2: the main display shows its status pages.
inline constexpr uint8_t StatusViewOnFlag = 0x02;
// menuFlags2: the outputs were cleared when manual operation was last left.
inline constexpr uint8_t ManualOutputsClearedFlag = 0x04;

// Access bit of a node that keeps the display when the panel goes idle.
inline constexpr uint8_t KeepsDisplayWhenIdle = 0x10;

// One engine pass; the controller cycle calls it while the unit is on.
void runMenuEngine();
// Runs the screen or editor of the current node's kind.
void dispatchScreen();
// Shows the current node's four texts.
void showMenuEntry();
// Back to the parent: the screens and editors call it on the back key.
void leaveToParent();
// True when key word `word` (1 back, 2 middle, 3 enter) holds a press.
bool keyPressed(int word);
// Consumes a press of key word `word`; true when there was one.
bool takeKey(int word);
// Gives the keys back to the engine and has it run the current screen again.
void handBack();
// Clears FullRedrawFlag; true when it was set.
bool takeFullRedraw();
// Resets the menu state; the last step of the start-up set-up.
void resetMenu();
// Writes the access level's tag at the end of line 1.
void showAccessTag();

// Returns the engine state (and the editors' working state) to its process-start state.
void resetMenuEngineState();

// Kind 0: a menu entry showing the node's four texts.
void screenMenuEntry();

} // namespace kv410
