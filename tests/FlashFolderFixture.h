// Test fixture: a fresh controller whose Flash.dat lives in a scratch folder of its own.
#pragma once

#include "ControllerFixture.h"
#include "ScratchFolder.h"

#include "core/FlashFile.h"

#include <filesystem>
#include <string>

namespace kv410 {

class FlashFolderTest : public ControllerTest {
protected:
    void SetUp() override {
        ControllerTest::SetUp();
        savedPath = FlashFilePath;
        FlashFilePath = scratch.file("Flash.dat");
    }
    void TearDown() override {
        FlashFilePath = savedPath;
        ControllerTest::TearDown();
    }

    ScratchFolder scratch{"flash"};
    const std::filesystem::path folder = scratch.path();
    std::string savedPath;
};

} // namespace kv410
