#include <gtest/gtest.h>

#include "listing/CatalogueWriter.h"
#include "listing/CreateList.h"
#include "listing/Walk.h"
#include "support/Bytes.h"
#include "support/FakeDirectory.h"

namespace qvl {
namespace {

using test::Bytes;
using test::FakeDirectory;
using test::FileOf;
using test::Folder;

Drive FixedDrive(char letter, std::string label) {
  Drive drive;
  drive.letter = letter;
  drive.type = DriveType::Fixed;
  drive.label = std::move(label);
  return drive;
}

struct CatalogueFixture : ::testing::Test {
  std::string List(std::optional<CommentLines> comment = std::nullopt, bool withSizes = true) {
    ListRequest request;
    request.drive = FixedDrive('c', "DATA");
    request.comment = std::move(comment);
    request.withSizes = withSizes;
    StringSink out;
    WriteListing(request, out, drive, collator, quiet);
    return out.text;
  }
  FakeDirectory drive;
  Collator collator{"en_US"};
  Progress quiet;
};

TEST_F(CatalogueFixture, SampleDiskByteForByte) {
  test::AddSampleDisk(drive);
  std::string expected = Bytes(
      "\x00"
      "c: [data]"
      "\x00"
      "Backup of data disk\r\n"
      "\x04"
      "Docs"
      "\x03"
      "readme.txt/1234"
      "\x03"
      "zz.bin/200"
      "\x01"
      "Docs"
      "\x03"
      "a.txt/12"
      "\x02\x02\x00");
  ASSERT_EQ(expected.size(), 81u);
  EXPECT_EQ(List(CommentLines{"Backup of data disk", "", "", ""}), expected);
}

TEST_F(CatalogueFixture, WithoutCommentOrSizes) {
  test::AddSampleDisk(drive);
  EXPECT_EQ(List(std::nullopt, true), Bytes("\x00" "c: [data]" "\x04" "Docs" "\x03" "readme.txt/1234"
                                                  "\x03" "zz.bin/200" "\x01" "Docs" "\x03" "a.txt/12" "\x02\x02\x00"));
  EXPECT_EQ(List(std::nullopt, false), Bytes("\x00" "c: [data]" "\x04" "Docs" "\x03" "readme.txt"
                                                   "\x03" "zz.bin" "\x01" "Docs" "\x03" "a.txt" "\x02\x02\x00"));
}

TEST_F(CatalogueFixture, AnUpperCaseDriveLetterListsTheSame) {
  drive.AddFolder("", {FileOf("a", 1)});
  ListRequest request;
  request.drive = FixedDrive('C', "DATA");
  StringSink out;
  WriteListing(request, out, drive, collator, quiet);
  EXPECT_EQ(out.text, Bytes("\x00" "c: [data]" "\x03" "a/1" "\x02\x00"));
}

TEST_F(CatalogueFixture, EmptyRootIsCaptionFolderEndAndEndMark) {
  drive.AddFolder("", {});
  EXPECT_EQ(List(), Bytes("\x00" "c: [data]" "\x02\x00"));
  // A comment block whose first two lines are empty holds no text, but is there.
  EXPECT_EQ(List(CommentLines{"", "", "C", ""}), Bytes("\x00" "c: [data]" "\x00" "\x02\x00"));
}

TEST_F(CatalogueFixture, EveryFolderGetsItsOwnRecordEvenWhenEmpty) {
  drive.AddFolder("", {Folder("E"), Folder("F")});
  drive.AddFolder("E", {});
  drive.AddFolder("F", {Folder("G")});
  drive.AddFolder("F/G", {});
  EXPECT_EQ(List(), Bytes("\x00" "c: [data]" "\x04" "E" "\x04" "F" "\x01" "E" "\x02" "\x01" "F" "\x04" "G"
                                "\x01" "G" "\x02\x02\x02\x00"));
}

TEST_F(CatalogueFixture, TagBytesInNamesAndCaptionCannotEndAField) {
  drive.AddFolder("", {FileOf(Bytes("a\x01" "b"), 5), Folder(Bytes("x\x04"))});
  drive.AddFolder(Bytes("x\x04"), {FileOf("in", 1)});
  ListRequest request;
  request.drive = FixedDrive('c', Bytes("la\x02"));
  request.comment = CommentLines{Bytes("c\x00m"), "", "", ""};
  StringSink out;
  WriteListing(request, out, drive, collator, quiet);
  EXPECT_EQ(out.text, Bytes("\x00" "c: [la?]" "\x00" "c?m\r\n" "\x04" "x?" "\x03" "a?b/5" "\x01" "x?" "\x03"
                                  "in/1" "\x02\x02\x00"));
}

TEST_F(CatalogueFixture, BackslashesInFolderNamesStayInTheName) {
  drive.AddFolder("", {Folder("a\\b"), Folder("c")});
  drive.AddFolder("a\\b", {FileOf("x", 1)});
  drive.AddFolder("c", {FileOf("y", 2)});
  EXPECT_EQ(List(), Bytes("\x00" "c: [data]" "\x04" "a\\b" "\x04" "c" "\x01" "a\\b" "\x03" "x/1" "\x02"
                          "\x01" "c" "\x03" "y/2" "\x02\x02\x00"));
}

TEST_F(CatalogueFixture, SizesPastFourGigabytesAreWrittenInFull) {
  drive.AddFolder("", {FileOf("dvd.iso", 4294967296LL + 7), FileOf("two.bin", 2147483648LL)});
  std::string text = List();
  EXPECT_NE(text.find("\x03" "dvd.iso/4294967303"), std::string::npos);
  EXPECT_NE(text.find("\x03" "two.bin/2147483648"), std::string::npos);
}

struct WriteLog : ByteSink {
  void Write(std::string_view bytes) override { writes.emplace_back(bytes); }
  std::vector<std::string> writes;
};

// With no block size, every folder's records reach the output in one write, so
// the writes show where the writer hands over.
TEST_F(CatalogueFixture, OutputReceivesWholeRecordsPerWrite) {
  WriteLog log;
  test::AddSampleDisk(drive);
  CatalogueWriter writer(log, 0);
  writer.WriteCatalogueHeader("c: [data]", std::nullopt);
  DriveWalk walk(drive, collator, writer, quiet, {.entryTextWithSize = true});
  walk.Run('c');
  writer.WriteEndMark();
  EXPECT_EQ(log.writes, (std::vector<std::string>{
                            Bytes("\x00" "c: [data]"),
                            "\x04" "Docs" "\x03" "readme.txt/1234" "\x03" "zz.bin/200",
                            "\x01" "Docs" "\x03" "a.txt/12",
                            "\x02",
                            "\x02",
                            Bytes("\x00"),
                        }));
}

// A listing is written in large blocks, not a write or two per folder; each block
// but the last is at least the block size and ends on a whole record.
TEST_F(CatalogueFixture, ListingIsWrittenInLargeBlocksOfWholeRecords) {
  std::vector<DirEntry> root;
  for (int i = 0; i < 8000; ++i) {
    std::string name = "folder " + std::to_string(i);
    root.push_back(Folder(name));
    drive.AddFolder(name, {FileOf("a file with a longer name " + std::to_string(i) + ".txt", i),
                           FileOf("another.bin", 7)});
  }
  drive.AddFolder("", root);
  ListRequest request;
  request.drive = FixedDrive('c', "DATA");
  request.withSizes = true;
  WriteLog log;
  WriteListing(request, log, drive, collator, quiet);
  std::string whole;
  for (const auto& block : log.writes) whole += block;
  EXPECT_EQ(whole, List());
  ASSERT_GE(log.writes.size(), 2u);
  EXPECT_LE(log.writes.size(), whole.size() / kCatalogueHandOverBytes + 1);
  for (std::size_t i = 0; i + 1 < log.writes.size(); ++i) {
    EXPECT_GE(log.writes[i].size(), kCatalogueHandOverBytes);
    EXPECT_LE(static_cast<unsigned char>(log.writes[i + 1][0]), 0x04) << "block " << i + 1 << " starts mid-record";
  }
  EXPECT_EQ(log.writes.back().back(), '\x00');  // the end mark closes the last block
}

TEST(DriveCaption, FollowsTheDriveType) {
  Drive drive = FixedDrive('C', "DATA");
  EXPECT_EQ(DriveCaption(drive), "c: [data]");
  drive.label.clear();
  EXPECT_EQ(DriveCaption(drive), "c: []");
  drive.type = DriveType::Removable;
  drive.letter = 'a';
  EXPECT_EQ(DriveCaption(drive), "a:");
  drive.type = DriveType::CdRom;
  drive.label = "Disc Ü";
  EXPECT_EQ(DriveCaption(drive), "a: [disc ü]");
  drive.type = DriveType::Network;
  drive.remoteName = "\\\\Server\\Share";
  EXPECT_EQ(DriveCaption(drive), "a: \\\\server\\share");
  drive.remoteName.clear();  // no remote name: the label, as for a fixed drive
  EXPECT_EQ(DriveCaption(drive), "a: [disc ü]");
}

}  // namespace
}  // namespace qvl
