#include "scripttool/ChildProcesses.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

namespace kv410 {
namespace {

TEST(ChildProcessesTest, ResultsComeInOrderWhateverOrderTheChildrenEndIn) {
    ASSERT_TRUE(childProcessesAvailable());
    std::vector<size_t> order;
    std::vector<std::string> failures(6);
    runInChildProcesses(
        6, 3,
        [](size_t i) {
            if (i == 2) {
                std::abort();
            }
            // The first ones end last; each result is larger than a pipe holds.
            std::this_thread::sleep_for(std::chrono::milliseconds(20 * (6 - i)));
            return std::string(100000 * (i + 1), static_cast<char>('a' + i));
        },
        [&](size_t i, std::string&& bytes, const std::string& failure) {
            order.push_back(i);
            failures[i] = failure;
            if (i != 2) {
                EXPECT_EQ(bytes, std::string(100000 * (i + 1), static_cast<char>('a' + i))) << i;
            }
        });
    EXPECT_EQ(order, (std::vector<size_t>{0, 1, 2, 3, 4, 5}));
    EXPECT_NE(failures[2].find("ended by signal 6"), std::string::npos) << failures[2];
    EXPECT_EQ(failures[0], "");
    EXPECT_EQ(failures[5], "");

    // Started last first, handed back first first.
    order.clear();
    runInChildProcesses(
        4, 2, [](size_t i) { return std::to_string(i); },
        [&](size_t i, std::string&& bytes, const std::string& failure) {
            order.push_back(i);
            EXPECT_EQ(bytes, std::to_string(i));
            EXPECT_EQ(failure, "");
        },
        {3, 2, 1, 0});
    EXPECT_EQ(order, (std::vector<size_t>{0, 1, 2, 3}));
}

} // namespace
} // namespace kv410
