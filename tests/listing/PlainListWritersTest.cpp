#include <gtest/gtest.h>

#include "listing/CreateList.h"
#include "listing/PlainListWriters.h"
#include "support/FakeDirectory.h"
#include "support/Lines.h"

namespace qvl {
namespace {

using test::FakeDirectory;
using test::Folder;
using test::Lines;

using LineList = std::vector<std::string>;

struct PlainListFixture : ::testing::Test {
  LineList List(ListMethod method, std::uint8_t margin = 50, std::optional<CommentLines> comment = {}) {
    ListRequest request;
    request.drive.letter = 'c';
    request.drive.label = "DATA";
    request.method = method;
    request.rightMargin = margin;
    request.comment = std::move(comment);
    request.dateText = [this] { asked += "date "; return std::string("2/1/24"); };
    request.timeText = [this] { asked += "time "; return std::string("9:05:07"); };
    StringSink out;
    Progress quiet;
    WriteListing(request, out, drive, collator, quiet);
    return Lines(out.text);
  }
  FakeDirectory drive;
  Collator collator{"en_US"};
  std::string asked;  // the order in which date and time were read
};

TEST_F(PlainListFixture, HeaderAndTrailerWithAndWithoutComment) {
  test::AddSampleDisk(drive);
  const std::string stars(50, '*');
  const LineList body = {"<C:>                      (1 434 bytes in 2 files)",
                         "| <Docs>                     (12 bytes in 1 files)",
                         "| |--a.txt", "|--readme.txt", "|--zz.bin",
                         "", stars, "* End of list created from c: [data]             *", stars, ""};
  LineList expected = {stars, "* List created 2/1/24 at 9:05:07 from c: [data]  *", stars, ""};
  expected.insert(expected.end(), body.begin(), body.end());
  EXPECT_EQ(List(ListMethod::Collapsed), expected);
  EXPECT_EQ(asked, "date time ");

  expected[3] = "*Backup of data disk                             *";
  const std::string emptyComment = "*" + std::string(48, ' ') + "*";
  expected.insert(expected.begin() + 4, {emptyComment, emptyComment, emptyComment, stars});
  EXPECT_EQ(List(ListMethod::Collapsed, 50, CommentLines{"Backup of data disk", "", "", ""}), expected);
}

TEST_F(PlainListFixture, MarginsAtTheEdges) {
  drive.AddFolder("", {Folder(std::string(80, 'n'))});
  drive.AddFolder(std::string(80, 'n'), {});
  LineList lines = List(ListMethod::Collapsed, kDefaultRightMargin);
  EXPECT_EQ(lines[0], std::string(95, '*'));
  EXPECT_EQ(lines[4], "<C:>" + std::string(70, ' ') + " (0 bytes in 0 files)");
  // 84 characters of name and 21 of summary do not fit in 95: no blank between them.
  EXPECT_EQ(lines[5], "| <" + std::string(80, 'n') + "> (0 bytes in 0 files)");

  // Below 30 there is no room for the path at all.
  lines = List(ListMethod::FoldersOnly, 20);
  EXPECT_EQ(lines[4], " (0 bytes in 0 files)");
  lines = List(ListMethod::FoldersAndFilenames, 0);
  EXPECT_EQ(lines[0], "");
  EXPECT_EQ(lines[4], "");
  EXPECT_EQ(lines[5], " (0 bytes in 0 files)");
}

// A whole list reaches the file in one write at the end, not a write per line.
TEST_F(PlainListFixture, LinesAreHandedOnThroughABuffer) {
  struct WriteLog : ByteSink {
    void Write(std::string_view bytes) override { writes.emplace_back(bytes); }
    void Flush() override { ++flushes; }
    std::vector<std::string> writes;
    int flushes = 0;
  } log;
  test::AddSampleDisk(drive);
  ListRequest request;
  request.method = ListMethod::FoldersAndFilenames;
  Progress quiet;
  WriteListing(request, log, drive, collator, quiet);
  EXPECT_EQ(log.writes.size(), 1u);
  EXPECT_EQ(log.flushes, 1);
}

// The writers read nothing but the walk state, so a state built by hand stands in
// for the walk (or for a catalogue being replayed).
struct HandMadeState : ::testing::Test {
  HandMadeState() {
    state.ListPath = "C:\\Docs\\Old\\";
    state.ListDepth = 3;
    state.levels.resize(3);
    state.levels[1].FolderName = "Docs";
    state.levels[2].FolderName = "Old";
  }
  std::string Folder(std::int64_t bytes, std::vector<std::string> files) {
    state.levels[2].FolderBytes = bytes;
    state.levels[2].FileNames = std::move(files);
    StringSink out;
    CollapsedWriter writer(out, 40);
    writer.BeginFolder(state);
    writer.EndFolder(state);
    return out.text;
  }
  WalkState state;
};

TEST_F(HandMadeState, SummaryGroupsTheTotalButNeverTheCount) {
  const std::string left = "| | <Old>";
  EXPECT_EQ(Folder(0, {}), left + std::string(10, ' ') + " (0 bytes in 0 files)\r\n");
  EXPECT_EQ(Folder(123, {"x"}), left + std::string(8, ' ') + " (123 bytes in 1 files)\r\n| | |--x\r\n");
  EXPECT_EQ(Folder(1234567, std::vector<std::string>(1234, "f")).substr(0, 43),
            left + " (1 234 567 bytes in 1234 files)\r\n");
  EXPECT_EQ(Folder(-123, {}), left + std::string(6, ' ') + " (- 123 bytes in 0 files)\r\n");
  EXPECT_EQ(Folder(12345678901234, {}), left + " (12345678901234 bytes in 0 files)\r\n");
}

TEST_F(HandMadeState, LineBreaksInNamesCannotSplitALine) {
  state.ListPath = "C:\\Do\ncs\\Ol\rd\\";
  state.levels[1].FolderName = "Do\ncs";
  state.levels[2].FolderName = "Ol\rd";
  EXPECT_EQ(Folder(1, {"a\r\n|--b", "z\x1a"}),
            "| | <Ol?d>" + std::string(9, ' ') + " (1 bytes in 2 files)\r\n| | |--a??|--b\r\n| | |--z?\r\n");
  StringSink out;
  FolderLineWriter lines(out, 60);
  lines.BeginFolder(state);
  EXPECT_EQ(out.text, "C:\\Do?cs\\Ol?d\\" + std::string(25, ' ') + " (1 bytes in 2 files)\r\n");
}

}  // namespace
}  // namespace qvl
