// Feeding a catalogue back to the listing writers, folder by folder.
#include <gtest/gtest.h>

#include "browse/CatalogueFiles.h"
#include "browse/CatalogueReplay.h"
#include "catalogue/Fields.h"
#include "listing/CatalogueWriter.h"
#include "listing/CreateList.h"
#include "listing/PlainListWriters.h"
#include "listing/Walk.h"
#include "support/FakeDirectory.h"

namespace qvl {
namespace {

using test::Bytes;
using test::CatalogueFile;
using test::FileOf;
using test::Folder;
using Strings = std::vector<std::string>;

// Writes the loaded catalogue anew through the catalogue writer.
std::string Rewritten(Catalogue& catalogue) {
  StringSink out;
  CatalogueWriter writer(out);
  std::optional<CommentLines> comment;
  if (catalogue.CommentBlock()) comment = CommentLinesOf(*catalogue.CommentBlock());
  writer.WriteCatalogueHeader(catalogue.Caption(), comment);
  Progress quiet;
  ReplayCatalogue(catalogue, writer, {.entryTexts = true}, quiet);
  writer.WriteEndMark();
  return out.text;
}

TEST(ReplayCatalogue, WalkWrittenCataloguesComeOutByteForByte) {
  test::FakeDirectory drive;
  drive.AddFolder("", {Folder("Docs"), Folder("Empty"), Folder("deep"), FileOf("readme.txt", 1234),
                       FileOf("big.iso", 5000000000LL)});
  drive.AddFolder("Docs", {Folder("Old"), FileOf("a.txt", 12)});
  drive.AddFolder("Docs/Old", {FileOf("b", 0)});
  drive.AddFolder("Empty", {});
  drive.AddFolder("deep", {Folder("er")});
  drive.AddFolder("deep/er", {Folder("est")});
  drive.AddFolder("deep/er/est", {FileOf("bottom", 1)});
  Collator collator("en_US");
  Progress quiet;
  for (bool withSizes : {true, false}) {
    for (const auto& comment : {std::optional<CommentLines>(), std::optional<CommentLines>(CommentLines{}),
                                std::optional<CommentLines>(CommentLines{"A", "", "B", "C"})}) {
      ListRequest request;
      request.drive.letter = 'e';
      request.drive.type = DriveType::Fixed;
      request.drive.label = "Disk";
      request.withSizes = withSizes;
      request.comment = comment;
      StringSink listed;
      WriteListing(request, listed, drive, collator, quiet);
      CatalogueFile file(listed.text);
      EXPECT_EQ(Rewritten(file.Load()), listed.text) << withSizes;
    }
  }
  CatalogueFile example(test::SampleDisk());
  EXPECT_EQ(Rewritten(example.Load()), test::SampleDisk());
}

// A plain list written from a catalogue is the one the walk writes of the drive.
TEST(ReplayCatalogue, PlainListsMatchTheWalk) {
  test::FakeDirectory drive;
  drive.AddFolder("", {Folder("Docs"), FileOf("readme.txt", 1234), FileOf("zz.bin", 200)});
  drive.AddFolder("Docs", {Folder("Old"), FileOf("a.txt", 12)});
  drive.AddFolder("Docs/Old", {});
  Collator collator("en_US");
  Progress quiet;
  ListRequest request;
  request.drive.letter = 'c';
  request.drive.type = DriveType::Fixed;
  StringSink catalogueBytes;
  WriteListing(request, catalogueBytes, drive, collator, quiet);
  CatalogueFile file(catalogueBytes.text);
  Catalogue& catalogue = file.Load();
  for (ListMethod method : {ListMethod::Collapsed, ListMethod::FoldersOnly, ListMethod::FoldersAndFilenames}) {
    StringSink walked, replayed;
    auto walkWriter = MakePlainListWriter(method, walked, 60);
    DriveWalk(drive, collator, *walkWriter, quiet, {}).Run('c');
    auto replayWriter = MakePlainListWriter(method, replayed, 60);
    ReplayCatalogue(catalogue, *replayWriter, {}, quiet);
    EXPECT_FALSE(walked.text.empty());
    EXPECT_EQ(replayed.text, walked.text) << static_cast<int>(method);
  }
}

TEST(ReplayCatalogue, PlainListsGetBareNamesAndFolderTotals) {
  struct Log final : FolderWriter {
    void BeginFolder(const WalkState& state) override {
      const WalkLevel& level = state.Current();
      std::string line = state.ListPath + " " + std::to_string(state.ListDepth) + " " +
                         std::to_string(level.FolderBytes) + " [";
      for (const auto& name : level.FolderNames) line += name + ";";
      line += "] [";
      for (const auto& name : level.FileNames) line += name + ";";
      lines.push_back(line + "]");
    }
    void EndFolder(const WalkState& state) override { lines.push_back("end " + state.ListPath); }
    Strings lines;
  } log;
  CatalogueFile file(Bytes("\x00" "d: [x]" "\x04" "Docs" "\x03" "a/10" "\x03" "b/-2147483648" "\x03" "c" "\x03"
                           "d/x" "\x01" "Docs" "\x03" "e/5" "\x02\x02\x00"));
  Progress quiet;
  ReplayCatalogue(file.Load(), log, {}, quiet);
  EXPECT_EQ(log.lines, (Strings{"D:\\ 1 2147483658 [Docs;] [a;b;c;d;]", "D:\\Docs\\ 2 5 [] [e;]", "end D:\\Docs\\",
                                "end D:\\"}));
}

TEST(ReplayCatalogue, RootPathFromTheCaption) {
  EXPECT_EQ(ReplayRootPath("c: [data]"), "C:\\");
  EXPECT_EQ(ReplayRootPath("x: \\\\server\\share"), "X:\\");
  EXPECT_EQ(ReplayRootPath(""), "C:\\");
  EXPECT_EQ(ReplayRootPath("1: x"), "C:\\");
}

}  // namespace
}  // namespace qvl
