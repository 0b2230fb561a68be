#include "supervision/MixingValve.h"

#include "core/Memory.h"

namespace kv410 {

uint8_t ValvePosition;
uint16_t ValveStepTimer;
int32_t ValvePulseTimer;

namespace {

constexpr int NeutralZoneCell = 32;
constexpr int PulseLengthCell = 101;
constexpr int OpenIntervalCell = 102;
constexpr int CloseIntervalCell = 103;
constexpr int OpenRequestCell = 513;
constexpr int CloseRequestCell = 514;
constexpr int MotionCell = 100;
constexpr int OpeningMarkerCell = 69;
constexpr uint8_t FullyOpen = 60;
// One second of 50 ms ticks: the end relay is re-pulsed this long on every call.
constexpr int EndPulseTicks = 20;

enum Motion : int16_t { Still = 0, Opening = 1, Closing = 2 };

void request(int16_t open, int16_t close) {
    ControllerCells[OpenRequestCell] = open;
    ControllerCells[CloseRequestCell] = close;
}

} // namespace

void stepMixingValve(int32_t x) {
    const int32_t h = ControllerCells[NeutralZoneCell] / 2;
    if (x > h) {
        if (ValvePosition < FullyOpen && ValveStepTimer == 0) {
            ValveStepTimer = cellUnsigned(OpenIntervalCell);
            ValvePulseTimer = cellUnsigned(PulseLengthCell);
            ++ValvePosition;
            request(1, 0);
            ControllerCells[MotionCell] = Opening;
            ControllerCells[OpeningMarkerCell] = 1;
        }
    } else if (x < -h) {
        if (ValvePosition > 0 && ValveStepTimer == 0) {
            ValveStepTimer = cellUnsigned(CloseIntervalCell);
            ValvePulseTimer = cellUnsigned(PulseLengthCell);
            --ValvePosition;
            request(0, 1);
            ControllerCells[MotionCell] = Closing;
        }
    } else {
        request(0, 0);
        ControllerCells[MotionCell] = Still;
    }

    if (ValvePosition == 0) {
        request(0, 1);
        ValvePulseTimer = EndPulseTicks;
        ControllerCells[OpeningMarkerCell] = 0;
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
