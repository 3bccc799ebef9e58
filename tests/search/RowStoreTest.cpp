// The list's rows in compact storage: their texts kept through batches taken
// whole, shared texts kept once, and the sort on folded keys.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "search/RowStore.h"

namespace qvl {
namespace {

// Appending, not "text" + std::string: GCC 12 at -O3 warns falsely on that.
std::string Name(const char* prefix, int number) { return std::string(prefix).append(std::to_string(number)); }
std::string Folder(int i) { return std::string("\\Data\\").append(40, 'f').append(std::to_string(i)).append("\\"); }

ListRowView Hit(const std::string& name, const std::string& folder) {
  return {.caption = name, .fileSize = "42", .path = folder, .archive = "disk.qvl"};
}

TEST(RowStore, BatchesTakenWholeKeepEveryText) {
  RowStore store;
  StagedRows batch;
  // New folders (the batch's buffer joins the store), then folders seen before
  // (looked up), then one folder coming back within a batch; the batch is used
  // again each time, as the row feed does.
  for (int round = 0; round < 3; ++round) {
    for (int i = 0; i < 50; ++i) batch.AddListRow(Hit(Name("f", round * 50 + i), Folder(round == 2 ? i % 2 : i)));
    store.Append(batch);
    EXPECT_EQ(batch.Size(), 0u);
    batch.Prepare();
  }
  ASSERT_EQ(store.Size(), 150u);
  for (int row = 0; row < 150; ++row) {
    ListRowView view = store.View(static_cast<std::size_t>(row));
    EXPECT_EQ(view.caption, Name("f", row));
    EXPECT_EQ(view.path, Folder(row >= 100 ? row % 2 : row % 50));
    EXPECT_EQ(view.archive, "disk.qvl");
    EXPECT_EQ(view.fileSize, "42");
  }
  EXPECT_EQ(store.FileCount(), 150);
}

TEST(RowStore, SharedTextsAreKeptOnce) {
  const std::string folder = "\\" + std::string(300, 'p') + "\\";
  const std::string catalogue(200, 'c');
  RowStore store;
  store.Add({.caption = "x", .path = folder, .archive = catalogue}, 4);
  std::size_t before = store.MemoryBytes(), textsBefore = store.TextBytes();
  for (int i = 0; i < 1000; ++i)
    store.Add({.caption = Name("name", i % 10), .fileSize = "12", .path = folder, .archive = catalogue}, 4);
  // The texts grew by the names and sizes only; the rest is the rows' fixed part.
  EXPECT_EQ(store.TextBytes() - textsBefore, std::size_t{1000 * 7});
  EXPECT_LT(store.MemoryBytes() - before, 1000u * 100);
  // Batches made apart share the store's one copy too.
  StagedRows batch;
  before = store.MemoryBytes();
  for (int round = 0; round < 10; ++round) {
    for (int i = 0; i < 100; ++i) batch.AddListRow({.caption = "y", .path = folder, .archive = catalogue});
    store.Append(batch);
  }
  EXPECT_LT(store.MemoryBytes() - before, 1000u * 100);
  EXPECT_EQ(store.View(1500).path, folder);
  EXPECT_EQ(store.View(1500).archive, catalogue);
}

// The sort decides most comparisons on sixteen folded bytes of each key: it must
// give RowOrder's order on short keys, keys equal in their first eight or sixteen
// bytes, bytes that fold and zero bytes.
TEST(RowStore, SortsAsRowOrderDoes) {
  std::mt19937 random(7);
  const std::string alphabet("aAbB_z9.\xE9\0", 10);
  auto text = [&](std::size_t most) {
    std::string made(random() % (most + 1), ' ');
    for (char& c : made) c = alphabet[random() % alphabet.size()];
    return made;
  };
  std::vector<ListRow> rows;
  for (int i = 0; i < 600; ++i) {
    bool folder = random() % 4 == 0;
    rows.push_back({folder, "a_common_prefix" + text(6), folder ? "" : text(3), text(20), text(2)});
    if (i % 5 == 0) rows.back().caption = text(3);
  }
  RowOrder order;
  for (Column column : {Column::Filename, Column::FileSize, Column::Path, Column::Archive, Column::Filename,
                        Column::Path, Column::FileSize, Column::Archive}) {
    RowStore store;
    for (const auto& row : rows)
      store.Add({.isFolder = row.isFolder, .caption = row.caption, .fileSize = row.fileSize,
                               .path = row.path, .archive = row.archive},
                4);
    order.ColumnClick(column);
    store.Reorder(store.SortedOrder(order));
    std::vector<ListRow> expected = rows;
    order.Sort(expected);
    for (std::size_t i = 0; i < rows.size(); ++i) {
      ListRowView row = store.View(i);
      ASSERT_TRUE(row.caption == expected[i].caption && row.path == expected[i].path &&
                  row.archive == expected[i].archive)
          << "row " << i << " by column " << static_cast<int>(column);
    }
  }
}

}  // namespace
}  // namespace qvl
