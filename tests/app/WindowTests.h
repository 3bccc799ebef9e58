#pragma once

#include <QObject>
#include <memory>

namespace qvl::test {

// The window's test classes, registered by name, run by one program under the
// offscreen platform: all of them, or the one named as its first argument.
using WindowTestFactory = std::unique_ptr<QObject> (*)();
int RegisterWindowTest(const char* name, WindowTestFactory factory);

}  // namespace qvl::test

#define QVL_WINDOW_TEST(Class)                                                                  \
  [[maybe_unused]] static const int Class##Registered = qvl::test::RegisterWindowTest(#Class, [] { \
    return std::unique_ptr<QObject>(std::make_unique<Class>());                                 \
  });
