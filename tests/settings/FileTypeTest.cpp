#include "settings/FileType.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "platform/IoError.h"
#include "settings/Settings.h"
#include "support/TempDir.h"

namespace qvl {
namespace {

using test::ReadFile;
using test::TempDir;

// The desktop of a user in a folder of the test's own; the update tools are scripts
// that note their arguments, and fail when told to.
class FileTypeTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_.MakeFolder("tools"); }
  void MakeTool(const std::string& name, int status) {
    dir_.MakeFile("tools/" + name, "#!/bin/sh\necho \"" + name + " $*\" >> \"" + (dir_ / "tool.log") +
                                       "\"\nexit " + std::to_string(status) + "\n");
    ::chmod((dir_ / ("tools/" + name)).c_str(), 0755);
  }
  // The start of the window: the settings are loaded, the file type registered when due.
  std::string Start() {
    WindowSettings settings(collator_);
    try {
      LoadSettings(file_, settings);
      RegisterFileTypeIfNeeded(file_, desktop_);
    } catch (const IoError& error) {
      return error.what();
    }
    return "";
  }
  std::string Regged() const { return file_.ReadString("Main", "ReggedFileTypes", "missing"); }

  TempDir dir_;
  Collator collator_{"en_US"};
  ProfileFile file_{dir_ / "Quorvalen.ini"};
  Desktop desktop_{"/opt/My Tools/$HOME/quorvalen", dir_ / "share", dir_ / "tools"};
};

TEST_F(FileTypeTest, TheFirstStartRegistersTheTypeOnce) {
  MakeTool("update-mime-database", 0);
  MakeTool("update-desktop-database", 0);
  ASSERT_EQ(Start(), "");
  EXPECT_EQ(Regged(), "1");
  std::string share = dir_ / "share";
  EXPECT_EQ(ReadFile(dir_ / "tool.log"), "update-mime-database " + share + "/mime\n" +
                                             "update-desktop-database " + share + "/applications\n");

  std::string mime = ReadFile(share + "/mime/packages/quorvalen.xml");
  EXPECT_NE(mime.find("<mime-type type=\"application/x-quorvalen-file\">"), std::string::npos) << mime;
  EXPECT_NE(mime.find("<comment>Quorvalen Drive Image File</comment>"), std::string::npos);
  EXPECT_NE(mime.find("<glob pattern=\"*.qvl\"/>"), std::string::npos);
  EXPECT_NE(mime.find("<icon name=\"quorvalen\"/>"), std::string::npos);
  EXPECT_EQ(mime.find("case-sensitive"), std::string::npos);

  std::string entry = ReadFile(share + "/applications/io.github.quorvalen.Quorvalen.desktop");
  // Quoted as one word, "$" escaped for the Exec key and its backslash for the file.
  EXPECT_NE(entry.find("\nExec=\"/opt/My Tools/\\\\$HOME/quorvalen\" %f\n"), std::string::npos) << entry;
  EXPECT_NE(entry.find("\nTryExec=/opt/My Tools/$HOME/quorvalen\n"), std::string::npos);
  EXPECT_NE(entry.find("\nMimeType=application/x-quorvalen-file;\n"), std::string::npos);
  EXPECT_NE(entry.find("\nIcon=quorvalen\n"), std::string::npos);
  EXPECT_EQ(ReadFile(share + "/icons/hicolor/scalable/apps/quorvalen.svg"), std::string(ProgramIconSvg()));
  EXPECT_NE(ProgramIconSvg().find("<svg"), std::string_view::npos);

  // Registered: later starts touch nothing.
  std::filesystem::remove_all(share);
  std::filesystem::remove(dir_ / "tool.log");
  ASSERT_EQ(Start(), "");
  EXPECT_FALSE(std::filesystem::exists(share));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "tool.log"));
}

TEST_F(FileTypeTest, AFailureIsReportedAndTriedAgainAtTheNextStart) {
  dir_.MakeFile("share");  // a file where the data folder should be
  EXPECT_NE(Start().find(dir_ / "share"), std::string::npos);
  EXPECT_EQ(Regged(), "missing");
  std::filesystem::remove(dir_ / "share");

  MakeTool("update-desktop-database", 3);
  EXPECT_EQ(Start(), "Cannot update \"" + (dir_ / "share/applications") + "\": update-desktop-database ended with status 3");
  EXPECT_EQ(Regged(), "missing");

  MakeTool("update-desktop-database", 0);
  file_.WriteInteger("Main", "ReggedFileTypes", 0);
  EXPECT_EQ(Start(), "");
  EXPECT_EQ(Regged(), "1");
}

// Sets an environment variable for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    value != nullptr ? ::setenv(name, value, 1) : ::unsetenv(name);
  }
  ~ScopedEnv() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(ThisDesktop, FollowsXdgDataHome) {
  ScopedEnv home("HOME", "/home/tester");
  {
    ScopedEnv data("XDG_DATA_HOME", "/srv/data");
    EXPECT_EQ(ThisDesktop().dataHome, "/srv/data");
  }
  {
    ScopedEnv data("XDG_DATA_HOME", "relative/data");  // not from the root: ignored
    EXPECT_EQ(ThisDesktop().dataHome, "/home/tester/.local/share");
  }
  ScopedEnv data("XDG_DATA_HOME", nullptr);
  EXPECT_EQ(ThisDesktop().dataHome, "/home/tester/.local/share");
  std::string program = ThisDesktop().programPath;
  EXPECT_EQ(program.substr(program.rfind('/')), "/qvl_tests");
}

}  // namespace
}  // namespace qvl
