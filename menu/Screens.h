// Every screen and editor the menu engine can run, one parameterless operation per node kind.
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

// Kind 0: a menu entry showing the node's four texts.
void screenMenuEntry();
// Kind 1: choice between the node's line 2 and line 3.
void screenTwoWayChoice();
// Kind 2: a read-only value on line 2.
void screenReadOnlyValue();
// Kind 4: a temperature with its set point, redrawn on change.
void screenTemperatureReadout();
// Kinds 5, 6, 15 and 16: the numeric editor with its bar or marker.
void screenNumericEditor();
// Kind 7: one heating-curve point and the next.
void screenCurvePointReadout();
// Kind 8: the editor of one heating-curve point.
void screenCurvePointEditor();
// Kind 9: the clock line.
void screenClockLine();
// Kind 10: setting the clock.
void screenClockSetting();
// Kind 11: one weekly time program with its day editor.
void screenTimeProgram();
// Kind 14: the operating case and heater power selection.
void screenOperatingCaseSelection();
// Kind 17: manual run of one output.
void screenManualRun();
// Kind 18: a quick setting seen from the main display.
void screenQuickSettingView();
// Kind 19: the editor of a quick setting.
void screenQuickSettingEditor();
// Kind 20: confirmation to reset the alarm log.
void screenResetAlarmLogConfirmation();
// Kind 21: choice from a list of option texts.
void screenListChoice();
// Kind 22: operating times.
void screenOperatingTimesReadout();
// Kind 23: confirmation to reset the operating times.
void screenResetOperatingTimesConfirmation();
// Kind 24: confirmation to return to the factory values.
void screenFactoryValuesConfirmation();
// Kind 25: the countdown timers.
void screenTimersReadout();
// Kind 26: the main display, its clock line or its status pages.
void screenMainDisplay();
// Kind 27: the alarm log viewer.
void screenAlarmLogViewer();
// Kind 28: the extra sensor selection.
void screenExtraSensorSelection();
// Kind 29: the alarm help pages.
void screenAlarmHelp();
// Kind 30: the program version.
void screenVersionReadout();
// Kind 31: live values.
void screenLiveValuesReadout();
// Kind 32: confirmation of a quick restart.
void screenQuickRestartConfirmation();
// Kind 33: the alarm display.
void screenAlarmDisplay();
// The status pages of the main display.
void screenStatusView();

} // namespace kv410
