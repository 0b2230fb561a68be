// Which screen runs for each node kind. Kinds 3, 12 and 13 have no screen and run nothing.
#include "menu/Screens.h"

#include "menu/AlarmDisplay.h"
#include "menu/AlarmLogViewer.h"
#include "menu/ClockSetting.h"
#include "menu/Confirmations.h"
#include "menu/MainDisplay.h"
#include "menu/ManualOperation.h"
#include "menu/MenuEngine.h"
#include "menu/QuickSettings.h"
#include "menu/Readouts.h"
#include "menu/Selections.h"
#include "menu/StatusDisplay.h"
#include "menu/TimeProgramScreens.h"
#include "menu/ValueEditors.h"

namespace kv410 {

// clang-format off
const ScreenFunction ScreenTable[ScreenKindCount] = {
    screenMenuEntry,          // 0 menu entry
    screenTwoWayChoice,       // 1 two-way choice
    screenReadOnlyValue,      // 2 read-only value
    nullptr,                  // 3 nothing
    screenTemperatureReadout, // 4 temperature readout
    screenNumericEditor,      // 5 numeric editor, bar
    screenNumericEditor,      // 6 numeric editor, marker
    screenCurvePointReadout,  // 7 heating-curve point readout
    screenCurvePointEditor,   // 8 heating-curve point editor
    screenClockLine,          // 9 clock line
    screenClockSetting,       // 10 clock setting
    screenTimeProgram,        // 11 time program
    nullptr,                  // 12 nothing
    nullptr,                  // 13 nothing
    screenOperatingCaseSelection, // 14 operating case selection
    screenNumericEditor,      // 15 numeric editor, marker
    screenNumericEditor,      // 16 numeric editor, bar
    screenManualRun,          // 17 manual run
    screenQuickSettingView,   // 18 quick setting view
    screenQuickSettingEditor, // 19 quick setting editor
    screenResetAlarmLogConfirmation, // 20 reset alarm log confirmation
    screenListChoice,         // 21 list choice
    screenOperatingTimesReadout, // 22 operating times readout
    screenResetOperatingTimesConfirmation, // 23 reset operating times confirmation
    screenFactoryValuesConfirmation, // 24 factory values confirmation
    screenTimersReadout,      // 25 timers readout
    screenMainDisplay,        // 26 main display
    screenAlarmLogViewer,     // 27 alarm log viewer
    screenExtraSensorSelection, // 28 extra sensor selection
    screenAlarmHelp,          // 29 alarm help
    screenVersionReadout,     // 30 version readout
    screenLiveValuesReadout,  // 31 live values readout
    screenQuickRestartConfirmation, // 32 quick restart confirmation
    screenAlarmDisplay,       // 33 alarm display
};
// clang-format on

// The status pages of the main display; nullptr leaves the status view blank.
const ScreenFunction StatusViewScreen = screenStatusView;

} // namespace kv410
