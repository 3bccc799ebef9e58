// Listing one folder of a catalogue, and the paths the buttons go to.
#include <gtest/gtest.h>

#include "browse/CatalogueFiles.h"
#include "browse/FolderView.h"
#include "platform/IoError.h"

namespace qvl {
namespace {

using test::Bytes;
using test::CatalogueFile;
using test::SampleDisk;

struct Row {
  bool isFolder;
  std::string caption, fileSize;
  bool operator==(const Row&) const = default;
};
std::vector<Row> Shown(const ListRows& rows) {
  std::vector<Row> shown;
  for (const ListRow& row : rows.rows) {
    EXPECT_TRUE(row.path.empty() && row.archive.empty());
    shown.push_back({row.isFolder, row.caption, row.fileSize});
  }
  return shown;
}

TEST(ShowFolder, ListsTheFolderOwnRecordsInFileOrder) {
  CatalogueFile file(SampleDisk());
  Catalogue& catalogue = file.Load();
  ListRows rows;
  Progress quiet;
  ASSERT_TRUE(ShowFolder(catalogue, "\\", rows));
  EXPECT_EQ(Shown(rows), (std::vector<Row>{{true, "Docs", ""}, {false, "readme.txt", "1234"}, {false, "zz.bin", "200"}}));
  EXPECT_EQ(rows.FileCount, 2);
  EXPECT_EQ(catalogue.CurrentPath(), "\\");
  EXPECT_EQ(FolderText(rows.FileCount, catalogue.CurrentPath()), "2 file(s) in folder \\");

  ASSERT_TRUE(ShowFolder(catalogue, "\\docs\\", rows));
  EXPECT_EQ(Shown(rows), (std::vector<Row>{{false, "a.txt", "12"}}));
  EXPECT_EQ(catalogue.CurrentPath(), "\\docs\\");  // as asked for, not as stored
  EXPECT_EQ(FolderText(rows.FileCount, catalogue.CurrentPath()), "1 file(s) in folder \\docs\\");
}

TEST(ShowFolder, UnknownPathChangesNothing) {
  CatalogueFile file(SampleDisk());
  Catalogue& catalogue = file.Load();
  ListRows rows;
  Progress quiet;
  ASSERT_TRUE(ShowFolder(catalogue, "\\Docs\\", rows));
  for (const char* unknown : {"\\Docs", "Docs\\", "\\Nope\\", "", "\\Docs\\a.txt\\"})
    EXPECT_FALSE(ShowFolder(catalogue, unknown, rows)) << unknown;
  EXPECT_EQ(rows.rows.size(), 1u);
  EXPECT_EQ(catalogue.CurrentPath(), "\\Docs\\");

  // Before any load there are no folders at all.
  Collator collator("en_US");
  Catalogue none;
  EXPECT_FALSE(ShowFolder(none, "\\", rows));
}

TEST(ShowFolder, EmptyFolderNoSizesAndCaseTwins) {
  CatalogueFile file(Bytes("\x00" "c:" "\x04" "E" "\x04" "Two" "\x04" "two" "\x03" "plain" "\x03" "x/y/z" "\x01"
                           "E" "\x02" "\x01" "Two" "\x03" "first" "\x02" "\x01" "two" "\x03" "second" "\x02"
                           "\x02\x00"));
  Catalogue& catalogue = file.Load();
  ListRows rows;
  Progress quiet;
  ASSERT_TRUE(ShowFolder(catalogue, "\\E\\", rows));
  EXPECT_TRUE(rows.rows.empty());
  EXPECT_EQ(FolderText(rows.FileCount, "\\E\\"), "0 file(s) in folder \\E\\");

  ASSERT_TRUE(ShowFolder(catalogue, "\\TWO\\", rows));
  EXPECT_EQ(Shown(rows), (std::vector<Row>{{false, "first", ""}}));

  // Subfolders are listed but not counted; an entry splits at its first "/".
  ASSERT_TRUE(ShowFolder(catalogue, "\\", rows));
  EXPECT_EQ(rows.FileCount, 2);
  EXPECT_EQ(Shown(rows), (std::vector<Row>{{true, "E", ""}, {true, "Two", ""}, {true, "two", ""},
                                           {false, "plain", ""}, {false, "x", "y/z"}}));
}

TEST(ShowFolder, MergedFolderListsNothingAndAClosedCatalogueIsAnError) {
  CatalogueFile file(SampleDisk());
  Catalogue& catalogue = file.Load();
  ListRows rows;
  Progress quiet;
  catalogue.Folders().SetPosition(1, 0);
  ASSERT_TRUE(ShowFolder(catalogue, "\\Docs\\", rows));
  EXPECT_TRUE(rows.rows.empty());

  catalogue.CloseCatalogue();
  EXPECT_THROW(ShowFolder(catalogue, "\\", rows), IoError);
  EXPECT_FALSE(ShowFolder(catalogue, "\\Gone\\", rows));
}

TEST(FolderPaths, BackGoesOneUpAndStopsAtTheRoot) {
  EXPECT_EQ(BackPath("\\Docs\\Old\\"), "\\Docs\\");
  EXPECT_EQ(BackPath("\\Docs\\"), "\\");
  EXPECT_FALSE(BackPath("\\"));
  EXPECT_EQ(SubfolderPath("\\", "Docs"), "\\Docs\\");
  EXPECT_EQ(SubfolderPath("\\Docs\\", "Old"), "\\Docs\\Old\\");
}

}  // namespace
}  // namespace qvl
