// The status view of the main display: one of 26 pages saying what the heat pump is doing.
#pragma once

#include <cstdint>

namespace kv410 {

// What a status page shows beside its four texts.
enum StatusPageType : uint8_t {
    TextsOnly = 0,
    Countdown = 1,         // a SecondTimers countdown on line 3
    SignedValue = 2,       // a setting on line 3, a sensor on line 4
    RoomValue = 3,         // an unsigned setting; the room sensor only when it is installed
    HotWaterStopValue = 4, // hot-water temperature plus half its differential
    OffsetValue = 5,       // a setting plus 0.8 degrees
};

// One status page: its type, its texts (offsets into the line-4 group) and the values it shows.
struct StatusPage {
    uint8_t pageType;
    uint8_t pageTexts[4];
    int32_t cellA; // a SecondTimers index for a countdown, else the line-3 cell
    int32_t cellB; // the line-4 sensor cell
};

inline constexpr int StatusPageCount = 26;

// Returns the status view's state to its process-start state.
void resetStatusDisplayState();

// The status pages of the main display.
void screenStatusView();

} // namespace kv410
