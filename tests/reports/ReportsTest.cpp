// The reports over catalogue files the test writes.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "reports/Diff.h"
#include "reports/EntryStream.h"
#include "reports/FolderTotals.h"
#include "support/Bytes.h"
#include "support/TempDir.h"

namespace qvl {
namespace {

using test::Bytes;

struct Seen final : EntryVisitor {
  void FolderOpened(std::size_t folder) override { events.push_back("open " + std::to_string(folder)); }
  void FolderClosed(std::size_t folder) override { events.push_back("close " + std::to_string(folder)); }
  void EntryRead(const StreamedEntry& streamed) override {
    events.push_back(std::to_string(streamed.entry.ordinal) + (streamed.runStart ? " run " : " ") +
                     std::string(streamed.path) + std::string(streamed.entry.name) +
                     (streamed.entry.size ? "=" + std::to_string(*streamed.entry.size) : ""));
  }
  std::vector<std::string> events;
};

// Every entry record in file order, numbered, with the path the loader gives its
// folder: entries after a folder's subfolders, a folder after the root's end, a
// file cut short inside a folder.
TEST(EntryStream, NumbersEveryEntryAndFollowsTheNestingRule) {
  test::TempDir dir;
  test::WriteFile(dir / "odd.qvl", Bytes("\x00" "c:" "\x00" "note\r\n" "\x04" "A" "\x03" "big/-2147483648"
                                         "\x01" "A" "\x03" "x/1" "\x02" "\x03" "late/2" "\x02"
                                         "\x01" "B" "\x03" "y" "\x01" "C" "\x03" "z/3"));
  FolderIndex folders;
  Progress quiet;
  EntryStream stream(dir / "odd.qvl", folders, quiet);
  EXPECT_EQ(stream.Caption(), "c:");
  EXPECT_EQ(stream.Comment(), "note\r\n");
  Seen seen;
  stream.Run(seen);
  EXPECT_EQ(seen.events, (std::vector<std::string>{"open 0", "0 run \\A", "1 \\big=2147483648", "open 1",
                                                   "2 run \\A\\x=1", "close 1", "3 run \\late=2", "open 2",
                                                   "4 run \\B\\y", "open 3", "5 run \\B\\C\\z=3", "close 3",
                                                   "close 2"}));
  EXPECT_EQ(stream.Entries(), 6u);
  EXPECT_EQ(folders.Path(3), "\\B\\C\\");
}

// Dates and hashes by ordinal, as a companion gives them.
class HandFacts final : public EntryFacts {
 public:
  std::map<std::uint64_t, std::pair<std::optional<std::int64_t>, std::optional<std::uint8_t>>> facts;
  void Fill(ReportEntry& entry) const override {
    auto it = facts.find(entry.ordinal);
    if (it == facts.end()) return;
    entry.modified = it->second.first;
    if (it->second.second) entry.hash = ContentHash{*it->second.second};
  }
};

struct Rows final : DiffRows {
  void Row(const DiffRow& row) override {
    text.push_back(std::string(DiffKindName(row.kind)) + " " + std::string(row.path) +
                   (row.newPath.empty() ? "" : " -> " + std::string(row.newPath)) +
                   (row.changed ? " " + std::to_string(row.changed) : ""));
  }
  std::vector<std::string> text;
};

TEST(DiffCatalogues, UsesDatesAndHashesWhereBothSidesKnowThem) {
  test::TempDir dir;
  // Ordinals: 0 Old, 1 New, 2 same.txt, 3 Old\m.bin, 4 New\m.bin.
  std::string bytes = Bytes("\x00" "c:" "\x04" "Old" "\x04" "New" "\x03" "same.txt/5" "\x01" "Old" "\x03" "m.bin/9"
                            "\x02" "\x01" "New" "\x02\x02\x00");
  std::string moved = Bytes("\x00" "c:" "\x04" "Old" "\x04" "New" "\x03" "same.txt/5" "\x01" "Old" "\x02" "\x01" "New"
                            "\x03" "m.bin/9" "\x02\x02\x00");
  test::WriteFile(dir / "old.qvl", bytes);
  test::WriteFile(dir / "new.qvl", moved);
  HandFacts before, after;
  before.facts = {{2, {100, {}}}, {3, {{}, 1}}};
  after.facts = {{2, {200, {}}}, {3, {{}, 1}}};
  Progress quiet;
  Rows rows;
  DiffCounts counts = DiffCatalogues(dir / "old.qvl", dir / "new.qvl", rows, quiet, {&before, &after});
  EXPECT_EQ(rows.text, (std::vector<std::string>{"changed \\same.txt 2", "moved \\Old\\m.bin -> \\New\\m.bin"}));
  EXPECT_EQ(counts.changed, 1);
  EXPECT_EQ(counts.moved, 1);

  // Another hash: the file that went is not the one that came.
  after.facts[3] = {{}, 2};
  Rows differ;
  DiffCatalogues(dir / "old.qvl", dir / "new.qvl", differ, quiet, {&before, &after});
  EXPECT_EQ(differ.text, (std::vector<std::string>{"changed \\same.txt 2", "removed \\Old\\m.bin", "added \\New\\m.bin"}));
}

TEST(FolderTotals, AddUpPastFourGibibytesAndKeepToTheDepth) {
  test::TempDir dir;
  // Three sizes of 2 GiB and more each, stored as the low 32 bits, signed.
  std::string bytes = Bytes("\x00" "c:" "\x04" "Big" "\x03" "small/10" "\x01" "Big" "\x04" "Deep");
  for (int i = 0; i < 3; ++i) bytes += Bytes("\x03") + "f" + std::to_string(i) + "/-2147483648";
  bytes += Bytes("\x01" "Deep" "\x03" "d/4294967296" "\x02" "\x02\x02\x00");
  test::WriteFile(dir / "big.qvl", bytes);
  Progress quiet;
  auto totals = FolderTotals(dir / "big.qvl", "\\", std::nullopt, quiet);
  ASSERT_TRUE(totals);
  ASSERT_EQ(totals->size(), 3u);
  EXPECT_EQ((*totals)[0].path, "\\");
  EXPECT_EQ((*totals)[0].bytes, 3 * 2147483648LL + 4294967296LL + 10);
  EXPECT_EQ((*totals)[0].files, 5);
  EXPECT_EQ((*totals)[1].path, "\\Big\\");
  EXPECT_EQ((*totals)[1].bytes, 3 * 2147483648LL + 4294967296LL);
  EXPECT_EQ((*totals)[2].depth, 2u);
  auto shallow = FolderTotals(dir / "big.qvl", "\\BIG\\", 0, quiet);
  ASSERT_TRUE(shallow);
  ASSERT_EQ(shallow->size(), 1u);
  EXPECT_EQ((*shallow)[0].files, 4);
  EXPECT_FALSE(FolderTotals(dir / "big.qvl", "\\None\\", std::nullopt, quiet));
}

}  // namespace
}  // namespace qvl

