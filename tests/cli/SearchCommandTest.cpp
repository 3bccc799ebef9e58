// qvl find and qvl search, the latter over the history list of the settings file
// beside a copy of qvl.
#include <gtest/gtest.h>

#include <filesystem>

#include "browse/CatalogueFiles.h"
#include "support/Bytes.h"
#include "support/RunQvl.h"
#include "support/TempDir.h"

namespace qvl {
namespace {

using test::Bytes;
using test::RunQvl;
using test::TempDir;
using test::SampleDisk;

TEST(QvlFind, PrintsHitsWithTheirFoldersAndTellsTheCount) {
  TempDir dir;
  test::WriteFile(dir / "disk.qvl", SampleDisk());
  auto found = RunQvl({"find", dir / "disk.qvl", "T"});
  ASSERT_EQ(found.status, 0) << found.err;
  EXPECT_EQ(found.out, "F\treadme.txt\t1234\t\\\t\nF\ta.txt\t12\t\\Docs\\\t\n");
  EXPECT_EQ(found.err, "Found 2 matching files and 0 folders\n");
  found = RunQvl({"find", "disk.qvl", "docs"}, dir.Path());
  EXPECT_EQ(found.status, 0);
  EXPECT_EQ(found.out, "D\tDocs\t\t\\\t\n");

  auto none = RunQvl({"find", dir / "disk.qvl", "Backup"});
  EXPECT_EQ(none.status, 1);
  EXPECT_EQ(none.out, "");
  EXPECT_EQ(none.err, "No files found\n");

  auto missing = RunQvl({"find", dir / "none.qvl", "x"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("Cannot open \"" + (dir / "none.qvl") + "\""), std::string::npos) << missing.err;
  EXPECT_EQ(RunQvl({"find", dir / "disk.qvl", ""}).status, 2);
  EXPECT_EQ(RunQvl({"find", dir / "disk.qvl"}).status, 2);
}

TEST(QvlSearch, SearchesTheNamedFilesInOrder) {
  TempDir dir;
  test::WriteFile(dir / "one.qvl", SampleDisk());
  test::WriteFile(dir / "two.qvl", Bytes("\x00" "a:" "\x03" "tab\there.txt/5" "\x02\x00"));
  auto found = RunQvl({"search", "txt", "two.qvl", dir / "one.qvl"}, dir.Path());
  ASSERT_EQ(found.status, 0) << found.err;
  EXPECT_EQ(found.out,
            "F\ttab\\there.txt\t5\t\\\ttwo.qvl\n"
            "F\treadme.txt\t1234\t\\\tone.qvl\n"
            "F\ta.txt\t12\t\\Docs\\\tone.qvl\n");
  EXPECT_EQ(found.err, "Found 3 matching files\n");

  EXPECT_EQ(RunQvl({"search", "nothing", dir / "one.qvl"}).status, 1);

  // A named file that is not there is an error; the others are still searched.
  auto missing = RunQvl({"search", "txt", dir / "gone.qvl", dir / "two.qvl"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.out, "F\ttab\\there.txt\t5\t\\\ttwo.qvl\n");
  EXPECT_EQ(missing.err, "Found 1 matching files\nqvl: Cannot open \"" + (dir / "gone.qvl") +
                             "\": No such file or directory\n");
  EXPECT_EQ(RunQvl({"search", ""}).status, 2);
}

TEST(QvlSearch, ManyFilesPrintAsTheyWouldOneByOne) {
  // Files are searched several at once; what is printed must not show it.
  TempDir dir;
  std::vector<std::string> args = {"search", "1"};
  std::string expected;
  for (int i = 0; i < 9; ++i) {
    std::string name = dir / ("d" + std::to_string(i) + ".qvl");
    test::WriteFile(name, i % 3 == 1 ? SampleDisk() : test::ManyEntries("f" + std::to_string(i), 40 * (9 - i), 500));
    args.push_back(name);
    expected += RunQvl({"search", "1", name}).out;
  }
  auto all = RunQvl(args);
  ASSERT_EQ(all.status, 0) << all.err;
  EXPECT_EQ(all.out.size(), expected.size());
  EXPECT_TRUE(all.out == expected);
}

TEST(QvlSearch, WithoutFilesSearchesTheHistoryList) {
  TempDir dir;
  dir.MakeFile("cat/one.qvl", SampleDisk());
  dir.MakeFile("cat/two.qvl", Bytes("\x00" "a:" "\x04" "Docs" "\x01" "Docs" "\x03" "old.txt/9" "\x02\x02\x00"));
  dir.MakeFolder("bin");
  std::string program = test::CopyQvlTo(dir / "bin");
  // History order, not name order; a repeat in other letters and a catalogue that
  // is gone are passed over.
  test::WriteFile(dir / "bin/Quorvalen.ini", "[Main]\r\nRightMargin=95\r\n[History]\r\nItem1=" + (dir / "cat/two.qvl") +
                                                 "\r\nItem2=" + (dir / "cat/gone.qvl") + "\r\nItem3=" +
                                                 (dir / "cat/one.qvl") + "\r\nItem4=" + (dir / "cat/TWO.QVL") + "\r\n");
  auto found = test::RunQvlAt(program, {"search", "docs"});
  ASSERT_EQ(found.status, 0) << found.err;
  EXPECT_EQ(found.out,
            "D\tDocs\t\t\\\ttwo.qvl\n"
            "D\tDocs\t\t\\\tone.qvl\n");
  EXPECT_EQ(found.err, "Found 0 matching files\n");
  found = test::RunQvlAt(program, {"search", ".TXT/"});
  EXPECT_EQ(found.out,
            "F\told.txt\t9\t\\Docs\\\ttwo.qvl\n"
            "F\treadme.txt\t1234\t\\\tone.qvl\n"
            "F\ta.txt\t12\t\\Docs\\\tone.qvl\n");

  test::WriteFile(dir / "bin/Quorvalen.ini", "[Main]\r\nRightMargin=95\r\n");
  auto empty = test::RunQvlAt(program, {"search", "docs"});
  EXPECT_EQ(empty.status, 2);
  EXPECT_EQ(empty.out, "");
  EXPECT_EQ(empty.err, "qvl: No files to search!\n");
}

}  // namespace

// A listing indexes what it wrote unless told not to; a search indexes the
// catalogues it had to read whole, but not when told to read them whole.
TEST(QvlIndex, BuiltByListingsAndSearchesUnlessAskedNot) {
  TempDir dir;
  std::filesystem::create_directories(dir / "tree/sub");
  test::WriteFile(dir / "tree/sub/readme.txt", "hi");
  const std::string a = dir / "a.qvl", b = dir / "b.qvl", map = "c=" + (dir / "tree");
  ASSERT_EQ(RunQvl({"list", "c", "--map", map, "-o", a}).status, 0);
  ASSERT_EQ(RunQvl({"list", "c", "--map", map, "-o", b, "--no-index"}).status, 0);
  auto status = RunQvl({"index", "--status", a, b});
  EXPECT_EQ(status.status, 1);
  EXPECT_EQ(status.out, "fresh\t" + a + "\nmissing\t" + b + "\n");
  EXPECT_EQ(RunQvl({"search", "--no-index", "readme", b}).out, "F\treadme.txt\t2\t\\sub\\\tb.qvl\n");
  EXPECT_EQ(RunQvl({"index", "--status", b}).out, "missing\t" + b + "\n");
  EXPECT_EQ(RunQvl({"search", "readme", b}).out, "F\treadme.txt\t2\t\\sub\\\tb.qvl\n");
  status = RunQvl({"index", "--status", b});
  EXPECT_EQ(status.status, 0);
  EXPECT_EQ(status.out, "fresh\t" + b + "\n");
}

}  // namespace qvl
