// The clock line and the main display's normal view.
#include "menu/MainDisplay.h"

#include "core/Clock.h"
#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "display/Lcd.h"
#include "menu/MenuEngine.h"
#include "menu/Screens.h"

namespace kv410 {

void screenClockLine() {
    if (takeFullRedraw()) {
        showMenuEntry();
        if (currentNode == &MenuNodes[NodeRoot]) {
            showAccessTag();
        }
    }
    menuFlags |= RedrawRequestFlag;
    const int32_t seconds = IoWords[ClockSecondWord];
    if (seconds != shownValue) {
        shownValue = seconds;
        writeText(static_cast<int>(currentNode->cell), 1, ClockTextBuffer);
    }
}

void screenMainDisplay() {
    if ((menuFlags2 & StatusViewOnFlag) == 0) {
        screenClockLine();
        return;
    }
    // The status view: its pages are drawn by the status screen once it is there.
    if (StatusViewScreen != nullptr) {
        StatusViewScreen();
    }
}

} // namespace kv410
