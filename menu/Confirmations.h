// The four yes/no questions that guard a service action.
#pragma once

namespace kv410 {} // namespace kv410
