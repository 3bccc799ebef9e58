// Reading a catalogue and building its folder index.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "browse/Catalogue.h"
#include "browse/FolderView.h"
#include "platform/IoError.h"
#include "catalogue/CatalogueReader.h"
#include "browse/CatalogueFiles.h"

namespace qvl {
namespace {

using test::Bytes;
using test::CatalogueFile;
using test::SampleDisk;
using Strings = std::vector<std::string>;
using Positions = std::vector<std::int64_t>;

TEST(LoadCatalogue, SampleDiskIndexesTheRootAndDocs) {
  CatalogueFile file(SampleDisk(), "disk1.QVL");
  Catalogue& catalogue = file.Load();
  EXPECT_EQ(file.Paths(), (Strings{"\\", "\\Docs\\"}));
  EXPECT_EQ(catalogue.Folders().Positions(), (Positions{33, 70}));
  EXPECT_EQ(catalogue.Caption(), "c: [data]");
  EXPECT_EQ(catalogue.FileTitle(), "disk1.QVL");
  EXPECT_EQ(catalogue.CatalogueComment(), "Backup of data disk\r\n");
  EXPECT_EQ(catalogue.OriginText(), "Created from c: [data]\r\nFile Comment:\r\nBackup of data disk\r\n");
  EXPECT_EQ(catalogue.CurrentPath(), "");  // the root's FolderEnd emptied it
  EXPECT_TRUE(catalogue.Reader().AtEnd());
  EXPECT_EQ(catalogue.Reader().ReadPosition(), 81);
  EXPECT_EQ(catalogue.Reader().OpenCatalogueName(), file.path);
}

TEST(LoadCatalogue, CommentIsNoneWithoutBlockAndEmptyForAnEmptyBlock) {
  CatalogueFile none(Bytes("\x00" "a:" "\x03" "f" "\x02\x00"));
  EXPECT_EQ(none.Load().CatalogueComment(), "(none)");
  EXPECT_FALSE(none.catalogue.CommentBlock());
  EXPECT_EQ(none.catalogue.Folders().Position(0), 4);
  EXPECT_EQ(none.catalogue.OriginText(), "Created from a:\r\nFile Comment:\r\n(none)");

  CatalogueFile empty(Bytes("\x00" "a:" "\x00" "\x02\x00"));
  EXPECT_EQ(empty.Load().CatalogueComment(), "");
  EXPECT_EQ(empty.catalogue.Folders().Position(0), 5);
}

TEST(LoadCatalogue, EmptyRootAndEmptyFolderPointPastTheirFolderEnd) {
  CatalogueFile root(Bytes("\x00" "c: [x]" "\x02\x00"));
  EXPECT_EQ(root.Load().Folders().Positions(), (Positions{8}));
  EXPECT_EQ(root.Paths(), (Strings{"\\"}));

  CatalogueFile folder(Bytes("\x00" "c:" "\x04" "E" "\x01" "E" "\x02" "\x02\x00"));
  EXPECT_EQ(folder.Load().Folders().Positions(), (Positions{4, 8}));
  EXPECT_EQ(folder.Paths(), (Strings{"\\", "\\E\\"}));
  CatalogueReader& reader = folder.catalogue.Reader();
  reader.SeekCatalogue(8 - 1);
  reader.ReadByte();
  EXPECT_EQ(reader.CurrentTag(), 0x02);
}

TEST(LoadCatalogue, PathsFollowTheNestingAndCaseTwinsAreBothKept) {
  CatalogueFile file(Bytes("\x00" "c:" "\x04" "A" "\x04" "a" "\x01" "A" "\x04" "Old" "\x01" "Old" "\x03"
                           "x" "\x02\x02" "\x01" "a" "\x01" "New" "\x02\x02" "\x02\x00"));
  Catalogue& catalogue = file.Load();
  EXPECT_EQ(file.Paths(), (Strings{"\\", "\\A\\", "\\A\\Old\\", "\\a\\", "\\a\\New\\"}));
  EXPECT_EQ(catalogue.Folders().Find("\\A\\NEW\\"), 4u);  // below the second twin
  EXPECT_EQ(catalogue.Folders().Find("\\a\\"), 1u);
  EXPECT_EQ(catalogue.Folders().Find("\\A\\"), 1u);
  EXPECT_EQ(catalogue.Folders().Find("\\a\\OLD\\"), 2u);
  EXPECT_EQ(catalogue.Folders().Find("\\"), 0u);
  EXPECT_FALSE(catalogue.Folders().Find("\\A"));  // as typed: the trailing "\" is part of it
  EXPECT_FALSE(catalogue.Folders().Find("A\\"));
  EXPECT_FALSE(catalogue.Folders().Find("\\Old\\"));
}

TEST(LoadCatalogue, ANameWithABackslashStaysOneFolder) {
  // Possible on Linux file systems: "a\b" must not make the next folder "\a\c\".
  CatalogueFile file(Bytes("\x00" "c:" "\x01" "a\\b" "\x02" "\x01" "c" "\x02" "\x02\x00"));
  Catalogue& catalogue = file.Load();
  EXPECT_EQ(file.Paths(), (Strings{"\\", "\\a\\b\\", "\\c\\"}));
  EXPECT_EQ(catalogue.Folders().Find("\\A\\B\\"), 1u);
  EXPECT_EQ(catalogue.Folders().Find("\\C\\"), 2u);
  EXPECT_FALSE(catalogue.Folders().Find("\\a\\"));

  // The same path made both ways: the first in file order wins either way.
  CatalogueFile twice(Bytes("\x00" "c:" "\x01" "a\\b" "\x02" "\x01" "a" "\x01" "b" "\x02\x02" "\x02\x00"));
  EXPECT_EQ(twice.Load().Folders().Find("\\A\\B\\"), 1u);
  CatalogueFile reversed(Bytes("\x00" "c:" "\x01" "a" "\x01" "b" "\x02\x02" "\x01" "a\\b" "\x02" "\x02\x00"));
  EXPECT_EQ(reversed.Load().Folders().Find("\\A\\B\\"), 2u);
}

TEST(LoadCatalogue, ProgressIsTheTruncatedPercentAtEachNewValue) {
  struct Log : Progress {
    void Status(std::string_view text) override { statuses.emplace_back(text); }
    void Percent(int percent) override { percents.push_back(percent); }
    Strings statuses;
    std::vector<int> percents;
  } bar, text;
  CatalogueFile file(SampleDisk());
  file.catalogue.LoadCatalogue(file.path, true, bar);
  EXPECT_EQ(bar.percents, (std::vector<int>{86}));  // 70 / 81: 86.4
  EXPECT_TRUE(bar.statuses.empty());
  file.catalogue.LoadCatalogue(file.path, false, text);
  EXPECT_EQ(text.statuses, (Strings{"Loading file " + file.path + ", 86% done"}));
  EXPECT_TRUE(text.percents.empty());

  // Many folders: every percent that a folder reaches is sent once, rising.
  std::string many = Bytes("\x00" "c:");
  for (int i = 0; i < 300; ++i) many += Bytes("\x01" "f" "\x02");
  many += Bytes("\x02\x00");
  CatalogueFile big(many);
  Log log;
  big.catalogue.LoadCatalogue(big.path, true, log);
  ASSERT_FALSE(log.percents.empty());
  for (std::size_t i = 1; i < log.percents.size(); ++i) EXPECT_EQ(log.percents[i], log.percents[i - 1] + 1);
  EXPECT_EQ(log.percents.front(), 0);
  EXPECT_EQ(log.percents.back(), 99);
}

TEST(LoadCatalogue, MissingFileChangesNothingAndAReloadStartsAfresh) {
  CatalogueFile file(SampleDisk());
  Catalogue& catalogue = file.Load();
  Progress quiet;
  EXPECT_FALSE(catalogue.LoadCatalogue(file.dir / "nothing.qvl", true, quiet));
  EXPECT_EQ(catalogue.Folders().Count(), 2u);
  EXPECT_EQ(catalogue.Reader().OpenCatalogueName(), file.path);

  test::WriteFile(file.path, Bytes("\x00" "d:" "\x02\x00"));
  EXPECT_TRUE(catalogue.LoadCatalogue(file.path, true, quiet));
  EXPECT_EQ(file.Paths(), (Strings{"\\"}));
  EXPECT_EQ(catalogue.Caption(), "d:");
  EXPECT_EQ(catalogue.CatalogueComment(), "(none)");
}

// A socket passes for a file until it is opened, even for root: a load that throws.
TEST(LoadCatalogue, ALoadThatFailsLeavesTheOpenCatalogueAsItWas) {
  CatalogueFile file(SampleDisk());
  Catalogue& catalogue = file.Load();
  Progress quiet;
  const std::string socketPath = file.dir / "socket.qvl";
  int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
  ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);

