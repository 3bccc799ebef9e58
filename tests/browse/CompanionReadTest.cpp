// Readers of a catalogue with a companion: the merge carries every entry's data
// across in the merged order, the searches give hits their dates, and hostile
// companions are refused without harm.
#include <gtest/gtest.h>

#include <filesystem>

#include "browse/FolderView.h"
#include "browse/Import.h"
#include "catalogue/CompanionFile.h"
#include "search/QuickFind.h"
#include "search/SearchCatalogues.h"
#include "support/Bytes.h"
#include "support/TempDir.h"

namespace qvl {
namespace {

using test::Bytes;
using test::ReadFile;
using Times = std::vector<std::int64_t>;

// A catalogue and, unless `times` is empty, its companion.
void WriteCatalogue(const std::string& path, const std::string& bytes, const Times& times,
                    std::vector<std::uint64_t> folderFirst, const std::string& label = {},
                    const std::vector<std::optional<Hash128>>& hashes = {}) {
  test::WriteFile(path, bytes);
  if (times.empty()) return;
  Companion companion;
  companion.fingerprint = {bytes.size(), Hash64Of(bytes)};
  companion.data.volume.label = label;
  for (std::size_t i = 0; i < times.size(); ++i)
    companion.data.AddEntry(times[i], i < hashes.size() && hashes[i] ? &*hashes[i] : nullptr);
  companion.data.folderFirstEntry = std::move(folderFirst);
  test::WriteFile(CompanionPath(path), EncodeCompanion(companion));
}

Times RowTimes(Catalogue& catalogue, const std::string& path) {
  Progress quiet;
  ListRows rows;
  EXPECT_TRUE(ShowFolder(catalogue, path, rows)) << path;
  Times times;
  for (const ListRow& row : rows.rows) times.push_back(row.modified);
  return times;
}

constexpr std::int64_t U = kUnknownTime;

// Destination: the root holds A, A holds f. Source: the root holds B, B holds g.
// Merged: the root holds B then A, A holds f, and B (new) goes last inside the root.
struct MergedPair : ::testing::Test {
  void Merge(bool sourceDates, bool destinationDates) {
    WriteCatalogue(destination, Bytes("\x00" "c: [d]" "\x04" "A" "\x01" "A" "\x03" "f" "\x02\x02\x00"),
                   destinationDates ? Times{10, 11} : Times{}, {0, 1}, "DEST");
    WriteCatalogue(source, Bytes("\x00" "s:" "\x04" "B" "\x01" "B" "\x03" "g" "\x02\x02\x00"),
                   sourceDates ? Times{20, 21} : Times{}, {0, 1}, "SOURCE", {std::nullopt, Hash128{5, 6}});
    Catalogue catalogue;
    Progress quiet;
    ASSERT_TRUE(ImportCatalogueFile(catalogue, source, destination, false, std::nullopt, quiet));
    merged.LoadCatalogue(destination, true, quiet);
    ASSERT_EQ(ReadFile(destination),
              Bytes("\x00" "c: [d]" "\x04" "B" "\x04" "A" "\x01" "A" "\x03" "f" "\x02" "\x01" "B" "\x03" "g" "\x02\x02\x00"));
  }
  test::TempDir dir;
  std::string source = dir / "source.qvl", destination = dir / "dest.qvl";
  Catalogue merged;
};

TEST_F(MergedPair, EntriesFromBothSidesKeepTheirDatesInTheMergedOrder) {
  Merge(true, true);
  ASSERT_EQ(merged.CompanionStatus(), CompanionState::Valid);
  EXPECT_EQ(merged.CompanionInfo()->times, (Times{20, 10, 11, 21}));
  EXPECT_EQ(RowTimes(merged, "\\"), (Times{20, 10}));
  EXPECT_EQ(RowTimes(merged, "\\A\\"), (Times{11}));
  EXPECT_EQ(RowTimes(merged, "\\B\\"), (Times{21}));
  // The destination's volume, the source's merged into it; g's hash came along.
  EXPECT_EQ(merged.CompanionInfo()->volume.label, "DEST");
  ASSERT_EQ(merged.CompanionInfo()->mergedVolumes.size(), 1u);
  EXPECT_EQ(merged.CompanionInfo()->mergedVolumes[0].label, "SOURCE");
  ASSERT_NE(merged.CompanionInfo()->HashOf(3), nullptr);
  EXPECT_EQ(*merged.CompanionInfo()->HashOf(3), (Hash128{5, 6}));
  EXPECT_EQ(merged.CompanionInfo()->HashOf(1), nullptr);
  EXPECT_NE(merged.OriginText().find("\r\nVolume label: DEST\r\n"), std::string::npos);
}

TEST_F(MergedPair, TheEntriesOfASideWithoutACompanionAreUnknown) {
  Merge(false, true);
  EXPECT_EQ(merged.CompanionInfo()->times, (Times{U, 10, 11, U}));
  EXPECT_TRUE(merged.CompanionInfo()->mergedVolumes.empty());
  Merge(true, false);
  EXPECT_EQ(merged.CompanionInfo()->times, (Times{20, U, U, 21}));
  EXPECT_EQ(merged.CompanionInfo()->volume, VolumeRecord{});
}

TEST_F(MergedPair, WithoutEitherNoneIsWrittenAndAStaleOneGoes) {
  Merge(false, false);
  EXPECT_EQ(merged.CompanionStatus(), CompanionState::None);
  // A destination whose companion is another catalogue's counts as one without.
  WriteCatalogue(dir / "other.qvl", Bytes("\x00" "x:" "\x03" "q" "\x02\x00"), {1}, {0});
  std::filesystem::copy_file(CompanionPath(dir / "other.qvl"), CompanionPath(destination),
                             std::filesystem::copy_options::overwrite_existing);
  Catalogue catalogue;
  Progress quiet;
  ASSERT_TRUE(ImportCatalogueFile(catalogue, dir / "other.qvl", destination, false, std::nullopt, quiet));
  merged.LoadCatalogue(destination, true, quiet);
  ASSERT_EQ(merged.CompanionStatus(), CompanionState::Valid);
  EXPECT_EQ(merged.CompanionInfo()->times.front(), 1);
  EXPECT_EQ(merged.CompanionInfo()->times.size(), 5u);
  EXPECT_EQ(std::count(merged.CompanionInfo()->times.begin(), merged.CompanionInfo()->times.end(), U), 4);
}

// The disk of two folders used by the searches: entries Docs, readme.txt, zz.bin,
// then a.txt in Docs.
struct DatedDisk : ::testing::Test {
  DatedDisk() {
    WriteCatalogue(path,
                   Bytes("\x00" "c: [data]" "\x04" "Docs" "\x03" "readme.txt/1234" "\x03" "zz.bin/200" "\x01" "Docs"
                         "\x03" "a.txt/12" "\x02\x02\x00"),
                   {UtcSeconds(2020, 1, 1), UtcSeconds(2021, 1, 1), U, UtcSeconds(2022, 1, 1)}, {0, 3});
  }
  std::string Found(const HitOptions& hits = {}) {
    ListRows rows;
    SearchProgress quiet;
    SearchNamedCatalogue("t", path, rows, quiet, hits);
    std::string text;
    for (const ListRow& row : rows.rows) text += row.caption + " " + IsoUtcText(row.modified) + "\n";
    return text;
  }
  test::TempDir dir;
  std::string path = dir / "disk.qvl";
};

TEST_F(DatedDisk, HitsOfBothSearchesCarryTheirDates) {
  EXPECT_EQ(Found(), "readme.txt 2021-01-01T00:00:00Z\na.txt 2022-01-01T00:00:00Z\n");
  EXPECT_EQ(Found({.withDates = false}), "readme.txt \na.txt \n");
  Catalogue catalogue;
  Progress quiet;
  catalogue.LoadCatalogue(path, true, quiet);
  ListRows rows;
  FindEntries(catalogue, "b", rows, quiet);  // zz.bin, whose date is not known
  ASSERT_EQ(rows.rows.size(), 1u);
  EXPECT_EQ(rows.rows[0].modified, U);
  FindEntries(catalogue, "docs", rows, quiet);
  ASSERT_EQ(rows.rows.size(), 1u);
  EXPECT_EQ(rows.rows[0].modified, UtcSeconds(2020, 1, 1));

  // Changed by another program: the same size, other bytes. No dates.
  std::string bytes = ReadFile(path);
  bytes[bytes.find("zz")] = 'y';
  test::WriteFile(path, bytes);
  EXPECT_EQ(Found(), "readme.txt \na.txt \n");
}

TEST_F(DatedDisk, FiltersKeepTheHitsThatPassAll) {
  HitFilter filter;
  filter.newerThan = UtcSeconds(2021, 6, 1);
  EXPECT_EQ(Found({.filter = &filter}), "a.txt 2022-01-01T00:00:00Z\n");
  filter = {};
  filter.olderThan = UtcSeconds(2021, 6, 1);
  // Rows are dated to be tested, whether or not dates were asked for.
  EXPECT_EQ(Found({.withDates = false, .filter = &filter}), "readme.txt 2021-01-01T00:00:00Z\n");
  filter = {};
  filter.minSize = 100;
  filter.maxSize = 1000;
  ListRows rows;
  SearchProgress quiet;
  SearchNamedCatalogue("z", path, rows, quiet, {.filter = &filter});
  ASSERT_EQ(rows.rows.size(), 1u);
  EXPECT_EQ(rows.rows[0].caption, "zz.bin");
  filter = {};
  filter.extensions = {"TXT"};
  EXPECT_EQ(Found({.filter = &filter}), "readme.txt 2021-01-01T00:00:00Z\na.txt 2022-01-01T00:00:00Z\n");
  filter.extensions = {"bin", "xt"};
  EXPECT_EQ(Found({.filter = &filter}), "");
  // The outcome counts only the rows kept.
  filter.extensions = {"txt"};
  filter.newerThan = UtcSeconds(2021, 6, 1);
  EXPECT_EQ(SearchNamedCatalogue("t", path, rows, quiet, {.filter = &filter}).fileCount, 1);
}

TEST(HitFilter, WhatPassesWhichTest) {
  HitFilter dates{.newerThan = 100, .olderThan = 200};
  EXPECT_TRUE(dates.Passes({.caption = "a", .modified = 150}));
  EXPECT_TRUE(dates.Passes({.isFolder = true, .caption = "d", .modified = 150}));
  EXPECT_FALSE(dates.Passes({.caption = "a", .modified = 100}));
  EXPECT_FALSE(dates.Passes({.caption = "a", .modified = 200}));
  EXPECT_FALSE(dates.Passes({.caption = "a"}));  // no date
  HitFilter sizes{.minSize = 10};
  EXPECT_TRUE(sizes.Passes({.caption = "a", .fileSize = "10"}));
  EXPECT_TRUE(sizes.Passes({.caption = "a", .fileSize = "-2147483648"}));  // 2 GiB, stored as 32 bits
  EXPECT_FALSE(sizes.Passes({.caption = "a", .fileSize = "9"}));
  EXPECT_FALSE(sizes.Passes({.caption = "a"}));
  EXPECT_FALSE(sizes.Passes({.isFolder = true, .caption = "d"}));
  HitFilter extensions{.extensions = {"gz", "JPG"}};
  EXPECT_TRUE(extensions.Passes({.caption = "a.tar.GZ"}));
  EXPECT_TRUE(extensions.Passes({.caption = "photo.jpg"}));
  EXPECT_FALSE(extensions.Passes({.caption = "jpg"}));
  EXPECT_FALSE(extensions.Passes({.caption = "a.xjpg"}));
  EXPECT_FALSE(extensions.Passes({.isFolder = true, .caption = "d.jpg"}));
  EXPECT_EQ(ParseByteSize("1K"), 1024u);
  EXPECT_EQ(ParseByteSize("2m"), 2u << 20);
  EXPECT_EQ(ParseByteSize("3T"), std::uint64_t{3} << 40);
  EXPECT_EQ(ParseByteSize("12"), 12u);
  for (const char* bad : {"", "K", "1KB", "-1", "1.5G", "99999999999T"}) EXPECT_FALSE(ParseByteSize(bad)) << bad;
}

// The companions beside the hostile catalogues are hostile too: cut short, of
// random bytes, with huge counts, with a head that names their catalogue. None is
// used, and none harms a reader.
TEST(HostileCompanion, NoneBesideTheCorpusIsUsed) {
  int companions = 0;
  for (const auto& entry : std::filesystem::directory_iterator(QVL_HOSTILE_DIR)) {
    std::string name = entry.path().string();
    if (!name.ends_with(".qvc")) continue;
    ++companions;
    std::string catalogueName = name.substr(0, name.size() - 4);
    Catalogue catalogue;
    Progress quiet;
    ASSERT_TRUE(catalogue.LoadCatalogue(catalogueName, true, quiet)) << catalogueName;
    EXPECT_EQ(catalogue.CompanionStatus(), CompanionState::Stale) << name;
    auto state = StateOf(catalogueName);
    EXPECT_EQ(ReadCompanionFor(catalogueName, *state).state, CompanionState::Stale) << name;
    EXPECT_FALSE(DecodeCompanion(ReadFile(name))) << name;
  }
  EXPECT_GE(companions, 5);
}

}  // namespace
}  // namespace qvl
