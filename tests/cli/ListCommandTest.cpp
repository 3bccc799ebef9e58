// qvl list and qvl drives, run as a user would on trees made for the test.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/Bytes.h"
#include "support/RunQvl.h"
#include "support/TempDir.h"

namespace qvl {
namespace {

using test::Bytes;
using test::ReadFile;
using test::RunQvl;
using test::TempDir;

void MakeSampleDisk(const TempDir& dir) {
  dir.MakeFile("tree/readme.txt", std::string(1234, 'r'));
  dir.MakeFile("tree/zz.bin", std::string(200, 'z'));
  dir.MakeFile("tree/Docs/a.txt", std::string(12, 'a'));
}

TEST(QvlList, SampleDiskIsThe81BytesOfTheFormat) {
  TempDir dir;
  MakeSampleDisk(dir);
  auto result = RunQvl({"list", "c", "--map", "c=" + (dir / "tree"), "--label", "DATA", "--comment",
                        "Backup of data disk", "-o", "x.qvl"},
                       dir.Path());
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "Listing complete\n");
  EXPECT_EQ(ReadFile(dir / "x.qvl"), Bytes("\x00" "c: [data]" "\x00" "Backup of data disk\r\n"
                                                 "\x04" "Docs" "\x03" "readme.txt/1234" "\x03" "zz.bin/200"
                                                 "\x01" "Docs" "\x03" "a.txt/12" "\x02\x02\x00"));
}

TEST(QvlList, ExistingOutputIsLeftAloneUnlessOverwriteIsAsked) {
  TempDir dir;
  MakeSampleDisk(dir);
  dir.MakeFile("x.qvl", "precious");
  std::vector<std::string> args{"list", "C:", "--map", "c=" + (dir / "tree"), "-o", dir / "x.qvl"};
  auto refused = RunQvl(args);
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("qvl: "), std::string::npos);
  EXPECT_NE(refused.err.find("x.qvl"), std::string::npos);
  EXPECT_EQ(ReadFile(dir / "x.qvl"), "precious");

  args.insert(args.end(), {"--if-exists", "overwrite", "--no-sizes"});
  auto replaced = RunQvl(args);
  ASSERT_EQ(replaced.status, 0) << replaced.err;
  EXPECT_EQ(ReadFile(dir / "x.qvl").substr(0, 3), Bytes("\x00" "c:"));
  EXPECT_NE(ReadFile(dir / "x.qvl").find("\x03" "a.txt\x02"), std::string::npos);
}

