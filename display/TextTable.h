// Every fixed text of the display: 735 entries of 20 Latin-1 characters.
#pragma once

namespace kv410 {

inline constexpr int TextCount = 735;
// First text of each line group: line 1, 2, 3 and 4.
inline constexpr int TextGroupLine1 = 0;
inline constexpr int TextGroupLine2 = 123;
inline constexpr int TextGroupLine3 = 267;
inline constexpr int TextGroupLine4 = 431;

// Text N: 20 single-byte characters and a terminating zero.
extern const char TextTable[TextCount][21];

} // namespace kv410
