// The companion as the create-list command writes it: beside every catalogue
// written, with each entry's time in the catalogue's order, and never one that
// is not its catalogue's.
#include <gtest/gtest.h>

#include <filesystem>

#include "browse/FolderView.h"
#include "browse/Import.h"
#include "catalogue/CompanionFile.h"
#include "listing/CreateListCommand.h"
#include "search/QuickFind.h"
#include "support/FakeDirectory.h"
#include "support/TempDir.h"

namespace qvl {
namespace {

using test::FileOf;
using test::Folder;
using test::ReadFile;
using Strings = std::vector<std::string>;
using Times = std::vector<std::int64_t>;

struct Answers final : CreateListAnswers {
  OutputChoice OutputExists(const std::string&, ListMethod) override { return choice; }
  std::optional<CommentLines> AskComment() override { return std::nullopt; }
  OutputChoice choice = OutputChoice::Overwrite;
};

struct NoHistory final : CatalogueHistory {
  void AddCatalogue(const std::string&) override {}
};

struct Unreadable final : Progress {
  void FileUnreadable(std::string_view path, std::string_view reason) override {
    files.push_back(std::string(path) + ": " + std::string(reason));
  }
  void Status(std::string_view text) override { last = text; }
  Strings files;
  std::string last;
};

// The sample disk with times: each entry's time is `base` plus its own number.
void AddTimedDisk(test::FakeDirectory& drive, std::int64_t base) {
  drive.AddFolder("", {FileOf("zz.bin", 200, base + 1), Folder("Docs", base + 2), FileOf("readme.txt", 1234, base + 3)});
  drive.AddFolder("Docs", {FileOf("a.txt", 12, base + 4)});
}

struct CompanionListing : ::testing::Test {
  CompanionListing() { AddTimedDisk(drive, 1000); }

