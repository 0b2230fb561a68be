// PLACEHOLDER: replaced by the supervision's owner.
#include "supervision/MixingValve.h"

namespace kv410 {

uint8_t ValvePosition;
uint16_t ValveStepTimer;
int32_t ValvePulseTimer;

void stepMixingValve(int32_t) {}
void resetValveState() {}

} // namespace kv410
