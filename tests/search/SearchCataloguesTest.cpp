// The search of catalogue files by their folder records, one file or a list.
#include <gtest/gtest.h>

#include <filesystem>

#include "browse/CatalogueFiles.h"
#include "browse/Import.h"
#include "search/SearchCatalogues.h"
#include "search/SearchChecks.h"

namespace qvl {
namespace {

using test::Bytes;
using test::CatalogueFile;
using test::RowsText;
using test::SampleDisk;

std::string Searched(const std::string& file, std::string_view text,
                     std::size_t blockSize = ScanOptions().blockSize) {
  ListRows rows;
  SearchProgress quiet;
  SearchCatalogueFile(text, file, rows, quiet, {blockSize});
  return RowsText(rows);
}

TEST(SearchCatalogueFile, PathsAreThoseOfTheLoadedFolderIndex) {
  struct Case {
    std::string bytes;
    std::string rows;
  };
  std::vector<Case> cases = {
      // A merge's output: the destination's root end left out, B appended with the
      // source's run of ends.
      {Bytes("\x00" "c: [data]" "\x04" "B" "\x04" "A" "\x01" "A" "\x03" "g1" "\x02" "\x01" "B" "\x03" "g2" "\x02\x02\x00"),
       "F g1||\\A\\|d.qvl\nF g2||\\B\\|d.qvl\n"},
      // A merge into a root of files only: its end stays, and what follows it lies
      // below the root, however many ends come.
      {Bytes("\x00" "c:" "\x03" "g1" "\x02" "\x01" "B" "\x03" "g2" "\x02\x02\x02" "\x01" "C" "\x03" "g3" "\x02\x00"),
       "F g1||\\|d.qvl\nF g2||\\B\\|d.qvl\nF g3||\\C\\|d.qvl\n"},
      // A name holding a backslash goes as a whole.
      {Bytes("\x00" "c:" "\x01" "x\\y" "\x03" "g1" "\x02" "\x01" "z" "\x03" "g2" "\x02\x02\x00"),
       "F g1||\\x\\y\\|d.qvl\nF g2||\\z\\|d.qvl\n"},
  };
  for (const Case& c : cases) {
    CatalogueFile file(c.bytes, "d.qvl");
    EXPECT_EQ(Searched(file.path, "g"), c.rows);
    // The same folders as the quick find takes from the index.
    ListRows quick;
    Progress quiet;
    FindEntries(file.Load(), "g", quick, quiet);
    for (ListRow& row : quick.rows) row.archive = "d.qvl";
    EXPECT_EQ(RowsText(quick), c.rows);
  }
}

TEST(SearchCatalogueFile, HitsInACatalogueMergedHereLieInTheFoldersItsIndexKnows) {
  test::TempDir dir;
  test::WriteFile(dir / "dest.qvl", SampleDisk());
  test::WriteFile(dir / "src.qvl", Bytes("\x00" "d:" "\x04" "docs" "\x04" "New" "\x03" "g0" "\x01" "docs" "\x04" "Sub"
                                         "\x03" "g1" "\x01" "Sub" "\x03" "g2" "\x02\x02" "\x01" "New" "\x03" "g3"
                                         "\x02\x02\x00"));
  Collator collator("en_US");
  Catalogue source;
  Progress quiet;
  ASSERT_TRUE(ImportCatalogueFile(source, dir / "src.qvl", dir / "dest.qvl", false, std::nullopt, quiet));
  const std::string expected = "F g0||\\|dest.qvl\nF g1||\\Docs\\|dest.qvl\nF g2||\\Docs\\Sub\\|dest.qvl\n"
                               "F g3||\\New\\|dest.qvl\n";
  EXPECT_EQ(Searched(dir / "dest.qvl", "g"), expected);
  Catalogue merged;
  merged.LoadCatalogue(dir / "dest.qvl", true, quiet);
  ListRows quick;
  FindEntries(merged, "g", quick, quiet);
  for (ListRow& row : quick.rows) row.archive = "dest.qvl";
  EXPECT_EQ(RowsText(quick), expected);
}

TEST(SearchCatalogueFile, OddFilesAreScannedByTheSameRules) {
  struct Case {
    std::string bytes;
    std::string rows;
  };
  std::vector<Case> cases = {
      // Text with no tag bytes is all caption.
      {"a plain text file with hits in it\n", ""},
      // The first byte is the header's mark whatever it holds.
      {Bytes("\x03" "hit" "\x03" "hit2"), "F hit2||\\|o.qvl\n"},
      // A SectionMark among the records is passed over, with the text after it.
      {Bytes("\x00" "c:" "\x03" "hit1" "\x00" "hit" "\x00\x00" "\x03" "hit2" "\x02\x00"),
       "F hit1||\\|o.qvl\nF hit2||\\|o.qvl\n"},
      // Text after a folder end is no entry; an entry cut off by the end counts.
      {Bytes("\x00" "c:" "\x01" "F" "\x02" "hit" "\x03" "hit/12"), "F hit|12|\\|o.qvl\n"},
      {Bytes("\x00" "c:" "\x01" "a" "\x01" "b" "\x04" "hit"), "D hit||\\a\\b\\|o.qvl\n"},
  };
  for (const Case& c : cases) {
    CatalogueFile file(c.bytes, "o.qvl");
    EXPECT_EQ(Searched(file.path, "hit"), c.rows);
  }
}

TEST(EntryScan, AnyBlockSizeGivesWhatThePlainReadingGives) {
  const std::string longName(3000, 'n');
  std::vector<std::string> files = {
      SampleDisk(),
      // Fields far longer than a block: the caption, a folder name, an entry that
      // matches only at its end or only at its start, and one that never matches.
      Bytes("\x00") + longName + Bytes("\x01") + longName + "a" + Bytes("\x03") + longName + "needle" +
          Bytes("\x03") + "needle" + longName + Bytes("\x03") + longName + Bytes("\x02\x02\x00"),
      // A match across the point where a long entry is dropped.
      Bytes("\x00" "c:" "\x03") + std::string(4099, 'x') + "needle/1" + Bytes("\x02\x00"),
      // Cut short inside a long entry that matches.
      Bytes("\x00" "c:" "\x04") + "needle" + longName,
  };
  // Matches and folder records at every offset within the 64 bytes the scan marks
  // at a time, in folders opened and closed between and around the hits.
  std::string shifted = Bytes("\x00" "c:");
  for (int i = 0; i < 300; ++i) {
    if (i % 3 == 0) shifted += Bytes("\x01") + "needle dir " + std::to_string(i);
    shifted += Bytes(i % 5 == 0 ? "\x04" : "\x03") + std::string(static_cast<std::size_t>(i % 67), 'q') + "NeEdLe";
    if (i % 5 != 0) shifted += "/" + std::to_string(i);
    if (i % 3 == 2) shifted += Bytes("\x02");
  }
  files.push_back(shifted + Bytes("\x02\x00"));
  for (const std::string& bytes : files) {
    CatalogueFile file(bytes);
    EXPECT_EQ(test::CheckSearches(file.path, {"needle", "NEEDLE/1", "nna", "a", "/", "x", "e/2", "q"}), "");
  }
  CatalogueFile dropped(files[2]);
  EXPECT_EQ(Searched(dropped.path, "eDLE/", 64), "F " + std::string(4099, 'x') + "needle|1|\\|disk.qvl\n");
}

TEST(EntryScan, HostileFilesGiveWhatThePlainReadingGives) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(QVL_HOSTILE_DIR)) {
    EXPECT_EQ(test::CheckSearches(entry.path(), {"a", "/", "\\", "x", "ab"}), "") << entry.path();
    ++files;
  }
  EXPECT_GE(files, 10);
}

