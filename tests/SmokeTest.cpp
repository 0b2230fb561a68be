#include "ControllerFixture.h"

#include "core/Memory.h"

namespace kv410 {
namespace {

TEST_F(ControllerTest, StartsFromZeroedMemory) {
    EXPECT_EQ(ControllerCells[116], 0);
}

} // namespace
} // namespace kv410