  void Run(bool hashes = false) {
    CreateListRequest request;
    request.list.drive.label = "DATA";
    request.list.drive.rootDirectory = "/media/me/DATA";
    request.list.contentHashes = hashes;
    request.list.volumeFacts = [](const std::string&) {
      return VolumeFacts{"1234-ABCD", "DATA", "vfat", 64000, 1000};
    };
    request.list.clock = [this] { return listedAt; };
    request.output = output;
    ImportListing import = [](const std::string& listed, const std::string& destination,
                              const std::optional<CommentLines>& comment, Progress& shown) {
      Catalogue source;
      ImportCatalogueFile(source, listed, destination, true, comment, shown);
    };
    ASSERT_EQ(RunCreateList(request, answers, drive, collator, history, import, progress), CreateListResult::Complete);
  }
  CompanionData Companion() const {
    auto data = DecodeCompanion(ReadFile(output + ".qvc"));
    return data ? *data : CompanionData{};
  }
  // The dates of a folder's rows, as the Browse view gets them.
  Times RowTimes(const std::string& path) {
    Progress quiet;
    catalogue.LoadCatalogue(output, true, quiet);
    ListRows rows;
    ShowFolder(catalogue, path, rows);
    Times times;
    for (const ListRow& row : rows.rows) times.push_back(row.modified);
    return times;
  }
  Strings Files() const {
    Strings names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  test::TempDir dir;
  std::string output = dir / "disk.qvl";
  test::FakeDirectory drive;
  Collator collator{"en_US"};
  Answers answers;
  NoHistory history;
  Unreadable progress;
  std::int64_t listedAt = UtcSeconds(2026, 12, 9, 14);
  Catalogue catalogue;
};

TEST_F(CompanionListing, ANewCatalogueGetsItsTimesInEntryOrderAndItsVolume) {
  Run();
  // Docs, readme.txt, zz.bin in the root, then a.txt in Docs.
  CompanionData data = Companion();
  EXPECT_EQ(data.times, (Times{1002, 1003, 1001, 1004}));
  EXPECT_EQ(data.folderFirstEntry, (std::vector<std::uint64_t>{0, 3}));
  EXPECT_FALSE(data.HasHashes());
  EXPECT_EQ(data.volume, (VolumeRecord{.uuid = "1234-ABCD",
                                       .label = "DATA",
                                       .fileSystem = "vfat",
                                       .listedFolder = "/media/me/DATA",
                                       .programVersion = "Quorvalen v2.31",
                                       .capacity = 64000,
                                       .free = 1000,
                                       .listedAt = listedAt,
                                       .files = 3,
                                       .bytes = 1446}));
  EXPECT_EQ(CompanionFingerprint(ReadFile(output + ".qvc")),
            (CatalogueFingerprint{ReadFile(output).size(), Hash64Of(ReadFile(output))}));
  EXPECT_EQ(RowTimes("\\"), (Times{1002, 1003, 1001}));
  EXPECT_EQ(catalogue.CompanionStatus(), CompanionState::Valid);
  EXPECT_EQ(RowTimes("\\Docs\\"), (Times{1004}));
  EXPECT_EQ(Files(), (Strings{"disk.qvl", "disk.qvl.qvc"}));
}

TEST_F(CompanionListing, ContentHashesAndTheFilesThatCannotBeRead) {
  drive.AddContent("readme.txt", "read me");
  drive.AddContent("Docs/a.txt", "hi\n");
  Run(true);
  CompanionData data = Companion();
  ASSERT_TRUE(data.HasHashes());
  EXPECT_EQ(data.HashOf(0), nullptr);  // a folder
  ASSERT_NE(data.HashOf(1), nullptr);
  EXPECT_EQ(*data.HashOf(1), Hash128Of("read me"));
  EXPECT_EQ(data.HashOf(2), nullptr);  // zz.bin could not be read
  ASSERT_NE(data.HashOf(3), nullptr);
  EXPECT_EQ(HashText(*data.HashOf(3)), "f4d0497cf9394caab34d1a3ab2bece70");
  EXPECT_EQ(progress.files, (Strings{"C:\\zz.bin: Permission denied"}));
  EXPECT_EQ(data.times, (Times{1002, 1003, 1001, 1004}));
}

TEST_F(CompanionListing, AnOverwriteReplacesBothAndAnAppendKeepsEverySidesTimes) {
  Run();
  AddTimedDisk(drive, 2000);
  Run();
  EXPECT_EQ(Companion().times, (Times{2002, 2003, 2001, 2004}));
  EXPECT_EQ(Files(), (Strings{"disk.qvl", "disk.qvl.qvc"}));

  // The drive gained \Docs\New\; the listing is merged in: the listing's entries
  // lead each folder, the catalogue's own follow, each with its own time.
  drive.AddFolder("Docs", {FileOf("a.txt", 12, 3004), Folder("New", 3005)});
  drive.AddFolder("Docs/New", {FileOf("n.txt", 1, 3006)});
  drive.AddFolder("", {FileOf("zz.bin", 200, 3001), Folder("Docs", 3002), FileOf("readme.txt", 1234, 3003)});
  answers.choice = OutputChoice::Append;
  const std::int64_t firstListing = listedAt;
  listedAt += 3600;
  Run();
  EXPECT_EQ(RowTimes("\\"), (Times{3002, 3003, 3001, 2002, 2003, 2001}));
  EXPECT_EQ(RowTimes("\\Docs\\"), (Times{3005, 3004, 2004}));
  EXPECT_EQ(RowTimes("\\Docs\\New\\"), (Times{3006}));
  CompanionData data = Companion();
  EXPECT_EQ(data.volume.listedAt, firstListing);
  ASSERT_EQ(data.mergedVolumes.size(), 1u);
  EXPECT_EQ(data.mergedVolumes[0].listedAt, listedAt);
  EXPECT_EQ(data.mergedVolumes[0].files, 4u);
  EXPECT_EQ(Files(), (Strings{"disk.qvl", "disk.qvl.qvc"}));
}

// A run stopped between the two renames leaves the new catalogue beside the old
// companion; another program may also change a catalogue. Either way the
// companion is not the catalogue's, and nothing shows a date from it.
TEST_F(CompanionListing, ACompanionThatIsNotTheCatalogueIsNeverUsed) {
  Run();
  const std::string oldCompanion = ReadFile(output + ".qvc");
  AddTimedDisk(drive, 5000);
  drive.AddFolder("Docs", {FileOf("b.txt", 12, 5004)});  // as long as a.txt: the same size
  Run();
  test::WriteFile(output + ".qvc", oldCompanion);
  EXPECT_EQ(ReadFile(output).size(), CompanionFingerprint(oldCompanion)->size);
  EXPECT_EQ(RowTimes("\\"), (Times(3, kUnknownTime)));
  EXPECT_EQ(catalogue.CompanionStatus(), CompanionState::Stale);
  EXPECT_EQ(catalogue.CompanionInfo(), nullptr);
  EXPECT_EQ(RowTimes("\\Docs\\"), (Times{kUnknownTime}));
  ListRows hits;
  Progress quiet;
  FindEntries(catalogue, "txt", hits, quiet);
  ASSERT_EQ(hits.rows.size(), 2u);
  EXPECT_EQ(hits.rows[0].modified, kUnknownTime);
  EXPECT_EQ(catalogue.OriginText(), "Created from c: [data]\r\nFile Comment:\r\n(none)");

  // Without one at all, the same.
  std::filesystem::remove(output + ".qvc");
  EXPECT_EQ(RowTimes("\\"), (Times(3, kUnknownTime)));
  EXPECT_EQ(catalogue.CompanionStatus(), CompanionState::None);
}

// Times and hashes are sorted with their names, however the enumeration orders them.
TEST_F(CompanionListing, EachTimeStaysWithItsName) {
  std::vector<DirEntry> entries;
  for (int i = 0; i < 60; ++i) {
    int n = (i * 37) % 60;  // an order of its own
    std::string name = (n % 2 ? "F" : "f") + std::to_string(n);
    entries.push_back(n % 3 == 0 ? Folder("d" + name, 100 + n) : FileOf(name, n, 100 + n));
    if (n % 3 != 0) drive.AddContent(name, name);
  }
  drive.AddFolder("", entries);
  Run(true);
  Progress quiet;
  catalogue.LoadCatalogue(output, true, quiet);
  ListRows rows;
  ShowFolder(catalogue, "\\", rows);
  ASSERT_EQ(rows.rows.size(), 60u);
  const CompanionData* data = catalogue.CompanionInfo();
  ASSERT_NE(data, nullptr);
  for (std::size_t i = 0; i < rows.rows.size(); ++i) {
    const ListRow& row = rows.rows[i];
    std::string digits = row.caption.substr(row.isFolder ? 2 : 1);
    EXPECT_EQ(row.modified, 100 + std::stoi(digits)) << row.caption;
    if (row.isFolder) continue;
    ASSERT_NE(data->HashOf(i), nullptr) << row.caption;
    EXPECT_EQ(*data->HashOf(i), Hash128Of(row.caption));
  }
}

// The companion of the listing an append merges has a fixed name too, and is made
// anew: one planted there is refused before anything is written.
TEST_F(CompanionListing, APlantedCompanionOfTheAppendsListingIsNeverWrittenThrough) {
  Run();
  const std::string catalogueBefore = ReadFile(output), companionBefore = ReadFile(output + ".qvc");
  test::WriteFile(dir / "victim", "victim's");
  std::filesystem::create_symlink(dir / "victim", output + ".tmp.qvc");
  answers.choice = OutputChoice::Append;
  try {
    Run();
    ADD_FAILURE();
  } catch (const LockedOutputError& error) {
    EXPECT_NE(error.Reason().find("disk.qvl.tmp.qvc\": a file of that name is in the way"), std::string::npos);
  }
  EXPECT_EQ(ReadFile(dir / "victim"), "victim's");
  EXPECT_EQ(ReadFile(output), catalogueBefore);
  EXPECT_EQ(ReadFile(output + ".qvc"), companionBefore);
  EXPECT_EQ(Files(), (Strings{"disk.qvl", "disk.qvl.qvc", "disk.qvl.tmp.qvc", "victim"}));
}

TEST_F(CompanionListing, APlainListGetsNoneAndTheBenchmarksListingNeither) {
  CreateListRequest request;
  request.list.method = ListMethod::FoldersAndFilenames;
  request.output = output;
  ASSERT_EQ(RunCreateList(request, answers, drive, collator, history, {}, progress), CreateListResult::Complete);
  EXPECT_EQ(Files(), (Strings{"disk.qvl"}));
  request.list.method = ListMethod::Catalogue;
  request.list.companion = false;
  ASSERT_EQ(RunCreateList(request, answers, drive, collator, history, {}, progress), CreateListResult::Complete);
  EXPECT_EQ(Files(), (Strings{"disk.qvl"}));
}

}  // namespace
}  // namespace qvl
