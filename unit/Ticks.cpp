#include "unit/Ticks.h"

#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "panel/FrontPanel.h"
#include "supervision/Alarms.h"
#include "supervision/MixingValve.h"
#include "unit/Controller.h"

#include <cstddef>

namespace kv410 {

namespace {

template <typename T, size_t N>
void countDown(T (&counters)[N]) {
    for (T& counter : counters) {
        if (counter != 0) {
            --counter;
        }
    }
}

} // namespace

void Timer1Timer() {
    if (ValveStepTimer != 0) {
        --ValveStepTimer;
    }
    if (ValvePulseTimer != 0) {
        if (--ValvePulseTimer == 0) {
            IoWords[ValveClosePulseWord] = 0;
            IoWords[ValveOpenPulseWord] = 0;
        }
    }
    refreshPanel();
    runControllerCycle();
}

void Timer2Timer() {
    minuteDivider = minuteDivider < 59 ? minuteDivider + 1 : 0;
    countDown(SecondTimers);
    if (minuteDivider == 0) {
        countDown(MinuteTimers);
    }
    countDown(AlarmDelayCounters);
    if (idleCountdown != 0) {
        --idleCountdown;
    }
}

void Timer3Timer() {
    if (longPressCountdown > 0) {
        --longPressCountdown;
    }
    if (longPressCountdown == 0) {
        IoWords[AccessLevelWord] = ButtonRules[pressedButton].accessLevel;
        Timer3Running = false;
    }
}

} // namespace kv410
