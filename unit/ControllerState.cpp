#include "unit/ControllerState.h"

#include "core/Clock.h"
#include "core/Memory.h"
#include "display/Lcd.h"
#include "display/TextWords.h"
#include "menu/AlarmDisplay.h"
#include "menu/AlarmLogViewer.h"
#include "menu/ClockSetting.h"
#include "menu/MenuEngine.h"
#include "menu/MenuTree.h"
#include "menu/QuickSettings.h"
#include "menu/Selections.h"
#include "menu/StatusDisplay.h"
#include "menu/TimeProgramScreens.h"
#include "panel/FrontPanel.h"
#include "supervision/AlarmLog.h"
#include "supervision/Alarms.h"
#include "supervision/MixingValve.h"

namespace kv410 {

void resetControllerState() {
    resetMemory();
    resetTextWords();
    resetRelayLamps();
    resetClock();
    resetDisplay();
    resetMenuTree();
    resetMenuEngineState();
    resetSelectionState();
    resetQuickSettingState();
    resetAlarmDisplayState();
    resetAlarmLogViewerState();
    resetClockSettingState();
    resetTimeProgramScreenState();
    resetStatusDisplayState();
    resetAlarmState();
    resetAlarmLogState();
    resetValveState();
    resetPanelState();
}

} // namespace kv410
