#include "core/ControllerState.h"

#include "core/Clock.h"
#include "core/Controller.h"
#include "core/Memory.h"
#include "display/Lcd.h"
#include "menu/MenuEngine.h"
#include "menu/MenuTree.h"
#include "panel/PanelPaint.h"
#include "supervision/AlarmLog.h"
#include "supervision/Alarms.h"
#include "supervision/MixingValve.h"

namespace kv410 {

void resetControllerState() {
    resetMemory();
    resetControllerTables();
    resetClock();
    resetDisplay();
    resetMenuTree();
    resetMenuEngineState();
    resetAlarmState();
    resetAlarmLogState();
    resetValveState();
    resetPanelState();
}

} // namespace kv410
