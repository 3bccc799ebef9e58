// qvl info, ls and tree on catalogue files made for the test.
#include <gtest/gtest.h>

#include "browse/CatalogueFiles.h"
#include "support/Bytes.h"
#include "support/Lines.h"
#include "support/RunQvl.h"
#include "support/TempDir.h"

namespace qvl {
namespace {

using test::Bytes;
using test::Lines;
using test::RunQvl;
using test::TempDir;
using test::SampleDisk;

TEST(QvlInfo, TellsCaptionCommentAndTotals) {
  TempDir dir;
  test::WriteFile(dir / "disk.qvl", SampleDisk());
  auto result = RunQvl({"info", dir / "disk.qvl"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out,
            "Catalogue: disk.qvl\n"
            "Caption:   c: [data]\n"
            "Comment:   Backup of data disk\n"
            "Folders:   2\n"
            "Files:     3\n"
            "Bytes:     1446\n"
            "Companion: none\n");

  test::WriteFile(dir / "two.qvl", Bytes("\x00" "a:" "\x00" "one\r\n\r\nthree\r\n" "\x02\x00"));
  result = RunQvl({"info", "two.qvl"}, dir.Path());
  EXPECT_NE(result.out.find("Comment:   one\n\n           three\nFolders:   1\n"), std::string::npos) << result.out;
  test::WriteFile(dir / "none.qvl", Bytes("\x00" "a:" "\x02\x00"));
  EXPECT_NE(RunQvl({"info", dir / "none.qvl"}).out.find("Comment:   (none)\n"), std::string::npos);
}

TEST(QvlLs, PrintsRowsAsTabSeparatedFieldsInTheChosenOrder) {
  TempDir dir;
  test::WriteFile(dir / "disk.qvl", SampleDisk());
  auto result = RunQvl({"ls", dir / "disk.qvl"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "D\tDocs\t\t\t\nF\treadme.txt\t1234\t\t\nF\tzz.bin\t200\t\t\n");
  EXPECT_EQ(result.err, "2 file(s) in folder \\\n");

  result = RunQvl({"ls", dir / "disk.qvl", "\\", "--sort", "size:desc"});
  EXPECT_EQ(result.out, "F\tzz.bin\t200\t\t\nF\treadme.txt\t1234\t\t\nD\tDocs\t\t\t\n");
  result = RunQvl({"ls", dir / "disk.qvl", "--sort=name:desc"});
  EXPECT_EQ(result.out, "D\tDocs\t\t\t\nF\tzz.bin\t200\t\t\nF\treadme.txt\t1234\t\t\n");
  result = RunQvl({"ls", dir / "disk.qvl", "\\DOCS\\"});
  EXPECT_EQ(result.out, "F\ta.txt\t12\t\t\n");
}

// size orders the size texts as the list view does; bytes orders the numbers, the
// folders first in both directions, and takes sizes past 32 bits.
TEST(QvlLs, SortsByBytesAsNumbers) {
  TempDir dir;
  test::WriteFile(dir / "sizes.qvl", Bytes("\x00" "c:" "\x04" "Sub" "\x03" "nine/9" "\x03" "ten/10" "\x03" "none"
                                          "\x03" "huge/4294967297" "\x03" "also9/9" "\x01" "Sub" "\x02\x02\x00"));
  auto text = RunQvl({"ls", dir / "sizes.qvl", "--sort", "size"});
  EXPECT_EQ(text.out, "D\tSub\t\t\t\nF\tnone\t\t\t\nF\tten\t10\t\t\nF\thuge\t4294967297\t\t\n"
                      "F\tnine\t9\t\t\nF\talso9\t9\t\t\n");
  auto ascending = RunQvl({"ls", dir / "sizes.qvl", "--sort", "bytes"});
  ASSERT_EQ(ascending.status, 0) << ascending.err;
  EXPECT_EQ(ascending.out, "D\tSub\t\t\t\nF\tnone\t\t\t\nF\tnine\t9\t\t\nF\talso9\t9\t\t\nF\tten\t10\t\t\n"
                           "F\thuge\t4294967297\t\t\n");
  auto descending = RunQvl({"ls", dir / "sizes.qvl", "--sort", "bytes:desc"});
  EXPECT_EQ(descending.out, "D\tSub\t\t\t\nF\thuge\t4294967297\t\t\nF\tten\t10\t\t\nF\tnine\t9\t\t\n"
                            "F\talso9\t9\t\t\nF\tnone\t\t\t\n");
}

TEST(QvlLs, EscapesTabAndLineBreaksInNames) {
  TempDir dir;
  test::WriteFile(dir / "odd.qvl", Bytes("\x00" "c:" "\x03" "tab\there" "\x03" "two\r\nlines/5" "\x02\x00"));
  auto result = RunQvl({"ls", dir / "odd.qvl"});
  EXPECT_EQ(result.out, "F\ttab\\there\t\t\t\nF\ttwo\\r\\nlines\t5\t\t\n");
}

TEST(QvlLs, UnknownPathMissingFileAndBadSortAreErrors) {
  TempDir dir;
  test::WriteFile(dir / "disk.qvl", SampleDisk());
  auto unknown = RunQvl({"ls", dir / "disk.qvl", "\\Docs"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_EQ(unknown.out, "");
  EXPECT_NE(unknown.err.find("\\Docs"), std::string::npos);
  auto missing = RunQvl({"ls", dir / "none.qvl"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("Cannot open \"" + (dir / "none.qvl") + "\""), std::string::npos) << missing.err;
  EXPECT_EQ(RunQvl({"info", dir / "none.qvl"}).status, 2);
  auto badSort = RunQvl({"ls", dir / "disk.qvl", "--sort", "date"});
  EXPECT_EQ(badSort.status, 2);
  EXPECT_NE(badSort.err.find("--sort takes name, size, path or archive"), std::string::npos);
  EXPECT_EQ(RunQvl({"ls", dir / "disk.qvl", "--sort", "name:up"}).status, 2);
  EXPECT_EQ(RunQvl({"ls"}).status, 2);
}

TEST(QvlBrowse, RefusesFilesThatAreNoCatalogueAndWarnsOfOnesCutShort) {
  TempDir dir;
  test::WriteFile(dir / "passwd", "root:x:0:0:root:/root:/bin/sh\n");
  test::WriteFile(dir / "empty.qvl", "");
  const std::string disk = SampleDisk();
  test::WriteFile(dir / "cut.qvl", disk.substr(0, disk.size() - 2));  // the root's FolderEnd and the end mark
  for (std::string command : {"info", "ls", "tree", "find"}) {
    auto args = [&](const std::string& file) {
      std::vector<std::string> list{command, file};
      if (command == "find") list.push_back("a");
      return list;
    };
    for (const std::string& file : {dir / "passwd", dir / "empty.qvl"}) {
      auto refused = RunQvl(args(file));
      EXPECT_EQ(refused.status, 2) << command;
      EXPECT_EQ(refused.out, "") << command;
      EXPECT_EQ(refused.err, "qvl: \"" + file + "\" is not a catalogue\n") << command;
    }
    auto cut = RunQvl(args(dir / "cut.qvl"));
    EXPECT_EQ(cut.status, 0) << command << cut.err;
    EXPECT_NE(cut.out, "") << command;
    EXPECT_EQ(cut.err.find("qvl: warning: \"" + (dir / "cut.qvl") + "\" ends before its end mark; it may be cut short\n"),
              0u)
        << command << cut.err;
  }
  EXPECT_NE(RunQvl({"info", dir / "cut.qvl"}).out.find("Folders:   2\nFiles:     3\n"), std::string::npos);
}

// The catalogue written out comes out as the listing of the drive did, but for the
// time in the header.
TEST(QvlTree, WritesTheCatalogueAsTheListingWould) {
  TempDir dir;
  dir.MakeFile("tree/readme.txt", std::string(1234, 'r'));
  dir.MakeFile("tree/zz.bin", std::string(200, 'z'));
  dir.MakeFile("tree/Docs/a.txt", std::string(12, 'a'));
  std::vector<std::string> map{"--map", "c=" + (dir / "tree"), "--label", "DATA", "--comment", "Backup"};
  std::vector<std::string> catalogue{"list", "c", "-o", dir / "disk.qvl"};
  catalogue.insert(catalogue.end(), map.begin(), map.end());
  ASSERT_EQ(RunQvl(catalogue).status, 0);
  for (std::string method : {"collapsed", "folders", "filenames"}) {
    std::vector<std::string> list{"list", "c", "-o", dir / (method + ".txt"), "--method", method, "--margin", "50"};
    list.insert(list.end(), map.begin(), map.end());
    ASSERT_EQ(RunQvl(list).status, 0);
    auto tree = RunQvl({"tree", dir / "disk.qvl", "--method", method, "--margin", "50"});
    ASSERT_EQ(tree.status, 0) << tree.err;
    auto expected = Lines(test::ReadFile(dir / (method + ".txt")));
    auto got = Lines(tree.out);
    ASSERT_EQ(got.size(), expected.size()) << method;
    for (std::size_t i = 0; i < got.size(); ++i) {
      if (i == 1) continue;  // the time of day
      EXPECT_EQ(got[i], expected[i]) << method << " line " << i;
    }
    EXPECT_EQ(got[1].substr(0, 15), "* List created ");
  }
}

TEST(QvlTree, CatalogueWithoutSizesHasZeroTotals) {
  TempDir dir;
  test::WriteFile(dir / "bare.qvl", Bytes("\x00" "d: [x]" "\x03" "a" "\x03" "b" "\x02\x00"));
  auto tree = RunQvl({"tree", dir / "bare.qvl", "--method", "folders", "--margin", "40"});
  ASSERT_EQ(tree.status, 0) << tree.err;
  auto lines = Lines(tree.out);
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(lines[4], "D:\\" + std::string(16, ' ') + " (0 bytes in 2 files)");
  EXPECT_EQ(RunQvl({"tree", dir / "bare.qvl", "--method", "qvl"}).status, 2);
  EXPECT_EQ(RunQvl({"tree", dir / "missing.qvl"}).status, 2);
}

}  // namespace
}  // namespace qvl

