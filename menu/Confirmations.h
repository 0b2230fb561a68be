// The four yes/no questions that guard a service action.
#pragma once

namespace kv410 {

// Kind 20: confirmation to reset the alarm log.
void screenResetAlarmLogConfirmation();
// Kind 23: confirmation to reset the operating times.
void screenResetOperatingTimesConfirmation();
// Kind 24: confirmation to return to the factory values.
void screenFactoryValuesConfirmation();
// Kind 32: confirmation of a quick restart.
void screenQuickRestartConfirmation();

} // namespace kv410
