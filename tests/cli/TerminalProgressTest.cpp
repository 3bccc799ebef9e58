// What qvl list says about folders it could not read.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/TerminalProgress.h"

namespace qvl::cli {
namespace {

TEST(TerminalProgress, TellsEachUnreadableFolderAndHowMany) {
  std::ostringstream messages;
  TerminalProgress progress(messages);
  progress.SayUnreadableCount();
  EXPECT_EQ(messages.str(), "");  // none: nothing said
  progress.FolderUnreadable("C:\\x\\y\\", "Permission denied");
  EXPECT_EQ(messages.str(), "qvl: cannot read folder C:\\x\\y\\: Permission denied\n");
  progress.SayUnreadableCount();
  EXPECT_EQ(messages.str(), "qvl: cannot read folder C:\\x\\y\\: Permission denied\n"
                            "qvl: 1 folder could not be read\n");
  // A name with a line break stays on its one line.
  messages.str("");
  progress.FolderUnreadable("C:\\a\nb\\", "Input/output error");
  progress.FolderUnreadable("C:\\c\\", "Permission denied");
  progress.SayUnreadableCount();
  EXPECT_EQ(messages.str(), "qvl: cannot read folder C:\\a?b\\: Input/output error\n"
                            "qvl: cannot read folder C:\\c\\: Permission denied\n"
                            "qvl: 3 folders could not be read\n");
}

}  // namespace
}  // namespace qvl::cli
