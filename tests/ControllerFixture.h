// Test fixture: a fresh controller on a virtual host for every test.
#pragma once

#include "core/VirtualPlatform.h"
#include "unit/ControllerState.h"

#include <gtest/gtest.h>

namespace kv410 {

class ControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetControllerState();
        installPlatform(&host);
    }
    void TearDown() override {
        installPlatform(nullptr);
        resetControllerState();
    }

    VirtualPlatform host;
};

} // namespace kv410