  EXPECT_THROW(catalogue.LoadCatalogue(socketPath, true, quiet), IoError);
  ::close(fd);
  EXPECT_EQ(file.Paths(), (Strings{"\\", "\\Docs\\"}));
  EXPECT_EQ(catalogue.Caption(), "c: [data]");
  EXPECT_EQ(catalogue.FileTitle(), "disk.qvl");
  EXPECT_EQ(catalogue.CatalogueComment(), "Backup of data disk\r\n");
  EXPECT_EQ(catalogue.Reader().OpenCatalogueName(), file.path);
  ListRows rows;
  ASSERT_TRUE(ShowFolder(catalogue, "\\Docs\\", rows));
  ASSERT_EQ(rows.rows.size(), 1u);
  EXPECT_EQ(rows.rows[0].caption, "a.txt");
}

// The loader reads any file; whether it looks like a catalogue and whether it
// ends with its end mark is for the caller to judge.
TEST(LoadCatalogue, TellsWhetherAFileBeginsLikeACatalogueAndIsComplete) {
  const std::string disk = SampleDisk();
  struct Case {
    std::string bytes;
    bool begins, complete;
  } cases[] = {
      {disk, true, true},
      {disk.substr(0, disk.size() - 1), true, false},   // no end mark
      {disk.substr(0, disk.size() - 20), true, false},  // cut inside an entry
      {Bytes("\x00" "c:" "\x00"), true, true},          // the end mark right after the caption
      {Bytes("\x00"), true, false},                      // only the header's mark
      {"", false, false},
      {"root:x:0:0:root:/root:/bin/sh\n", false, false},
      {Bytes("\x03" "a" "\x02\x00"), false, true},
  };
  for (const Case& c : cases) {
    CatalogueFile file(c.bytes);
    Catalogue& catalogue = file.Load();
    EXPECT_EQ(catalogue.BeginsLikeCatalogue(), c.begins) << c.bytes;
    EXPECT_EQ(catalogue.Complete(), c.complete) << c.bytes;
  }
}

// What a file is refused as, when only catalogues are taken, and what tells that
// the file loaded has changed since: a pipe is refused at once, not waited on.
TEST(LoadCatalogue, OnlyCataloguesWhenAskedAndChangesSinceTheLoadAreSeen) {
  CatalogueFile file(SampleDisk());
  Catalogue& catalogue = file.Load();
  Progress quiet;
  file.dir.MakeFile("notes.txt", "notes\r\n");
  try {
    catalogue.LoadCatalogue(file.dir / "notes.txt", true, quiet, LoadCheck::CatalogueOnly);
    ADD_FAILURE();
  } catch (const IoError& error) {
    EXPECT_EQ(std::string(error.what()), "\"" + (file.dir / "notes.txt") + "\" is not a catalogue");
  }
  ASSERT_EQ(::mkfifo((file.dir / "pipe.qvl").c_str(), 0600), 0);
  EXPECT_THROW(catalogue.LoadCatalogue(file.dir / "pipe.qvl", true, quiet), IoError);
  EXPECT_EQ(catalogue.FileTitle(), "disk.qvl");

  EXPECT_TRUE(catalogue.Unchanged());
  // Written over in place: the same file, other bytes, the same length.
  std::string other = SampleDisk();
  other[other.find("Docs")] = 'd';
  test::WriteFile(file.path, other);
  EXPECT_FALSE(catalogue.Unchanged());
  catalogue.LoadCatalogue(file.path, true, quiet);
  EXPECT_TRUE(catalogue.Unchanged());
  test::WriteFile(file.path, other.substr(0, 10));
  EXPECT_FALSE(catalogue.Unchanged());
  std::filesystem::remove(file.path);
  EXPECT_FALSE(catalogue.Unchanged());
}

// Every block size gives the same result, so no record is lost or doubled where
// it crosses from one block into the next.
TEST(CatalogueReader, BlockBoundariesAreInvisible) {
  CatalogueFile file(SampleDisk());
  for (std::size_t blockSize : {1u, 2u, 3u, 7u, 16u, 33u, 80u, 81u, 4096u}) {
    CatalogueReader reader(blockSize);
    reader.OpenCatalogue(file.path);
    reader.ReadByte();
    EXPECT_EQ(reader.ReadField(), "c: [data]") << blockSize;
    EXPECT_EQ(reader.ReadField(), "Backup of data disk\r\n") << blockSize;
    EXPECT_EQ(reader.CurrentTag(), 0x04);
    EXPECT_EQ(reader.ReadPosition(), 33);
    reader.SkipWhileAbove(0x02);
    EXPECT_EQ(reader.CurrentTag(), 0x01) << blockSize;
    EXPECT_EQ(reader.ReadPosition(), 65) << blockSize;
    EXPECT_EQ(reader.ReadField(), "Docs");
    EXPECT_EQ(reader.ReadField(), "a.txt/12");
    EXPECT_EQ(reader.ReadField(), "");  // the next byte is a tag already
    EXPECT_EQ(reader.CurrentTag(), 0x02);
    EXPECT_FALSE(reader.AtEnd());
    reader.ReadByte();
    EXPECT_TRUE(reader.AtEnd()) << blockSize;
    EXPECT_EQ(reader.ReadPosition(), 81);

    reader.SeekCatalogue(70 - 1);
    EXPECT_FALSE(reader.AtEnd());
    reader.ReadByte();
    EXPECT_EQ(reader.CurrentTag(), 0x03);
    EXPECT_EQ(reader.ReadField(), "a.txt/12");

    // Back into the block read last, or before it: the records as they stand.
    reader.SeekCatalogue(32);
    reader.ReadByte();
    StringSink copied;
    reader.CopyWhileAbove(0x02, copied);
    EXPECT_EQ(copied.text, Bytes("\x04" "Docs" "\x03" "readme.txt/1234" "\x03" "zz.bin/200")) << blockSize;
    EXPECT_EQ(reader.CurrentTag(), 0x01);
    EXPECT_EQ(reader.ReadPosition(), 65);
  }
}

TEST(CatalogueReader, PastTheEndReadsTheEndMarkAndStays) {
  CatalogueFile file(Bytes("\x00" "ab"));
  CatalogueReader reader(2);
  reader.OpenCatalogue(file.path);
  reader.ReadByte();
  EXPECT_EQ(reader.ReadField(), "ab");
  EXPECT_TRUE(reader.AtEnd());
  EXPECT_EQ(reader.CurrentTag(), 0x00);
  EXPECT_EQ(reader.ReadPosition(), 3);
  reader.ReadByte();
  reader.SkipWhileAbove(0);
  EXPECT_EQ(reader.ReadField(), "");
  EXPECT_EQ(reader.ReadPosition(), 3);

  // Seeking to the end or outside the file is no error; reading there finds the end.
  for (std::int64_t outside : {std::int64_t{3}, std::int64_t{-1}, std::int64_t{1} << 40}) {
    reader.SeekCatalogue(outside);
    EXPECT_FALSE(reader.AtEnd());
    reader.ReadByte();
    EXPECT_TRUE(reader.AtEnd());
    EXPECT_EQ(reader.CurrentTag(), 0x00);
  }
}

}  // namespace
}  // namespace qvl
