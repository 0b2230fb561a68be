#include "core/Memory.h"
#include "core/MemoryMap.h"

#include <cstring>

namespace kv410 {

int16_t ControllerCells[CellCount];
uint16_t IoWords[IoWordCount];
uint16_t FlashImage[FlashWordCount];

int8_t knobSteps;
int32_t idleCountdown;
uint32_t SecondTimers[10];
uint32_t MinuteTimers[5];
uint32_t minuteDivider;
uint8_t outputTestWatchdog;

uint16_t readFlashWord(int n) {
    return FlashImage[n];
}

void writeFlashWord(int n, int32_t value) {
    FlashImage[n] = static_cast<uint16_t>(value);
}

void loadCellsFromFlash() {
    for (int n = 0; n < ParameterCellCount; ++n) {
        ControllerCells[n] = static_cast<int16_t>(FlashImage[n]);
    }
}

void clearOutputs() {
    for (int n = FirstRelayWord; n <= LastRelayWord; ++n) {
        IoWords[n] = 0;
    }
}

void storeParameter(int n, int32_t value) {
    ControllerCells[n] = static_cast<int16_t>(value);
    writeFlashWord(n, value);
}

void resetMemory() {
    std::memset(ControllerCells, 0, sizeof ControllerCells);
    std::memset(IoWords, 0, sizeof IoWords);
    std::memset(FlashImage, 0, sizeof FlashImage);
    knobSteps = 0;
    idleCountdown = 0;
    std::memset(SecondTimers, 0, sizeof SecondTimers);
    std::memset(MinuteTimers, 0, sizeof MinuteTimers);
    minuteDivider = 0;
    outputTestWatchdog = 0;
}

} // namespace kv410
