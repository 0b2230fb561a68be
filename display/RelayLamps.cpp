#include "display/RelayLamps.h"

#include "core/Clock.h"
#include "core/Memory.h"
#include "core/MemoryMap.h"

#include <cstring>

namespace kv410 {

bool RelayLampLit[10] = {};
uint32_t LampsGeneration = 0;

namespace {

// The relay lamps' words are 12..21.

static_assert(
    [] {
        for (int word : RelayLampWords) {
            if (word < FirstRelayWord || word >= FirstRelayWord + 10) {
                return false;
            }
        }
        return true;
    }(),
    "every relay lamp's word lies in 12..21");

// The relay words as the lamps were last painted from them.
uint16_t paintedRelayWords[10];
bool lampsPainted = false;

} // namespace

void refreshRelayLamps() {
    refreshClock();
    if (idleCountdown == 0) {
        IoWords[DisplayAwakeWord] = 0;
    }
    paintRelayLamps();
}

void paintRelayLamps() {
    // The lamps follow their relay words only, so they are painted again only when one moved.
    if (lampsPainted &&
        std::memcmp(paintedRelayWords, &IoWords[FirstRelayWord], sizeof paintedRelayWords) == 0) {
        return;
    }
    std::memcpy(paintedRelayWords, &IoWords[FirstRelayWord], sizeof paintedRelayWords);
    lampsPainted = true;
    for (int lamp = 0; lamp < 10; ++lamp) {
        const bool lit = IoWords[RelayLampWords[lamp]] != 0;
        if (RelayLampLit[lamp] != lit) {
            RelayLampLit[lamp] = lit;
            ++LampsGeneration;
        }
    }
}

void resetRelayLamps() {
    for (bool& lit : RelayLampLit) {
        lit = false;
    }
    LampsGeneration = 0;
    lampsPainted = false;
}

} // namespace kv410
