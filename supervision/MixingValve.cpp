#include "supervision/MixingValve.h"

#include "core/Memory.h"
#include "core/MemoryMap.h"

namespace kv410 {

uint8_t ValvePosition;
uint16_t ValveStepTimer;
int32_t ValvePulseTimer;

namespace {

constexpr uint8_t FullyOpen = 60;
// One second of 50 ms ticks: the end relay is re-pulsed this long on every call.
constexpr int EndPulseTicks = 20;

enum Motion : int16_t { Still = 0, Opening = 1, Closing = 2 };

void request(int16_t open, int16_t close) {
    ControllerCells[ValveOpenRequestCell] = open;
    ControllerCells[ValveCloseRequestCell] = close;
}

} // namespace

void stepMixingValve(int32_t x) {
    const int32_t h = ControllerCells[ShuntNeutralZoneCell] / 2;
    if (x > h) {
        if (ValvePosition < FullyOpen && ValveStepTimer == 0) {
            ValveStepTimer = cellUnsigned(ValveOpenIntervalCell);
            ValvePulseTimer = cellUnsigned(ValvePulseLengthCell);
            ++ValvePosition;
            request(1, 0);
            ControllerCells[ValveMotionCell] = Opening;
            ControllerCells[ValveOpeningMarkerCell] = 1;
        }
    } else if (x < -h) {
        if (ValvePosition > 0 && ValveStepTimer == 0) {
            ValveStepTimer = cellUnsigned(ValveCloseIntervalCell);
            ValvePulseTimer = cellUnsigned(ValvePulseLengthCell);
            --ValvePosition;
            request(0, 1);
            ControllerCells[ValveMotionCell] = Closing;
        }
    } else {
        request(0, 0);
        ControllerCells[ValveMotionCell] = Still;
    }

    if (ValvePosition == 0) {
        request(0, 1);
        ValvePulseTimer = EndPulseTicks;
        ControllerCells[ValveOpeningMarkerCell] = 0;
    }
    if (ValvePosition == FullyOpen) {
        request(1, 0);
        ValvePulseTimer = EndPulseTicks;
    }
}

void resetValveState() {
    ValvePosition = 0;
    ValveStepTimer = 0;
    ValvePulseTimer = 0;
}

} // namespace kv410
