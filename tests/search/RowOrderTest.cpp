// The order of the list view's rows.
#include <gtest/gtest.h>

#include "search/RowOrder.h"

namespace qvl {
namespace {

ListRow FolderRow(std::string name) { return {true, std::move(name), "", "", ""}; }
ListRow FileRow(std::string name, std::string size, std::string path = "", std::string archive = "") {
  return {false, std::move(name), std::move(size), std::move(path), std::move(archive)};
}
std::vector<std::string> Captions(const std::vector<ListRow>& rows) {
  std::vector<std::string> captions;
  for (const auto& row : rows) captions.push_back(row.caption);
  return captions;
}
using Strings = std::vector<std::string>;

TEST(CompareText, FoldsOnlyAToZAndPutsShorterFirst) {
  EXPECT_EQ(CompareText("readme", "README"), 0);
  EXPECT_LT(CompareText("abc", "abd"), 0);
  EXPECT_LT(CompareText("ab", "abc"), 0);
  EXPECT_GT(CompareText("abc", "ab"), 0);
  EXPECT_LT(CompareText("10", "9"), 0);
  EXPECT_LT(CompareText("", "0"), 0);
  EXPECT_GT(CompareText("_x", "zz"), 0);  // "_" lies after the folded letters
  EXPECT_LT(CompareText("1x", "ax"), 0);
  EXPECT_NE(CompareText("\xc3\xa4", "\xc3\x84"), 0);  // ä and Ä: not folded
  EXPECT_GT(CompareText("\xe9", "z"), 0);             // bytes compare unsigned
}

TEST(RowOrder, StartsByFilenameDescendingWithFoldersFirst) {
  RowOrder order;
  EXPECT_EQ(order.SortColumn(), Column::Filename);
  for (Column column : {Column::Filename, Column::FileSize, Column::Path, Column::Archive})
    EXPECT_FALSE(order.SortAscending(column));
  std::vector<ListRow> rows{FileRow("b.txt", "1"), FolderRow("Alpha"), FileRow("A.txt", "2"), FolderRow("zeta")};
  order.Sort(rows);
  EXPECT_EQ(Captions(rows), (Strings{"zeta", "Alpha", "b.txt", "A.txt"}));
  order.ColumnClick(Column::Filename);
  EXPECT_TRUE(order.SortAscending(Column::Filename));
  order.Sort(rows);
  EXPECT_EQ(Captions(rows), (Strings{"Alpha", "zeta", "A.txt", "b.txt"}));
}

TEST(RowOrder, SizesSortAsTextAndFoldersAreNotGroupedByOtherColumns) {
  RowOrder order;
  std::vector<ListRow> rows{FileRow("a", "9"), FolderRow("d"), FileRow("b", "100"), FileRow("c", "10")};
  order.ColumnClick(Column::FileSize);
  EXPECT_EQ(order.SortColumn(), Column::FileSize);
  order.Sort(rows);
  EXPECT_EQ(Captions(rows), (Strings{"d", "c", "b", "a"}));  // "", 10, 100, 9
  order.ColumnClick(Column::FileSize);
  order.Sort(rows);
  EXPECT_EQ(Captions(rows), (Strings{"a", "b", "c", "d"}));  // the folder last
}

TEST(RowOrder, EachColumnKeepsItsOwnDirection) {
  RowOrder order;
  order.ColumnClick(Column::Filename);  // ascending
  order.ColumnClick(Column::Path);      // ascending by path
  EXPECT_TRUE(order.SortAscending(Column::Filename));
  order.ColumnClick(Column::Filename);  // back to Filename: flips to descending
  EXPECT_EQ(order.SortColumn(), Column::Filename);
  EXPECT_FALSE(order.SortAscending(Column::Filename));
  EXPECT_TRUE(order.SortAscending(Column::Path));

  std::vector<ListRow> rows{FileRow("x", "", "\\B\\", "two"), FileRow("y", "", "\\a\\", "one"),
                            FileRow("z", "", "\\A\\", "three")};
  order.ColumnClick(Column::Path);  // descending now
  order.Sort(rows);
  EXPECT_EQ(Captions(rows), (Strings{"x", "y", "z"}));  // equal paths keep their order
  order.SetOrder(Column::Archive, true);
  order.Sort(rows);
  EXPECT_EQ(Captions(rows), (Strings{"y", "z", "x"}));
  EXPECT_LT(order.Compare(rows[0], rows[1]), 0);
  EXPECT_EQ(order.Compare(rows[0], rows[0]), 0);
}

}  // namespace
}  // namespace qvl
