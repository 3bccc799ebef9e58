#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/IoError.h"
#include "platform/ProfileFile.h"
#include "support/TempDir.h"

namespace qvl {
namespace {

using test::ReadFile;
using test::TempDir;

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const IoError& error) {
    return error.what();
  }
  return "no error";
}

TEST(ProfileFile, ReadsNamesInAnyCaseAndFallsBackToTheDefault) {
  TempDir dir;
  dir.MakeFile("a.ini",
               "; LastOutPut=a comment\n"
               "LastBrowsed=before any section\n"
               "[main]\n"
               "  lastoutput =  /home/me/list.txt  \n"
               "Empty=\n"
               "# Method=1\n"
               "Method=2\n"
               "METHOD=1\n"
               "[ Other ]\r\n"
               "Long=" + std::string(3000, 'x') + "\r\n"
               "NoBreakAtTheEnd=yes");
  ProfileFile file(dir / "a.ini");
  EXPECT_EQ(file.ReadString("Main", "LastOutPut", "d"), "/home/me/list.txt");
  EXPECT_EQ(file.ReadString("MAIN", "Empty", "d"), "");
  EXPECT_EQ(file.ReadInteger("Main", "Method", 3), 2);
  EXPECT_EQ(file.ReadString("Main", "LastBrowsed", "d"), "d");
  EXPECT_EQ(file.ReadString("other", "Long", "d"), std::string(2047, 'x'));
  EXPECT_EQ(file.ReadString("Other", "NoBreakAtTheEnd", "d"), "yes");
  EXPECT_EQ(file.ReadString("History", "Item1", "ERROR"), "ERROR");
  auto main = file.ReadSection("Main");
  ASSERT_EQ(main.size(), 3u);
  EXPECT_EQ(main[2], (std::pair<std::string, std::string>{"Method", "2"}));

  EXPECT_EQ(ProfileFile(dir / "missing.ini").ReadString("Main", "LastDrive", "C"), "C");
  EXPECT_EQ(ProfileFile(dir.Path()).ReadInteger("Main", "Method", 3), 3);
}

TEST(ProfileFile, IntegersAreDecimalOrHexadecimalAndNothingElse) {
  const std::vector<std::pair<std::string, std::optional<int>>> cases{
      {"80", 80},          {"  -5", -5},        {"+7", 7},           {"\t0x50", 80},
      {"0X1f", 31},        {"$FF", 255},        {"0xFFFFFFFF", -1},  {"2147483647", 2147483647},
      {"-2147483648", -2147483648LL}, {"2147483648", std::nullopt}, {"0x100000000", std::nullopt},
      {"abc", std::nullopt}, {"", std::nullopt}, {"12abc", std::nullopt}, {"0x", std::nullopt},
      {"$", std::nullopt}, {"-", std::nullopt}, {"-0x5", std::nullopt}, {"1 2", std::nullopt},
      {"0xG", std::nullopt}};
  for (const auto& [text, expected] : cases) EXPECT_EQ(ParseProfileInteger(text), expected) << text;

  TempDir dir;
  dir.MakeFile("a.ini", "[Main]\nRightMargin= 0x50 \nMethod=abc\n");
  ProfileFile file(dir / "a.ini");
  EXPECT_EQ(file.ReadInteger("Main", "RightMargin", 95), 80);
  EXPECT_EQ(file.ReadInteger("Main", "Method", 3), 3);
}

