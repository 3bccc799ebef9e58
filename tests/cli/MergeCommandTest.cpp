// qvl merge, and qvl list appending to a catalogue, run as a user would.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/Bytes.h"
#include "support/RunQvl.h"
#include "support/TempDir.h"

namespace qvl {
namespace {

using test::Bytes;
using test::ReadFile;
using test::RunQvl;
using test::TempDir;

const std::string kSource = Bytes("\x00" "x: [other]" "\x04" "B" "\x01" "B" "\x03" "g" "\x02\x02\x00");
const std::string kDestination =
    Bytes("\x00" "c: [data]" "\x00" "old\r\n" "\x04" "A" "\x01" "A" "\x03" "f" "\x02\x02\x00");

bool NoTemporaryFiles(const TempDir& dir) {
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
    if (entry.path().string().ends_with(".tmp")) return false;
  return true;
}

TEST(QvlMerge, ImportsSourceIntoDestinationWithTheCommentGiven) {
  TempDir dir;
  dir.MakeFile("s.qvl", kSource);
  dir.MakeFile("d.qvl", kDestination);
  auto result = RunQvl({"merge", "s.qvl", "d.qvl", "--comment", "one", "--comment", "two"}, dir.Path());
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out + result.err, "");
  EXPECT_EQ(ReadFile(dir / "d.qvl"), Bytes("\x00" "c: [data]" "\x00" "one\r\ntwo\r\n" "\x04" "B" "\x04" "A" "\x01"
                                           "A" "\x03" "f" "\x02" "\x01" "B" "\x03" "g" "\x02" "\x02\x00"));
  EXPECT_EQ(ReadFile(dir / "s.qvl"), kSource);
}

TEST(QvlMerge, RefusalsAndFailuresLeaveTheDestination) {
  TempDir dir;
  dir.MakeFile("s.qvl", kSource);
  dir.MakeFile("d.qvl", kDestination);
  auto same = RunQvl({"merge", "./d.qvl", "d.qvl"}, dir.Path());
  EXPECT_EQ(same.status, 2);
  EXPECT_EQ(same.err, "qvl: Source and destination is the same!\nqvl: Aborting,\n");
  auto missing = RunQvl({"merge", "none.qvl", "d.qvl"}, dir.Path());
  EXPECT_EQ(missing.err, "qvl: Cannot open \"none.qvl\": No such file or directory\n");

  // A full disk: the merged file does not fit, the destination stays.
  dir.MakeFile("s.qvl", Bytes("\x00" "x:" "\x03") + std::string(200, 'g') + Bytes("\x02\x00"));
  auto full = RunQvl({"merge", "s.qvl", "d.qvl"}, dir.Path(), 100);
  EXPECT_EQ(full.status, 2);
  EXPECT_EQ(full.err, "qvl: Cannot write to \"d.qvl.imp.tmp\": File too large\n");
  EXPECT_EQ(ReadFile(dir / "d.qvl"), kDestination);
  EXPECT_TRUE(NoTemporaryFiles(dir));

  // A source that is no catalogue, or only the first part of one, is refused as
  // info refuses it: merged, it would read as folders of garbage or as a whole.
  for (const std::string& bytes : {std::string(), std::string("\x89PNG\r\n\x1a\n", 8), std::string("notes\n"),
                                   kSource.substr(0, kSource.size() - 3)}) {
    dir.MakeFile("s.qvl", bytes);
    auto refused = RunQvl({"merge", "s.qvl", "d.qvl"}, dir.Path());
    EXPECT_EQ(refused.status, 2) << bytes;
    EXPECT_EQ(refused.err, bytes.size() > 9 ? "qvl: \"s.qvl\" ends before its end mark; it may be cut short, and is "
                                              "not merged\n"
                                            : "qvl: \"s.qvl\" is not a catalogue\n");
    EXPECT_EQ(ReadFile(dir / "d.qvl"), kDestination);
  }
}

struct CatalogueAppend : ::testing::Test {
  CatalogueAppend() {
    dir.MakeFile("tree/readme.txt", std::string(1234, 'r'));
    dir.MakeFile("tree/Docs/a.txt", std::string(12, 'a'));
  }
  test::QvlResult List(std::vector<std::string> more, long long sizeLimit = -1) {
    std::vector<std::string> args{"list", "c", "--map", "c=" + (dir / "tree"), "--label", "DATA", "-o", output};
    args.insert(args.end(), more.begin(), more.end());
    return RunQvl(args, {}, sizeLimit);
  }
  TempDir dir;
  std::string output = dir / "disk.qvl";
};

TEST_F(CatalogueAppend, ANewListingIsMergedIntoTheCatalogue) {
  ASSERT_EQ(List({"--comment", "first"}).status, 0);
  dir.MakeFile("tree/Docs/Deep/Deeper/d.txt", "dd");
  auto result = List({"--if-exists", "append", "--no-sizes", "--comment", "merged"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "Listing complete\n");
  EXPECT_EQ(ReadFile(output), Bytes("\x00" "c: [data]" "\x00" "merged\r\n"
                                    "\x04" "Docs" "\x03" "readme.txt" "\x04" "Docs" "\x03" "readme.txt/1234"
                                    "\x01" "Docs" "\x04" "Deep" "\x03" "a.txt" "\x03" "a.txt/12"
                                    "\x01" "Deep" "\x04" "Deeper" "\x01" "Deeper" "\x03" "d.txt" "\x02" "\x02"
                                    "\x02" "\x02\x00"));
  EXPECT_TRUE(NoTemporaryFiles(dir));
}

TEST_F(CatalogueAppend, FailuresLeaveTheCatalogueAndNoTemporaryFile) {
  for (int i = 0; i < 20; ++i) dir.MakeFile("tree/Docs/a file with a name of some length " + std::to_string(i));
  ASSERT_EQ(List({}).status, 0);
  const std::string catalogue = ReadFile(output);
  // The listing fits under the limit (and so does the message), the merged file does not.
  auto full = List({"--if-exists", "append"}, static_cast<long long>(catalogue.size()) + 200);
  EXPECT_EQ(full.status, 2);
  EXPECT_EQ(full.err, "qvl: Cannot write to \"" + output + ".imp.tmp\": File too large\n");
  EXPECT_EQ(ReadFile(output), catalogue);
  EXPECT_TRUE(NoTemporaryFiles(dir));

  auto locked = RunQvl({"list", "c", "--map", "c=" + (dir / "tree"), "-o", dir / "none/disk.qvl"});
  EXPECT_EQ(locked.status, 2);
  EXPECT_EQ(locked.err, "qvl: File is locked by another application.\nqvl: Aborting. (Cannot create \"" +
                            (dir / "none/disk.qvl") + "\": No such file or directory)\n");
}

}  // namespace
}  // namespace qvl
