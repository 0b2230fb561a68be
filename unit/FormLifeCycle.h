// The window's life cycle as the unit sees it: create, show (boot) and destroy.
#pragma once

namespace kv410 {

// Window created: knob frame 0, the flash file loaded.
void FormCreate();
// Window about to be shown: sensor start values, sliders, captions, clock text, idle countdown,
// Graph, boot, current slider.
void FormShow();
// Window being destroyed: the flash file saved; false when it could not be written (the message
// box has been shown).
bool FormDestroy();

} // namespace kv410
