// The screen table: which screen or editor the menu engine runs for each node kind. Each screen
// is declared in the header of the file that holds it.
#pragma once

namespace kv410 {

// A screen or editor: run once per engine pass while its node is current.
using ScreenFunction = void (*)();

// Node kinds 0..33.
inline constexpr int ScreenKindCount = 34;

// The screen of each node kind; nullptr for kinds that run nothing.
extern const ScreenFunction ScreenTable[ScreenKindCount];
// The main display's status pages, run by the main display while its status view is on.
extern const ScreenFunction StatusViewScreen;

} // namespace kv410
