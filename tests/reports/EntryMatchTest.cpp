// The rules by which the reports pair entries, with dates and hashes filled by hand.
#include <gtest/gtest.h>

#include <vector>

#include "reports/EntryMatch.h"

namespace qvl {
namespace {

ReportEntry File(std::string_view name, std::optional<std::int64_t> size, std::optional<std::int64_t> modified = {},
                 std::optional<std::uint8_t> hash = {}) {
  ReportEntry entry{.name = name, .size = size, .modified = modified};
  if (hash) entry.hash = ContentHash{*hash};
  return entry;
}
ReportEntry Folder(std::string_view name) { return {.isFolder = true, .name = name}; }

using Pairs = std::vector<std::pair<std::size_t, std::size_t>>;
using Indices = std::vector<std::size_t>;

TEST(ChangedParts, CountWhatBothSidesKnow) {
  EXPECT_EQ(ChangedParts(File("a", 1), File("a", 2)), unsigned{kSizeChanged});
  EXPECT_EQ(ChangedParts(File("a", 1), File("a", {})), 0u);  // listed without sizes
  EXPECT_EQ(ChangedParts(File("a", 1, 100), File("a", 1, 200)), unsigned{kDateChanged});
  EXPECT_EQ(ChangedParts(File("a", 1, 100), File("a", 1)), 0u);
  EXPECT_EQ(ChangedParts(File("a", 1, 100, 7), File("a", 2, 100, 8)), unsigned{kSizeChanged | kHashChanged});
  EXPECT_EQ(ChangedParts(File("a", 1, {}, 7), File("a", 1)), 0u);
  EXPECT_EQ(ChangedPartsText(kSizeChanged | kDateChanged | kHashChanged), "size,date,hash");
}

TEST(PairEntries, PairsByNameIgnoringCaseAndKind) {
  std::vector<ReportEntry> before{File("Readme.TXT", 5), File("gone", 1), File("x", 1), Folder("Docs"), File("é.txt", 3)};
  std::vector<ReportEntry> after{Folder("x"), File("README.txt", 6), Folder("DOCS"), File("É.TXT", 3), File("new", 2)};
  EntryPairing pairing = PairEntries(before, after);
  EXPECT_EQ(pairing.same, (Pairs{{3, 2}, {4, 3}}));
  EXPECT_EQ(pairing.changed, (Pairs{{0, 1}}));
  EXPECT_EQ(pairing.removed, (Indices{1, 2}));  // the file x is gone; a folder x came
  EXPECT_EQ(pairing.added, (Indices{0, 4}));
}

// A merged catalogue holds a name twice in one folder: copies the same on both sides
// pair first, the rest in order of appearance.
TEST(PairEntries, NamesTwiceInAFolderPairTheSameFirstThenInOrder) {
  std::vector<ReportEntry> before{File("a", 10), File("a", 20), File("a", 30)};
  std::vector<ReportEntry> after{File("a", 20), File("a", 11)};
  EntryPairing pairing = PairEntries(before, after);
  EXPECT_EQ(pairing.same, (Pairs{{1, 0}}));
  EXPECT_EQ(pairing.changed, (Pairs{{0, 1}}));
  EXPECT_EQ(pairing.removed, (Indices{2}));
  EXPECT_TRUE(pairing.added.empty());
  // With dates, the same size is not enough.
  std::vector<ReportEntry> dated{File("b", 5, 100), File("b", 5, 200)};
  std::vector<ReportEntry> later{File("b", 5, 200), File("b", 5, 300)};
  pairing = PairEntries(dated, later);
  EXPECT_EQ(pairing.same, (Pairs{{1, 0}}));
  EXPECT_EQ(pairing.changed, (Pairs{{0, 1}}));
}

TEST(PairMoves, TheOnlyFileOfItsNameAndSizeMoves) {
  std::vector<ReportEntry> removed{File("a.txt", 5), File("twin", 7), File("twin", 7), File("nosize", {}),
                                   File("hashed", 9, {}, 1), File("h2", 4, {}, 1)};
  std::vector<ReportEntry> added{File("twin", 7), File("A.TXT", 5), File("nosize", {}), File("hashed", 9, {}, 2),
                                 File("h2", 4)};
  // twin: two removed, one added; nosize: no size to go by; hashed: hashes differ;
  // h2: one side has no hash, so name and size decide.
  EXPECT_EQ(PairMoves(removed, added), (Pairs{{0, 1}, {5, 4}}));
  std::vector<ReportEntry> folders{Folder("d")};
  EXPECT_TRUE(PairMoves(folders, folders).empty());
}

DuplicateGroups Group(const std::vector<ReportEntry>& files, std::int64_t minSize = 1) {
  return GroupDuplicates(files.size(), [&](std::size_t i) { return files[i]; }, minSize);
}
std::vector<std::vector<std::uint32_t>> Members(const DuplicateGroups& groups) {
  std::vector<std::vector<std::uint32_t>> members;
  for (std::size_t g = 0; g < groups.Count(); ++g)
    members.emplace_back(groups.Group(g).begin(), groups.Group(g).end());
  return members;
}

TEST(GroupDuplicates, ByNameIgnoringCaseAndSize) {
  std::vector<ReportEntry> files{File("a.jpg", 100), File("b", 100),     File("A.JPG", 100), File("a.jpg", 101),
                                 File("empty", 0),   File("Empty", 0),   File("bare", {}),   File("bare", {}),
                                 Folder("a.jpg"),    File("Straße", 3), File("STRASSE", 3), File("a.jpg", 100)};
  DuplicateGroups groups = Group(files);
  // Empty files are never copies by default, files without a size never, a folder
  // is no file; full case folding makes ß and SS one.
  EXPECT_EQ(Members(groups), (std::vector<std::vector<std::uint32_t>>{{0, 2, 11}, {9, 10}}));
  EXPECT_EQ(groups.sizes, (std::vector<std::int64_t>{100, 3}));
  EXPECT_EQ(Members(Group(files, 0)).size(), 3u);  // the empty files join
  EXPECT_EQ(Members(Group(files, 101)).size(), 0u);
}

TEST(GroupDuplicates, ByHashWhereBothHaveOne) {
  std::vector<ReportEntry> files{File("one", 50, {}, 1), File("two", 50, {}, 1),   File("one", 50, {}, 2),
                                 File("one", 50),        File("solo", 60, {}, 3), File("solo", 60),
                                 File("mixed", 70, {}, 4), File("mixed", 70, {}, 5), File("mixed", 70),
                                 File("MIXED", 70)};
  // one/two share hash 1 whatever their names; the one with hash 2 is another file.
  // The unhashed "one" has two hashes to choose from: it stays alone. "solo" without
  // a hash joins the only hash of its name. The unhashed "mixed" pair is a group of
  // its own beside two different hashes.
  EXPECT_EQ(Members(Group(files)), (std::vector<std::vector<std::uint32_t>>{{0, 1}, {4, 5}, {8, 9}}));
}

TEST(CopyFinder, FindsCopiesByTheSameRule) {
  CopyFinder finder(1);
  std::vector<ReportEntry> mine{File("a", 10), File("b", 10, {}, 1), File("c", 10, {}, 2), File("bare", {}),
                                File("empty", 0), File("D", 5)};
  for (const ReportEntry& file : mine) finder.Add(file);
  finder.Offer(File("A", 10));             // a: by name and size
  finder.Offer(File("renamed", 10, {}, 1));  // b: by hash
  finder.Offer(File("c", 10, {}, 9));      // c: both hashed, and they differ
  finder.Offer(File("bare", {}));
  finder.Offer(File("empty", 0));
  finder.Offer(File("d", 6));
  std::vector<bool> found;
  for (std::uint32_t i = 0; i < finder.Count(); ++i) found.push_back(finder.Found(i));
  EXPECT_EQ(found, (std::vector<bool>{true, true, false, false, false, false}));
  finder.Offer(File("d", 5, {}, 3));  // one side without a hash: name and size decide
  EXPECT_TRUE(finder.Found(5));
}

TEST(CaseBlindKey, IsEqualForNamesEqualIgnoringCase) {
  for (auto [a, b] : {std::pair{"Report_12.TXT", "report_12.txt"}, {"Straße 1", "STRASSE 1"}, {"\xE2\x84\xAA.x", "k.x"}})
    EXPECT_EQ(CaseBlindKey(a, 5), CaseBlindKey(b, 5)) << a;
  EXPECT_NE(CaseBlindKey("a_1", 5), CaseBlindKey("a_2", 5));
  EXPECT_NE(CaseBlindKey("a_1", 5), CaseBlindKey("a_1", 6));
}

}  // namespace
}  // namespace qvl
