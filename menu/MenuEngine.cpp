// PLACEHOLDER: replaced by the menu engine's owner.
#include "menu/MenuEngine.h"

#include "core/Memory.h"

namespace kv410 {

void runMenuEngine() {}

void resetMenu() {
    ControllerCells[55] = static_cast<int16_t>(0xFFFF);
}

void resetMenuEngineState() {}

} // namespace kv410