TEST(ProfileFile, WritesKeepEveryOtherLineByteForByte) {
  TempDir dir;
  dir.MakeFile("a.ini",
               "; settings of the window\r\n"
               "\r\n"
               "[Main]\r\n"
               "  RightMargin =  80  \r\n"
               "Unknown=kept  as  it  is\r\n"
               "\r\n"
               "; the history follows\r\n"
               "[history]\r\n"
               "Item1=a.qvl");
  ProfileFile file(dir / "a.ini");
  file.WriteInteger("main", "rightmargin", 44);
  file.Write({{"Main", "Method", "3"}, {"History", "Item2", "b.qvl"}, {"Drives", "T", "/home/me/Music"}});
  EXPECT_EQ(ReadFile(dir / "a.ini"),
            "; settings of the window\r\n"
            "\r\n"
            "[Main]\r\n"
            "  RightMargin =  44\r\n"
            "Unknown=kept  as  it  is\r\n"
            "Method=3\r\n"
            "\r\n"
            "; the history follows\r\n"
            "[history]\r\n"
            "Item1=a.qvl\r\n"
            "Item2=b.qvl\r\n"
            "[Drives]\r\n"
            "T=/home/me/Music\r\n");
  EXPECT_EQ(file.ReadInteger("Main", "RightMargin", 95), 44);

  ProfileFile fresh(dir / "new.ini");
  fresh.WriteInteger("Main", "ReggedFileTypes", 1);
  fresh.WriteString("Main", "LastDrive", "D");
  EXPECT_EQ(ReadFile(dir / "new.ini"), "[Main]\nReggedFileTypes=1\nLastDrive=D\n");
}

TEST(ProfileFile, AnUnwritableFileIsReportedByItsFullName) {
  TempDir dir;
  dir.MakeFolder("Quorvalen.ini");
  dir.MakeFile("plain");
  for (const std::string& path : {dir / "Quorvalen.ini", dir / "plain/Quorvalen.ini"}) {
    ProfileFile file(path);
    EXPECT_EQ(ErrorOf([&] { file.WriteInteger("Main", "ReggedFileTypes", 1); }), "Unable to write to " + path);
  }
  if (::geteuid() != 0) {
    dir.MakeFile("locked.ini", "[Main]\nMethod=1\n");
    ::chmod((dir / "locked.ini").c_str(), 0444);
    ProfileFile locked(dir / "locked.ini");
    EXPECT_EQ(ErrorOf([&] { locked.WriteInteger("Main", "Method", 2); }), "Unable to write to " + (dir / "locked.ini"));
    EXPECT_EQ(ReadFile(dir / "locked.ini"), "[Main]\nMethod=1\n");
  }
}

TEST(ProfileFile, AFailedWriteLeavesTheFileAsItWas) {
  TempDir dir;
  const std::string original = "[Main]\nLastOutPut=/home/me/a.qvl\n; mine\n";
  dir.MakeFile("a.ini", original);
  ProfileFile file(dir / "a.ini");

  // A value that would make lines of its own is refused.
  EXPECT_NE(ErrorOf([&] { file.WriteString("Main", "LastOutPut", "x\n[Main]\nReggedFileTypes=0"); })
                .find("Unable to write to " + (dir / "a.ini")),
            std::string::npos);

  // The disk filling up halfway through the new content.
  struct rlimit old {};
  ::getrlimit(RLIMIT_FSIZE, &old);
  auto oldSignal = ::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 64;
  ::setrlimit(RLIMIT_FSIZE, &small);
  std::string error = ErrorOf([&] { file.WriteString("Main", "LastBrowsed", std::string(500, 'b')); });
  ::setrlimit(RLIMIT_FSIZE, &old);
  ::signal(SIGXFSZ, oldSignal);
  EXPECT_EQ(error, "Unable to write to " + (dir / "a.ini"));

  EXPECT_EQ(ReadFile(dir / "a.ini"), original);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1) << "a temporary file is left";
}

TEST(ProfileFile, AWriteKeepsPermissionsAndLinks) {
  TempDir dir;
  dir.MakeFile("real/a.ini", "[Main]\n");
  ::chmod((dir / "real/a.ini").c_str(), 0640);
  dir.MakeLink("a.ini", "real/a.ini");
  ProfileFile(dir / "a.ini").WriteInteger("Main", "Method", 1);
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "a.ini"));
  EXPECT_EQ(ReadFile(dir / "real/a.ini"), "[Main]\nMethod=1\n");
  struct stat st {};
  ::stat((dir / "real/a.ini").c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

}  // namespace
}  // namespace qvl
