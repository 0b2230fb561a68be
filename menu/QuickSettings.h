// The quick settings reached from the main display: a view with the indicator and its editor.
#pragma once

#include <cstdint>

namespace kv410 {

// Quick-setting editor: the value being edited.
extern int32_t editValue;
// Quick-setting editor: the save key is offered.
extern bool editArmed;

// Returns the quick-setting editor's working state to its process-start state.
void resetQuickSettingState();

} // namespace kv410