namespace qvl {
namespace {

struct Places final : EntryVisitor {
  void EntryRead(const StreamedEntry& streamed) override {
    if (streamed.runStart) runs.push_back({streamed.position, streamed.entry.ordinal});
    names.emplace_back(streamed.entry.name);
  }
  std::vector<std::pair<std::int64_t, std::uint64_t>> runs;
  std::vector<std::string> names;
};

// The diff finds its entries again by seeking to the runs a reading without texts
// found: both must agree on every entry, odd files included.
TEST(EntryStream, RunsFoundWithoutTextsReadBackAsTheEntries) {
  test::TempDir dir;
  const std::string files[] = {
      Bytes("\x00" "c:" "\x04" "A" "\x03" "a/1" "\x01" "A" "\x03" "" "\x03" "b/2" "\x02" "\x03" "late" "\x02\x00"),
      Bytes("\x00" "c:" "\x03" "x/1" "\x00" "\x03" "y/2" "\x02" "\x01" "After" "\x04" "S" "\x02\x00"),
      Bytes("\x00" "c:" "\x03" "cut/1" "\x01" "F" "\x03" "z"),
      Bytes("\x00" "c:" "\x03" "w/1" "\x03"),
  };
  for (const std::string& bytes : files) {
    test::WriteFile(dir / "odd.qvl", bytes);
    Progress quiet;
    FolderIndex withTexts, without;
    Places all, places;
    EntryStream(dir / "odd.qvl", withTexts, quiet).Run(all);
    EntryStream(dir / "odd.qvl", without, quiet, {.texts = false}).Run(places);
    ASSERT_EQ(places.names.size(), all.names.size());
    std::vector<std::string> reread;
    CatalogueReader reader;
    reader.OpenCatalogue(dir / "odd.qvl");
    std::string text;
    std::uint64_t next = 0;
    for (auto [position, ordinal] : places.runs) {
      EXPECT_EQ(ordinal, next);
      ReadEntryRun(reader, position, ordinal, nullptr, text, [&](const ReportEntry& entry) {
        EXPECT_EQ(entry.ordinal, next++);
        reread.emplace_back(entry.name);
      });
    }
    EXPECT_EQ(reread, all.names) << test::ReadFile(dir / "odd.qvl").size();
  }
}

}  // namespace
}  // namespace qvl
