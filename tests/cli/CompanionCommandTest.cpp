// qvl on a tree made here: the companion qvl list writes, what qvl info says of
// it, the dates of ls, find and search, and their filters.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fcntl.h>

#include <algorithm>
#include <filesystem>

#include "support/RunQvl.h"
#include "support/TempDir.h"

namespace qvl {
namespace {

using test::RunQvl;
using test::TempDir;

void SetTime(const std::string& path, std::int64_t seconds) {
  timespec times[2] = {{static_cast<time_t>(seconds), 0}, {static_cast<time_t>(seconds), 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

// In the tree: Docs/a.txt ("hi\n", 2021-01-01), photo.JPG (5 bytes, 2023-06-01),
// and Docs itself (2020-01-01).
struct ListedTree : ::testing::Test {
  ListedTree() {
    dir.MakeFile("tree/Docs/a.txt", "hi\n");
    dir.MakeFile("tree/photo.JPG", "12345");
    SetTime(dir / "tree/Docs/a.txt", 1609459200);
    SetTime(dir / "tree/photo.JPG", 1685577600);
    SetTime(dir / "tree/Docs", 1577836800);
  }
  test::QvlResult List(std::vector<std::string> more = {}) {
    std::vector<std::string> args{"list", "c", "--map", "c=" + (dir / "tree"), "-o", catalogue, "--if-exists",
                                  "overwrite"};
    args.insert(args.end(), more.begin(), more.end());
    return RunQvl(args);
  }
  TempDir dir;
  std::string catalogue = dir / "disk.qvl";
};

TEST_F(ListedTree, InfoTellsTheVolumeRecordAfterTheCataloguesOwnLines) {
  ASSERT_EQ(List().status, 0);
  auto info = RunQvl({"info", catalogue});
  ASSERT_EQ(info.status, 0) << info.err;
  const std::string& out = info.out;
  EXPECT_EQ(out.find("Catalogue: disk.qvl\nCaption:   c: []\nComment:   (none)\nFolders:   2\nFiles:     2\n"
                     "Bytes:     8\nVolume UUID:"),
            0u)
      << out;
  EXPECT_NE(out.find("\nListed folder: " + (dir / "tree") + "\n"), std::string::npos) << out;
  EXPECT_NE(out.find("\nListed by: Quorvalen v2.31\nFiles: 2\nBytes: 8\nHashes: no\n"), std::string::npos) << out;
  auto listed = out.find("\nListed: ");
  ASSERT_NE(listed, std::string::npos);
  EXPECT_EQ(out.substr(listed + 9 + 10, 1), "T");
  EXPECT_EQ(out.substr(listed + 9 + 19, 2), "Z\n");
  EXPECT_NE(out.find("\nCapacity: "), std::string::npos);
  EXPECT_NE(out.find("\nFile system: "), std::string::npos);

  ASSERT_EQ(List({"--hash"}).status, 0);
  EXPECT_NE(RunQvl({"info", catalogue}).out.find("\nHashes: yes\n"), std::string::npos);
  // Changed by another program: the companion is not used, and qvl says so.
  test::WriteFile(catalogue, test::ReadFile(catalogue) + "x");
  EXPECT_EQ(RunQvl({"info", catalogue}).out.substr(RunQvl({"info", catalogue}).out.rfind("Bytes:")),
            "Bytes:     8\nCompanion: stale\n");
  EXPECT_EQ(RunQvl({"ls", catalogue, "--dates"}).out, "D\tDocs\t\t\t\t\nF\tphoto.JPG\t5\t\t\t\n");
}

TEST_F(ListedTree, DatesAreOneMoreFieldAndFiltersChooseTheHits) {
  ASSERT_EQ(List().status, 0);
  EXPECT_EQ(RunQvl({"ls", catalogue}).out, "D\tDocs\t\t\t\nF\tphoto.JPG\t5\t\t\n");
  EXPECT_EQ(RunQvl({"ls", catalogue, "--dates"}).out,
            "D\tDocs\t\t\t\t2020-01-01T00:00:00Z\nF\tphoto.JPG\t5\t\t\t2023-06-01T00:00:00Z\n");
  EXPECT_EQ(RunQvl({"ls", catalogue, "\\Docs\\", "--dates"}).out, "F\ta.txt\t3\t\t\t2021-01-01T00:00:00Z\n");
  auto found = RunQvl({"find", catalogue, "o", "--dates"});
  EXPECT_EQ(found.out, "D\tDocs\t\t\\\t\t2020-01-01T00:00:00Z\nF\tphoto.JPG\t5\t\\\t\t2023-06-01T00:00:00Z\n");
  found = RunQvl({"find", catalogue, "o", "--newer", "2020-01-01T00:00:01"});
  EXPECT_EQ(found.out, "F\tphoto.JPG\t5\t\\\t\n");
  EXPECT_EQ(found.err, "Found 1 matching files and 0 folders\n");
  found = RunQvl({"find", catalogue, "o", "--older", "2020-06-01", "--dates"});
  EXPECT_EQ(found.out, "D\tDocs\t\t\\\t\t2020-01-01T00:00:00Z\n");
  auto searched = RunQvl({"search", ".", catalogue, "--ext", "jpg,TXT", "--min-size", "4", "--dates"});
  ASSERT_EQ(searched.status, 0) << searched.err;
  EXPECT_EQ(searched.out, "F\tphoto.JPG\t5\t\\\tdisk.qvl\t2023-06-01T00:00:00Z\n");
  searched = RunQvl({"search", ".", catalogue, "--max-size", "1K", "--older", "2022-01-01"});
  EXPECT_EQ(searched.out, "F\ta.txt\t3\t\\Docs\\\tdisk.qvl\n");
  EXPECT_EQ(RunQvl({"search", ".", catalogue, "--ext", "png"}).status, 1);

  // Merged into a copy listed later: each entry keeps its date, and the volume
  // merged in is named.
  ASSERT_EQ(RunQvl({"list", "c", "--map", "c=" + (dir / "tree"), "-o", dir / "copy.qvl"}).status, 0);
  ASSERT_EQ(RunQvl({"merge", catalogue, dir / "copy.qvl"}).status, 0);
  EXPECT_EQ(RunQvl({"ls", dir / "copy.qvl", "--dates"}).out,
            "D\tDocs\t\t\t\t2020-01-01T00:00:00Z\nD\tDocs\t\t\t\t2020-01-01T00:00:00Z\n"
            "F\tphoto.JPG\t5\t\t\t2023-06-01T00:00:00Z\nF\tphoto.JPG\t5\t\t\t2023-06-01T00:00:00Z\n");
  EXPECT_NE(RunQvl({"info", dir / "copy.qvl"}).out.find("\nMerged volume: "), std::string::npos);
}

// A disk that fills up while the companion is written (here: a file size limit
// past the catalogue's size but short of the companion's) stops the run before
// either rename: the old catalogue and its companion stay, a pair.
TEST_F(ListedTree, AFullDiskLeavesTheOldPair) {
  ASSERT_EQ(List().status, 0);
  const std::string oldCatalogue = test::ReadFile(catalogue), oldCompanion = test::ReadFile(catalogue + ".qvc");
  ASSERT_LT(oldCatalogue.size(), 60u);
  ASSERT_GT(oldCompanion.size(), 60u);
  dir.MakeFile("tree/new.txt", "new");
  auto full = RunQvl({"list", "c", "--map", "c=" + (dir / "tree"), "-o", catalogue, "--if-exists", "overwrite"}, {},
                     60);
  EXPECT_EQ(full.status, 2);
  // (The limit holds for stderr too: the message is cut short.)
  EXPECT_EQ(full.err.find("qvl: Cannot write to"), 0u) << full.err;
  EXPECT_EQ(test::ReadFile(catalogue), oldCatalogue);
  EXPECT_EQ(test::ReadFile(catalogue + ".qvc"), oldCompanion);
  EXPECT_NE(RunQvl({"info", catalogue}).out.find("\nHashes: no\n"), std::string::npos);
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) left.push_back(entry.path().filename());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"disk.qvl", "disk.qvl.qvc", "tree"}));
}

TEST_F(ListedTree, BadValuesAreRefused) {
  ASSERT_EQ(List().status, 0);
  for (std::vector<std::string> args : {std::vector<std::string>{"find", catalogue, "o", "--newer", "yesterday"},
                                        {"find", catalogue, "o", "--older", "2026-02-30"},
                                        {"search", "o", catalogue, "--min-size", "1KB"},
                                        {"search", "o", catalogue, "--ext", ","},
                                        {"ls", catalogue, "--newer", "2020-01-01"}}) {
    auto result = RunQvl(args);
    EXPECT_EQ(result.status, 2) << args[3];
    EXPECT_NE(result.err.find("Usage: qvl"), std::string::npos);
  }
  auto plain = RunQvl({"list", "c", "--map", "c=" + (dir / "tree"), "-o", dir / "list.txt", "--method",
                       "collapsed", "--hash"});
  EXPECT_EQ(plain.status, 2);
  EXPECT_NE(plain.err.find("--hash is for catalogues"), std::string::npos);
  auto help = RunQvl({"--help"});
  for (const char* said : {"--hash", "--dates", "--newer DATE", "--ext LIST", "disk.qvl.qvc", "Companion: none"})
    EXPECT_NE(help.out.find(said), std::string::npos) << said;
}

}  // namespace
}  // namespace qvl