// What the search tells, in order.
struct Recorded final : SearchProgress {
  void Status(std::string_view text) override { events.push_back("status " + std::string(text)); }
  void FileLabel(std::string_view text) override { events.push_back("file " + std::string(text)); }
  void TotalLabel(std::string_view text) override { events.push_back("total " + std::string(text)); }
  void TotalPercent(int percent) override { events.push_back(std::to_string(percent) + "%"); }
  std::vector<std::string> events;
};

TEST(SearchCatalogues, SearchesEveryFileInListOrder) {
  test::TempDir dir;
  test::WriteFile(dir / "one.qvl", SampleDisk());
  test::WriteFile(dir / "two.qvl", Bytes("\x00" "a:" "\x04" "Readme" "\x01" "Readme" "\x03" "readme" "\x02\x02\x00"));
  std::vector<std::string> files = {dir / "two.qvl", dir / "gone.qvl", dir / "one.qvl"};
  ListRows rows;
  rows.AddListRow({.caption = "old"});
  Recorded progress;
  SearchOutcome outcome = SearchCatalogues("readme", files, rows, progress);
  EXPECT_EQ(RowsText(rows), "D Readme||\\|two.qvl\nF readme||\\Readme\\|two.qvl\nF readme.txt|1234|\\|one.qvl\n");
  EXPECT_EQ(outcome.fileCount, 2);
  EXPECT_EQ(rows.FileCount, 2);
  EXPECT_EQ(SearchResultText(outcome), "Found 2 matching files");
  EXPECT_EQ(outcome.skipped, std::vector<std::string>{dir / "gone.qvl"});
  EXPECT_EQ(progress.events,
            (std::vector<std::string>{"total Total progress", "0%", "file Progress of " + (dir / "two.qvl"),
                                      "status Searching...", "33%", "66%", "file Progress of " + (dir / "one.qvl"),
                                      "status Searching...", "99%", "100%", "status Search complete"}));

  // More than 100 files: the total steps by 0 until the end.
  Recorded many;
  SearchCatalogues("readme", std::vector<std::string>(101, dir / "gone.qvl"), rows, many);
  EXPECT_EQ(many.events[2], "0%");
  EXPECT_EQ(many.events.end()[-2], "100%");

  // A folder hit alone is found, but not counted.
  outcome = SearchCatalogues("docs", files, rows, progress);
  EXPECT_TRUE(outcome.found);
  EXPECT_EQ(outcome.fileCount, 0);
}

TEST(SearchCatalogues, AnEmptyListOrAMissingNamedFileSearchesNothing) {
  ListRows rows;
  rows.AddListRow({.caption = "old"});
  Recorded progress;
  EXPECT_TRUE(SearchCatalogues("x", {}, rows, progress).noFilesToSearch);
  EXPECT_TRUE(rows.rows.empty());
  EXPECT_EQ(progress.events, (std::vector<std::string>{"total Total progress", "0%"}));

  // A name typed into the file choice: nothing to read, yet the search completes.
  test::TempDir dir;
  Recorded named;
  SearchOutcome outcome = SearchNamedCatalogue("x", dir / "All files", rows, named);
  EXPECT_EQ(SearchResultText(outcome), "Found 0 matching files");
  EXPECT_EQ(named.events, (std::vector<std::string>{"total Total progress", "0%", "status Search complete"}));
}

}  // namespace
}  // namespace qvl
