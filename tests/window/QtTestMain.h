// The window's Qt Test programs share one main (QtTestMain.cpp): the application is set up as
// the window's own program sets it up, offscreen unless QT_QPA_PLATFORM says otherwise. Each
// program names its test class with KV410_QT_TEST(Class).
#pragma once

#include <QObject>

#include <memory>

namespace kv410 {

// The test object of this program, made once the application exists.
std::unique_ptr<QObject> makeQtTest();

} // namespace kv410

#define KV410_QT_TEST(TestClass)                                                                   \
    std::unique_ptr<QObject> kv410::makeQtTest() {                                                 \
        return std::make_unique<TestClass>();                                                      \
    }
