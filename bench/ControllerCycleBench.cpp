// Controller ticks per second: the 50 ms tick (panel refresh and one cycle) with the one-second
// tick every twentieth time, as the window and kv410-script run them.
#include "core/Memory.h"
#include "core/VirtualPlatform.h"
#include "panel/FrontPanel.h"
#include "unit/ControllerState.h"
#include "unit/FormLifeCycle.h"
#include "unit/Ticks.h"
#include "unit/VirtualTime.h"

#include <benchmark/benchmark.h>

namespace {

using namespace kv410;

// A freshly started controller on a virtual host, switched on or left off.
void startController(VirtualPlatform& host, bool on) {
    resetControllerState();
    installPlatform(&host);
    FormShow();
    if (on) {
        Shape6MouseDown();
        Timer1Timer();
    }
}

void runTicks(benchmark::State& state) {
    VirtualTime time;
    for (auto _ : state) {
        runTick(time);
    }
    state.counters["cycles/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    installPlatform(nullptr);
}

// The unit on, nobody touching it: the status screen, the clock, the supervision.
void UnitOnIdle(benchmark::State& state) {
    VirtualPlatform host;
    startController(host, true);
    runTicks(state);
    benchmark::DoNotOptimize(ControllerCells[116]);
}
BENCHMARK(UnitOnIdle);

// The unit off: only the panel refresh and the off branch of the cycle.
void UnitOff(benchmark::State& state) {
    VirtualPlatform host;
    startController(host, false);
    runTicks(state);
    benchmark::DoNotOptimize(IoWords[44]);
}
BENCHMARK(UnitOff);

} // namespace
