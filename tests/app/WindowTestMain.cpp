#include <QApplication>
#include <QTest>
#include <cstring>
#include <utility>
#include <vector>

#include "app/WindowTests.h"

namespace qvl::test {
namespace {

std::vector<std::pair<const char*, WindowTestFactory>>& Registry() {
  static std::vector<std::pair<const char*, WindowTestFactory>> tests;
  return tests;
}

}  // namespace

int RegisterWindowTest(const char* name, WindowTestFactory factory) {
  Registry().emplace_back(name, factory);
  return 0;
}

}  // namespace qvl::test

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const char* only = argc > 1 ? argv[1] : nullptr;
  // What follows the class's name goes to Qt Test: the functions to run, options.
  std::vector<char*> testArgs{argv[0]};
  for (int i = 2; i < argc; ++i) testArgs.push_back(argv[i]);
  int failures = 0;
  for (auto& [name, factory] : qvl::test::Registry()) {
    if (only != nullptr && std::strcmp(only, name) != 0) continue;
    auto test = factory();
    failures += QTest::qExec(test.get(), static_cast<int>(testArgs.size()), testArgs.data());
  }
  return failures == 0 ? 0 : 1;
}
