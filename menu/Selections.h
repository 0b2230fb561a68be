// The selection screens: operating case and heater power, list choices and the extra sensors.
#pragma once

#include "menu/MenuTree.h"

#include <cstdint>

namespace kv410 {

// The optional sensors and inputs of the configuration word and where each is named on line 3.
struct OptionalSensorLabel {
    uint16_t bit;
    int column;
    const char* name;
};
inline constexpr OptionalSensorLabel OptionalSensorLabels[] = {
    {0x08, 2, "GT3"},
    {0x10, 7, "GT4"},
    {0x20, 12, "GT5"},
    {0x40, 17, "VVP"},
};

// Stores a caret choice (1, 2 or 4) as the node's screen saves it; the operating case keeps the
// option bits of the configuration word and moves the nodes that depend on it.
void saveCaretChoice(const MenuNode& node, int value);
// Stores a list choice as the node's screen saves it; the external control function also makes
// the remote-heating entry available or not.
void saveListChoice(const MenuNode& node, int value);
// Records the optional sensors (bits 3..6) as installed, as the extra-sensor screen confirms them.
void saveInstalledSensors(uint16_t sensors);

// Config of the remote-heating entry for an external control function.
uint8_t remoteHeatingConfig(int32_t externalControl);

// Returns the selection screens' working state to its process-start state.
void resetSelectionState();

// Kind 14: the operating case and heater power selection.
void screenOperatingCaseSelection();
// Kind 21: choice from a list of option texts.
void screenListChoice();
// Kind 28: the extra sensor selection.
void screenExtraSensorSelection();

} // namespace kv410
