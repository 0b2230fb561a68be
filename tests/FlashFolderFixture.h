// Test fixture: a fresh controller whose Flash.dat lives in a scratch folder of its own.
#pragma once

#include "ControllerFixture.h"

#include "core/FlashFile.h"

#include <atomic>
#include <filesystem>
#include <random>
#include <string>

namespace kv410 {

class FlashFolderTest : public ControllerTest {
protected:
    void SetUp() override {
        ControllerTest::SetUp();
        static std::atomic<int> serial{0};
        folder = std::filesystem::temp_directory_path() /
                 ("kv410-flash-" + std::to_string(std::random_device{}()) + "-" +
                  std::to_string(++serial));
        std::filesystem::create_directories(folder);
        savedPath = FlashFilePath;
        FlashFilePath = (folder / "Flash.dat").string();
    }
    void TearDown() override {
        FlashFilePath = savedPath;
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
        ControllerTest::TearDown();
    }

    std::filesystem::path folder;
    std::string savedPath;
};

} // namespace kv410
