// The four yes/no questions that guard a service action.
#pragma once

namespace kv410 {

// The request for a short restart of the heat pump, set by the quick restart confirmation.
inline constexpr int ShortRestartCell = 115;

} // namespace kv410
