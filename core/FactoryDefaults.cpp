#include "core/FactoryDefaults.h"

#include "core/Memory.h"
#include "core/MemoryMap.h"

namespace kv410 {

namespace {

struct FactoryValue {
    int cell;
    int16_t value;
};

// Factory values of the parameters in cells 0..117. The heating-curve point adjustments
// (cells 8..31) and the time programs (cells 118..222) are cleared separately; cells not listed
// keep what they hold. The signature comes last.
constexpr FactoryValue FactoryValues[] = {
    {0, 40},    {1, 0},     {2, 50},    {3, 40},    {4, 0},     {6, 600},  {7, 30},     {32, 30},
    {33, 200},  {34, 5},    {35, 0},    {36, 180},  {37, 150},  {38, 480}, {39, 50},    {40, 1200},
    {41, 0},    {42, 0},    {43, 450},  {44, 50},   {45, 350},  {46, 650}, {47, 10800}, {48, 1800},
    {50, 0},    {52, 0},    {54, 0},    {55, 1},    {57, 0},    {58, 0},   {59, 1},     {60, 0},
    {61, 0},    {62, 0},    {63, 0},    {64, 1},    {66, 600},  {67, 180}, {68, 60},    {82, 3600},
    {83, 201},  {85, 1800}, {86, 3600}, {88, 470},  {89, -201}, {90, 490}, {91, 700},   {92, -100},
    {93, -100}, {94, 1250}, {95, 60},   {96, 3600}, {97, 900},  {98, 300}, {107, 2},    {117, 201},
    {49, 49},   {51, 51},   {53, 53},
};

// The valve's full travel is divided into this many steps; 20 ticks of 50 ms make a second.
constexpr int32_t ValveSteps = 60;
constexpr int32_t TicksPerSecond = 20;

int32_t quotientOrZero(int32_t dividend, int32_t divisor) {
    return divisor == 0 ? 0 : dividend / divisor;
}

} // namespace

void loadFactoryDefaults() {
    for (int cell = FirstCurvePointCell; cell <= LastCurvePointCell; ++cell) {
        ControllerCells[cell] = 0;
    }
    for (const FactoryValue& factory : FactoryValues) {
        ControllerCells[factory.cell] = factory.value;
    }
    deriveValveTimings();
    for (int cell = ProgramMaskCell; cell <= LastProgramCell; ++cell) {
        ControllerCells[cell] = 0;
    }
    for (int n = 0; n < ParameterCellCount; ++n) {
        writeFlashWord(n, ControllerCells[n]);
    }
}

void deriveValveTimings() {
    const int32_t rampOpen = cellUnsigned(RampOpenCell);
    const int32_t rampClose = cellUnsigned(RampCloseCell);
    const int32_t openingTime = cellUnsigned(OpeningTimeCell);

    const int32_t stepPulse = openingTime * 100 / ValveSteps * TicksPerSecond / 100;
    const int32_t openInterval = rampOpen / ValveSteps * TicksPerSecond;
    const int32_t closeInterval = rampClose / ValveSteps * TicksPerSecond;
    const int32_t openRate = quotientOrZero(600, rampOpen);
    const int32_t closeRate = quotientOrZero(600, rampClose);

    storeParameter(ValveOpenRateCell, openRate);
    storeParameter(ValveCloseRateCell, closeRate);
    storeParameter(ValvePulseLengthCell, stepPulse);
    storeParameter(ValveOpenIntervalCell, openInterval);
    storeParameter(ValveCloseIntervalCell, closeInterval);
}

} // namespace kv410