TEST(QvlList, RealTreeWithLinksOddNamesAndHugeFiles) {
  TempDir dir;
  dir.MakeSizedFile("tree/dvd.iso", 4294967296LL + 1);
  dir.MakeFile("tree/real/inside.txt", "12345");
  dir.MakeLink("tree/link-to-folder", "real");
  dir.MakeLink("tree/link-to-file", "dvd.iso");
  dir.MakeFile(std::string("tree/tab\tand\x02" "ctl"), "x");
  auto result = RunQvl({"list", "t", "--map", "t=" + (dir / "tree"), "--label", "Media", "-o", dir / "t.qvl"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(ReadFile(dir / "t.qvl"), Bytes("\x00" "t: [media]"
                                                 "\x04" "real"
                                                 "\x03" "dvd.iso/4294967297"
                                                 "\x03" "link-to-file/0"
                                                 "\x03" "link-to-folder/0"
                                                 "\x03" "tab\tand?ctl/1"
                                                 "\x01" "real" "\x03" "inside.txt/5" "\x02"
                                                 "\x02\x00"));
}

TEST(QvlList, TreeDeeperThanAPathCanName) {
  TempDir dir;
  // 2100 levels of "d": a path of over 4200 bytes, past what one system call takes.
  std::vector<std::string> names(2100, "d");
  dir.MakeFolder("deep");
  test::MakeFolderChain(dir / "deep", names);
  auto result = RunQvl({"list", "c", "--map", "c=" + (dir / "deep"), "--label", "x", "-o", dir / "deep.qvl"});
  ASSERT_EQ(result.status, 0) << result.err;
  std::string catalogue = ReadFile(dir / "deep.qvl");
  EXPECT_EQ(std::count(catalogue.begin(), catalogue.end(), '\x01'), 2100);
  EXPECT_EQ(std::count(catalogue.begin(), catalogue.end(), '\x02'), 2101);
  EXPECT_EQ(catalogue.substr(catalogue.size() - 2), Bytes("\x02\x00"));
}

constexpr const char* kShortUsage =
    "Usage: qvl COMMAND [ARGUMENTS]; 'qvl --help' lists the commands and their options\n";

TEST(QvlList, UsageAndFailuresExitWithStatusTwo) {
  TempDir dir;
  for (const auto& args : std::vector<std::vector<std::string>>{
           {},
           {"frobnicate"},
           {"list", "c"},
           {"list", "cc", "-o", "x"},
           {"list", "c", "-o", "x", "--method", "csv"},
           {"list", "c", "-o", "x", "--comment", "1", "--comment", "2", "--comment", "3", "--comment", "4",
            "--comment", "5"},
       }) {
    auto result = RunQvl(args, dir.Path());
    EXPECT_EQ(result.status, 2) << args.size();
    EXPECT_EQ(result.err.substr(result.err.find('\n') + 1), kShortUsage) << result.err;
  }
  auto noDrive = RunQvl({"list", "q", "-o", dir / "x.qvl"});
  EXPECT_EQ(noDrive.status, 2);
  EXPECT_EQ(noDrive.err, "qvl: There is no drive q: on this machine\n");
  auto badFolder = RunQvl({"list", "c", "--map", "c=" + (dir / "none"), "-o", dir / "x.qvl"});
  EXPECT_EQ(badFolder.status, 2);
  EXPECT_EQ(badFolder.err, "qvl: Cannot open folder \"" + (dir / "none") + "\": No such file or directory\n");
  dir.MakeFile("plain");
  auto notFolder = RunQvl({"list", "c", "--map", "c=" + (dir / "plain"), "-o", dir / "x.qvl"});
  EXPECT_EQ(notFolder.err, "qvl: Cannot open folder \"" + (dir / "plain") + "\": Not a directory\n");
  auto cannotCreate = RunQvl({"list", "c", "--map", "c=" + dir.Path(), "-o", dir / "no/such/x.qvl"});
  EXPECT_EQ(cannotCreate.status, 2);
  EXPECT_NE(cannotCreate.err.find("x.qvl"), std::string::npos);
  auto full = RunQvl({"list", "c", "--map", "c=" + dir.Path(), "-o", "/dev/full", "--if-exists", "overwrite"});
  EXPECT_EQ(full.status, 2);
  EXPECT_EQ(full.err, "qvl: Cannot write to \"/dev/full\": No space left on device\n");
}

// A mistyped letter in --map once listed the real drive instead: all of "/" for c:.
TEST(QvlList, AMapThatDoesNotNameTheListedDriveIsAUsageError) {
  TempDir dir;
  MakeSampleDisk(dir);
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"list", "c", "--map", "d=" + (dir / "tree"), "-o", "x.qvl"},
           {"list", "c", "--map", "c=" + (dir / "tree"), "--map", "d=" + (dir / "tree"), "-o", "x.qvl"},
       }) {
    auto result = RunQvl(args, dir.Path());
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err.find("qvl: --map d=" + (dir / "tree") + " does not name the drive being listed, c:\n"), 0u)
        << result.err;
    EXPECT_NE(result.err.find(kShortUsage), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir / "x.qvl"));
  }
  auto mapped = RunQvl({"list", "C:", "--map", "c:=" + (dir / "tree"), "--map", "C=" + (dir / "tree/Docs"), "-o",
                        dir / "x.qvl"});
  ASSERT_EQ(mapped.status, 0) << mapped.err;
  EXPECT_NE(ReadFile(dir / "x.qvl").find("a.txt/12"), std::string::npos);
  EXPECT_EQ(ReadFile(dir / "x.qvl").find("readme"), std::string::npos);
  EXPECT_EQ(RunQvl({"drives", "--map", "b=" + (dir / "tree"), "--map", "d=" + (dir / "tree")}).status, 0);
}

TEST(QvlDrives, OneTabSeparatedLinePerDrive) {
  TempDir dir;
  auto result = RunQvl({"drives", "--map", "b=" + dir.Path()});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out.substr(0, 3), "b:\t");
  EXPECT_NE(result.out.find("b:\tfixed\tb: ["), std::string::npos);
  EXPECT_NE(result.out.find("\nc:\t"), std::string::npos);
}

// The help is asked for, so it goes to stdout; after a mistake, the message and one
// line pointing at it go to stderr.
TEST(QvlHelp, HelpOnStdoutAndAShortUsageAfterAMistake) {
  for (const char* option : {"--help", "-h"}) {
    auto help = RunQvl({option});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.err, "");
    EXPECT_NE(help.out.find("qvl list DRIVE -o FILE"), std::string::npos);
  }
  auto option = RunQvl({"--frobnicate"});
  EXPECT_EQ(option.status, 2);
  EXPECT_EQ(option.out, "");
  EXPECT_EQ(option.err, "qvl: unknown option --frobnicate\n" + std::string(kShortUsage));
  auto listOption = RunQvl({"list", "c", "-o", "x.qvl", "--frobnicate"});
  EXPECT_EQ(listOption.err, "qvl: unknown option --frobnicate\n" + std::string(kShortUsage));
}

}  // namespace
}  // namespace qvl
