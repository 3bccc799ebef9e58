// Searching several catalogues at once must look exactly like searching them one
// after the other: same rows, same order, same reports, and errors where they were.
#include <gtest/gtest.h>

#include <stdexcept>

#include "browse/CatalogueFiles.h"
#include "search/SearchAhead.h"
#include "search/SearchChecks.h"

namespace qvl {
namespace {

using test::Bytes;
using test::ManyEntries;
using test::RowsText;

// Starting and Opened in order; blocks are left out, as their number differs.
struct Recorder final : ScanWatcher {
  void Starting(const std::string& fileName) override { events.push_back("start " + fileName); }
  void Opened() override { events.push_back("open"); }
  std::vector<std::string> events;
};

struct Searched {
  std::string rows;
  std::vector<std::string> events;  // watcher events, then each file's outcome as it was told
};

std::string Outcome(const std::string& file, const CatalogueSearch& search) {
  return "done " + file + " " + (search.skipped ? "skipped" : "searched") + " " + std::to_string(search.fileCount) +
         "+" + std::to_string(search.folderHits);
}

Searched OneAfterAnother(std::string_view text, const std::vector<std::string>& files) {
  ListRows rows;
  Recorder watcher;
  for (const std::string& file : files) {
    CatalogueSearch search = ScanCatalogueFile(text, file, rows, watcher);
    watcher.events.push_back(Outcome(file, search));
  }
  return {RowsText(rows), watcher.events};
}

Searched Ahead(std::string_view text, const std::vector<std::string>& files) {
  ListRows rows;
  Recorder watcher;
  SearchFilesAhead(text, files, rows, watcher, [&](const std::string& file, const CatalogueSearch& search) {
    watcher.events.push_back(Outcome(file, search));
  });
  return {RowsText(rows), watcher.events};
}

TEST(SearchFilesAhead, RowsAndReportsComeFileByFileInListOrder) {
  test::TempDir dir;
  std::vector<std::string> files;
  for (int i = 0; i < 14; ++i) {
    std::string name = dir / ("d" + std::to_string(i) + ".qvl");
    // Sizes differ a lot, so files further down the list are done first.
    switch (i % 5) {
      case 0: test::WriteFile(name, ManyEntries("x" + std::to_string(i) + "_", 40 * (i + 1), 30)); break;
      case 1: test::WriteFile(name, test::SampleDisk()); break;
      case 2: break;  // gone
      case 3: test::WriteFile(name, ""); break;
      case 4: test::WriteFile(name, "no catalogue \x03 x at all"); break;
    }
    files.push_back(name);
  }
  files.push_back(files[0]);  // named twice: searched twice
  for (std::string_view text : {"x", "1", "readme", "zz"}) {
    Searched expected = OneAfterAnother(text, files);
    Searched got = Ahead(text, files);
    EXPECT_EQ(got.rows, expected.rows) << text;
    EXPECT_EQ(got.events, expected.events) << text;
  }
  EXPECT_EQ(Ahead("", files).events, OneAfterAnother("", files).events);
}

TEST(SearchFilesAhead, FilesWithMoreRowsThanMayWaitArriveWhole) {
  test::TempDir dir;
  std::vector<std::string> files = {dir / "a.qvl", dir / "b.qvl", dir / "c.qvl"};
  // Each has more hits than a file searched ahead may hold, so its worker waits.
  for (const std::string& file : files) test::WriteFile(file, ManyEntries("n", 100, 1400));
  ListRows rows;
  Recorder watcher;
  std::vector<std::int64_t> counts;
  SearchFilesAhead("n", files, rows, watcher,
                   [&](const std::string&, const CatalogueSearch& search) { counts.push_back(search.fileCount); });
  EXPECT_EQ(counts, (std::vector<std::int64_t>{140000, 140000, 140000}));
  ASSERT_EQ(rows.rows.size(), 3u * 140000);
  for (std::size_t file = 0; file < 3; ++file) {
    const ListRow& first = rows.rows[file * 140000];
    const ListRow& last = rows.rows[file * 140000 + 139999];
    EXPECT_EQ(first.caption + " " + first.path + " " + first.archive,
              "n1 \\ndir0\\ " + std::string(1, static_cast<char>('a' + file)) + ".qvl");
    EXPECT_EQ(last.caption + " " + last.path, "n140000 \\ndir99\\");
  }
}

// Batches that fail on a row named "boom", as a full disk would.
struct FailingBatch {
  void AddListRow(const ListRowView& row) {
    if (row.caption == "boom") throw std::runtime_error("no room for boom");
    rows.AddListRow(row);
  }
  void ClearListView() { rows.ClearListView(); }
  ListRows rows;
};
struct FailingRows final : BatchedRowSinkOf<FailingBatch> {
  void ClearListView() override {}
  void TakeBatch(FailingBatch& batch) override { all.TakeBatch(batch.rows); }
  void AddRow(const ListRowView&) override {}
  ListRows all;
};

// Rows come in field order; a folder's stored size is never shown, in a batch or
// not; a batch goes back only to a sink of the kind that made it.
TEST(RowSinks, FolderRowsShowNoSizeAndBatchesGoBackToTheirKindOfSink) {
  ListRows rows;
  rows.AddListRow({.isFolder = true, .caption = "docs", .fileSize = "12", .path = "\\", .archive = "c.qvl"});
  rows.AddListRow({.caption = "a.txt", .fileSize = "7", .path = "\\docs\\", .archive = "c.qvl"});
  EXPECT_EQ(RowsText(rows), "D docs||\\|c.qvl\nF a.txt|7|\\docs\\|c.qvl\n");
  EXPECT_EQ(rows.FileCount, 1);

  std::unique_ptr<RowBatch> batch = rows.NewBatch();
  batch->AddListRow({.isFolder = true, .caption = "sub", .fileSize = "3"});
  batch->AddListRow({.caption = "b"});
  FailingRows other;
  EXPECT_THROW(other.AddBatch(*batch), std::logic_error);
  EXPECT_THROW(rows.AddBatch(*other.NewBatch()), std::logic_error);
  rows.AddBatch(*batch);
  EXPECT_EQ(RowsText(rows), "D docs||\\|c.qvl\nF a.txt|7|\\docs\\|c.qvl\nD sub|||\nF b|||\n");
  EXPECT_EQ(rows.FileCount, 2);
  // Taken away: the same batch adds nothing twice.
  rows.AddBatch(*batch);
  EXPECT_EQ(rows.rows.size(), 4u);
}

TEST(SearchFilesAhead, AFailureEndsTheSearchWhereItHappened) {
  test::TempDir dir;
  std::vector<std::string> files = {dir / "a.qvl", dir / "b.qvl", dir / "c.qvl", dir / "d.qvl"};
  test::WriteFile(files[0], ManyEntries("o", 50, 50));
  test::WriteFile(files[1], Bytes("\x00" "c:" "\x03" "oops" "\x03" "boom" "\x03" "other" "\x00"));
  test::WriteFile(files[2], ManyEntries("o", 5, 5));
  test::WriteFile(files[3], ManyEntries("o", 5, 5));
  FailingRows rows;
  Recorder watcher;
  std::vector<std::string> told;
  try {
    SearchFilesAhead("o", files, rows, watcher, [&](const std::string& file, const CatalogueSearch&) {
      told.push_back(file);
    });
    ADD_FAILURE() << "the failure was not passed on";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "no room for boom");
  }
  EXPECT_EQ(told, std::vector<std::string>{files[0]});
  // a's rows and b's until the failure; nothing later.
  ASSERT_EQ(rows.all.rows.size(), 2501u);
  EXPECT_EQ(rows.all.rows[2499].caption, "o2500");
  EXPECT_EQ(rows.all.rows.back().caption, "oops");

  // A failure on the calling thread stops the workers too.
  ListRows plain;
  EXPECT_THROW(SearchFilesAhead("o", files, plain, watcher,
                                [](const std::string&, const CatalogueSearch&) { throw std::runtime_error("stop"); }),
               std::runtime_error);
}

}  // namespace
}  // namespace qvl
