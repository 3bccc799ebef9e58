#include "platform/Program.h"

#include <gtest/gtest.h>

#include "support/TempDir.h"

namespace qvl {
namespace {

// The build puts the guide beside the programs, where a portable copy keeps it too.
TEST(ReadmePath, IsTheGuideBesideTheProgram) {
  EXPECT_EQ(ReadmePath(), ProgramFolder() + "Readme.txt");
  EXPECT_EQ(test::ReadFile(ReadmePath()), test::ReadFile(QVL_DATA_DIR "/Readme.txt"));
}

}  // namespace
}  // namespace qvl
