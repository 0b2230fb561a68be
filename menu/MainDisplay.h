// The main display at the menu's root: the clock line and its normal view.
#pragma once

namespace kv410 {

// Kind 9: the clock line.
void screenClockLine();
// Kind 26: the main display, its clock line or its status pages.
void screenMainDisplay();

} // namespace kv410
