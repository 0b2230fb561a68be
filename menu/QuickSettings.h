// The quick settings reached from the main display: a view with the indicator and its editor.
#pragma once

#include <cstdint>

namespace kv410 {

// Returns the quick-setting editor's working state to its process-start state.
void resetQuickSettingState();

// Kind 18: a quick setting seen from the main display.
void screenQuickSettingView();
// Kind 19: the editor of a quick setting.
void screenQuickSettingEditor();

} // namespace kv410
