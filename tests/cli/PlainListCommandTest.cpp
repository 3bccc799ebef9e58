// qvl list with the plain methods, run as a user would on trees made for the test.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "support/Bytes.h"
#include "support/Lines.h"
#include "support/RunQvl.h"
#include "support/TempDir.h"

namespace qvl {
namespace {

using test::Lines;
using test::ReadFile;
using test::RunQvl;
using test::TempDir;

using LineList = std::vector<std::string>;

struct PlainListCommand : ::testing::Test {
  PlainListCommand() {
    dir.MakeFile("tree/readme.txt", std::string(1234, 'r'));
    dir.MakeFile("tree/zz.bin", std::string(200, 'z'));
    dir.MakeFile("tree/Docs/a.txt", std::string(12, 'a'));
  }
  test::QvlResult List(const std::string& method, std::vector<std::string> more = {}, long long sizeLimit = -1) {
    std::vector<std::string> args{"list", "c", "--map", "c=" + (dir / "tree"), "--label", "DATA",
                                  "--method", method, "-o", output};
    args.insert(args.end(), more.begin(), more.end());
    return RunQvl(args, {}, sizeLimit);
  }
  // The list's lines after the header, whose date and time depend on the clock.
  LineList Body(const LineList& lines, std::size_t margin = 50) {
    EXPECT_GE(lines.size(), 4u);
    if (lines.size() < 4) return {};
    EXPECT_EQ(lines[0], std::string(margin, '*'));
    EXPECT_TRUE(std::regex_match(lines[1], std::regex(R"(\* List created .+ at .+ from c: \[data\] *\*)"))) << lines[1];
    EXPECT_GE(lines[1].size(), margin);
    EXPECT_EQ(lines[2], std::string(margin, '*'));
    return LineList(lines.begin() + 3, lines.end());
  }
  TempDir dir;
  std::string output = dir / "list.txt";
};

const LineList kTrailer50 = {"", std::string(50, '*'), "* End of list created from c: [data]             *",
                             std::string(50, '*'), ""};

LineList WithTrailer(LineList lines) {
  lines.insert(lines.end(), kTrailer50.begin(), kTrailer50.end());
  return lines;
}

TEST_F(PlainListCommand, SampleDiskInTheThreeStylesAtMargin50) {
  const std::string rule(50, '_');
  const std::pair<std::string, LineList> cases[] = {
      {"collapsed",
       {"", "<C:>                      (1 434 bytes in 2 files)", "| <Docs>                     (12 bytes in 1 files)",
        "| |--a.txt", "|--readme.txt", "|--zz.bin"}},
      {"folders",
       {"", "C:\\                       (1 434 bytes in 2 files)",
        "C:\\Docs\\                     (12 bytes in 1 files)"}},
      {"filenames",
       {"", rule, "C:\\                       (1 434 bytes in 2 files)", rule, "readme.txt", "zz.bin", rule,
        "C:\\Docs\\                     (12 bytes in 1 files)", rule, "a.txt"}},
  };
  for (const auto& [method, body] : cases) {
    auto result = List(method, {"--margin", "50", "--if-exists", "overwrite"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "Listing complete\n");
    EXPECT_EQ(Body(Lines(ReadFile(output))), WithTrailer(body)) << method;
  }
}

TEST_F(PlainListCommand, CommentLinesAndTheDefaultMargin) {
  auto result = List("folders", {"--comment", "Backup", "--comment", "of data"});
  ASSERT_EQ(result.status, 0) << result.err;
  LineList body = Body(Lines(ReadFile(output)), 95);
  ASSERT_GE(body.size(), 6u);
  EXPECT_EQ(body[0], "*Backup" + std::string(87, ' ') + "*");
  EXPECT_EQ(body[1], "*of data" + std::string(86, ' ') + "*");
  EXPECT_EQ(body[2], "*" + std::string(93, ' ') + "*");
  EXPECT_EQ(body[3], body[2]);
  EXPECT_EQ(body[4], std::string(95, '*'));
  EXPECT_EQ(body[5].substr(0, 3), "C:\\");
  EXPECT_EQ(body[5].size(), 95u);
}

TEST_F(PlainListCommand, SettingsGiveTheMarginAndPlainListsStayOutOfTheHistory) {
  const std::string ini = "[Main]\r\nRightMargin=60\r\n";
  dir.MakeFile("bin/Quorvalen.ini", ini);
  std::string program = test::CopyQvlTo(dir / "bin");
  std::vector<std::string> args{"list", "c", "--map", "c=" + (dir / "tree"), "--method", "folders",
                                "-o", output, "--if-exists", "overwrite"};
  ASSERT_EQ(test::RunQvlAt(program, args).status, 0);
  EXPECT_EQ(Lines(ReadFile(output))[0], std::string(60, '*'));
  args.insert(args.end(), {"--margin", "50"});
  ASSERT_EQ(test::RunQvlAt(program, args).status, 0);
  EXPECT_EQ(Lines(ReadFile(output))[0], std::string(50, '*'));
  EXPECT_EQ(ReadFile(dir / "bin/Quorvalen.ini"), ini);
}

TEST_F(PlainListCommand, AppendGoesAfterTheTextAndDropsAnEndOfFileMark) {
  test::WriteFile(output, "notes\r\n\x1a\x1a old tail");
  ASSERT_EQ(List("folders", {"--margin", "50", "--if-exists", "append"}).status, 0);
  ASSERT_EQ(List("folders", {"--margin", "50", "--if-exists", "append"}).status, 0);
  LineList lines = Lines(ReadFile(output));
  ASSERT_EQ(lines.size(), 1u + 2 * 11);
  EXPECT_EQ(lines[0], "notes");
  LineList first(lines.begin() + 1, lines.begin() + 12), second(lines.begin() + 12, lines.end());
  EXPECT_EQ(Body(first), Body(second));
  EXPECT_EQ(Body(first), WithTrailer({"", "C:\\                       (1 434 bytes in 2 files)",
                                      "C:\\Docs\\                     (12 bytes in 1 files)"}));
}

TEST_F(PlainListCommand, AppendToAMissingFileStartsIt) {
  ASSERT_EQ(List("collapsed", {"--if-exists", "append"}).status, 0);
  EXPECT_EQ(ReadFile(output).substr(0, 97), std::string(95, '*') + "\r\n");
}

TEST_F(PlainListCommand, CatalogueAppendToATextFileIsRefusedAndLeavesIt) {
  test::WriteFile(output, "precious");
  auto result = List("qvl", {"--if-exists", "append"});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.err, "qvl: Cannot import into \"" + output + "\": it is not a catalogue\n");
  EXPECT_EQ(ReadFile(output), "precious");
  EXPECT_FALSE(std::filesystem::exists(output + ".tmp"));
}

TEST_F(PlainListCommand, FailedAppendLeavesTheTextAsItWas) {
  for (int i = 0; i < 300; ++i) dir.MakeFile("tree/Docs/a file with quite a long name " + std::to_string(i));
  test::WriteFile(output, "notes\r\n\x1a" "old tail");
  auto result = List("filenames", {"--if-exists", "append"}, 8192);
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.err, "qvl: Cannot write to \"" + output + "\": File too large\n");
  EXPECT_EQ(ReadFile(output), "notes\r\n\x1a" "old tail");
}

TEST_F(PlainListCommand, MarginMustBeANumberUpTo255) {
  for (const char* margin : {"256", "-1", "x", "", "1000", "9a"}) {
    auto result = List("folders", {"--margin", margin});
    EXPECT_EQ(result.status, 2) << margin;
    EXPECT_NE(result.err.find("--margin takes a number from 0 to 255"), std::string::npos) << margin;
  }
  auto result = List("filenames", {"--margin", "0"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(ReadFile(output).substr(0, 4), "\r\n* ");
  auto wrongChoice = List("folders", {"--if-exists", "sometimes"});
  EXPECT_EQ(wrongChoice.status, 2);
  EXPECT_NE(wrongChoice.err.find("fail, overwrite or append"), std::string::npos);
}

}  // namespace
}  // namespace qvl
