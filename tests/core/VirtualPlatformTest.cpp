#include "ControllerFixture.h"

#include "core/VirtualPlatform.h"

#include <array>

namespace kv410 {
namespace {

using VirtualPlatformTest = ControllerTest;

std::array<int, 7> fields(const HostDateTime& t) {
    return {t.year, t.month, t.day, t.hour, t.minute, t.second, t.dayOfWeek};
}

// The clock is asked every 50 ms; its answer moves with every whole second, with every setClock
// (even within the same second) and across days, months, years and 1970.
TEST_F(VirtualPlatformTest, LocalTimeFollowsTheVirtualClock) {
    host.setClock(2026, 12, 7, 8, 0, 0);
    EXPECT_EQ(fields(host.localNow()), (std::array<int, 7>{2026, 12, 7, 8, 0, 0, 2}));
    host.advanceClock(999);
    EXPECT_EQ(fields(host.localNow()), (std::array<int, 7>{2026, 12, 7, 8, 0, 0, 2}));
    host.advanceClock(1);
    EXPECT_EQ(fields(host.localNow()), (std::array<int, 7>{2026, 12, 7, 8, 0, 1, 2}));

    host.setClock(2024, 2, 28, 23, 59, 59);
    EXPECT_EQ(fields(host.localNow()), (std::array<int, 7>{2024, 2, 28, 23, 59, 59, 4}));
    host.advanceClock(1000);
    EXPECT_EQ(fields(host.localNow()), (std::array<int, 7>{2024, 2, 29, 0, 0, 0, 5}));
    host.advanceClock(86400 * 1000);
    EXPECT_EQ(fields(host.localNow()), (std::array<int, 7>{2024, 3, 1, 0, 0, 0, 6}));

    host.setClock(1969, 12, 31, 23, 59, 59);
    EXPECT_EQ(fields(host.localNow()), (std::array<int, 7>{1969, 12, 31, 23, 59, 59, 4}));
    host.advanceClock(1000);
    EXPECT_EQ(fields(host.localNow()), (std::array<int, 7>{1970, 1, 1, 0, 0, 0, 5}));

    // A clock set back to the same second it already showed, and then to another date.
    host.setClock(2026, 12, 7, 8, 0, 0);
    host.localNow();
    host.setClock(2026, 12, 7, 8, 0, 0);
    EXPECT_EQ(fields(host.localNow()), (std::array<int, 7>{2026, 12, 7, 8, 0, 0, 2}));
    host.setClock(2031, 6, 15, 12, 30, 45);
    EXPECT_EQ(fields(host.localNow()), (std::array<int, 7>{2031, 6, 15, 12, 30, 45, 1}));
}

} // namespace
} // namespace kv410
