// qvl info and qvl ls on catalogue files made for the test.
#include <gtest/gtest.h>

#include "browse/CatalogueFiles.h"
#include "support/Bytes.h"
#include "support/RunQvl.h"
#include "support/TempDir.h"

namespace qvl {
namespace {

using test::Bytes;
using test::RunQvl;
using test::TempDir;
using test::WorkedExample;

TEST(QvlInfo, TellsCaptionCommentAndTotals) {
  TempDir dir;
  test::WriteFile(dir / "disk.qvl", WorkedExample());
  auto result = RunQvl({"info", dir / "disk.qvl"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out,
            "Catalogue: disk.qvl\n"
            "Caption:   c: [data]\n"
            "Comment:   Backup of data disk\n"
            "Folders:   2\n"
            "Files:     3\n"
            "Bytes:     1446\n");

  test::WriteFile(dir / "two.qvl", Bytes("\x00" "a:" "\x00" "one\r\n\r\nthree\r\n" "\x02\x00"));
  result = RunQvl({"info", "two.qvl"}, dir.Path());
  EXPECT_NE(result.out.find("Comment:   one\n\n           three\nFolders:   1\n"), std::string::npos) << result.out;
  test::WriteFile(dir / "none.qvl", Bytes("\x00" "a:" "\x02\x00"));
  EXPECT_NE(RunQvl({"info", dir / "none.qvl"}).out.find("Comment:   (none)\n"), std::string::npos);
}

TEST(QvlLs, PrintsRowsAsTabSeparatedFieldsInTheChosenOrder) {
  TempDir dir;
  test::WriteFile(dir / "disk.qvl", WorkedExample());
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

TEST(QvlLs, EscapesTabAndLineBreaksInNames) {
  TempDir dir;
  test::WriteFile(dir / "odd.qvl", Bytes("\x00" "c:" "\x03" "tab\there" "\x03" "two\r\nlines/5" "\x02\x00"));
  auto result = RunQvl({"ls", dir / "odd.qvl"});
  EXPECT_EQ(result.out, "F\ttab\\there\t\t\t\nF\ttwo\\r\\nlines\t5\t\t\n");
}

TEST(QvlLs, UnknownPathMissingFileAndBadSortAreErrors) {
  TempDir dir;
  test::WriteFile(dir / "disk.qvl", WorkedExample());
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

}  // namespace
}  // namespace qvl
