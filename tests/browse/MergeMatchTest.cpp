// Which destination folder a merge puts a source folder's records into, and what
// the merged file keeps of the destination file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "browse/CatalogueFiles.h"
#include "browse/Import.h"

namespace qvl {
namespace {

using test::Bytes;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

std::string Merged(const std::string& sourceBytes, const std::string& destinationBytes) {
  TempDir dir;
  WriteFile(dir / "source.qvl", sourceBytes);
  WriteFile(dir / "dest.qvl", destinationBytes);
  Collator collator("en_US");
  Catalogue catalogue;
  Progress quiet;
  EXPECT_TRUE(ImportCatalogueFile(catalogue, dir / "source.qvl", dir / "dest.qvl", false, std::nullopt, quiet));
  return ReadFile(dir / "dest.qvl");
}

// Folders whose names differ in more than letter case stay apart, even where the
// collation holds them equal; letter case alone still matches.
TEST(MergeMatch, OnlyLetterCaseIsIgnored) {
  // Windows-1252 "été" and "ètè": the source's "ÈTÈ" goes into "ètè", not into "été"
  // (the source root's own records lead the root).
  std::string merged = Merged(Bytes("\x00" "c: [s]" "\x04" "\xC8T\xC8" "\x01" "\xC8T\xC8" "\x03" "new/3" "\x02\x02\x00"),
                              Bytes("\x00" "c: [d]" "\x04" "\xE9t\xE9" "\x04" "\xE8t\xE8"
                                    "\x01" "\xE9t\xE9" "\x03" "a/1" "\x02"
                                    "\x01" "\xE8t\xE8" "\x03" "b/2" "\x02\x02\x00"));
  EXPECT_EQ(merged, Bytes("\x00" "c: [d]" "\x04" "\xC8T\xC8" "\x04" "\xE9t\xE9" "\x04" "\xE8t\xE8"
                          "\x01" "\xE9t\xE9" "\x03" "a/1" "\x02"
                          "\x01" "\xE8t\xE8" "\x03" "new/3" "\x03" "b/2" "\x02\x02\x00"));
  // UTF-8 "x2" is no "x²", and full-width "Ａ" no "A": each comes as a folder of its own.
  merged = Merged(Bytes("\x00" "c: [s]" "\x01" "x2" "\x03" "two/2" "\x02" "\x01" "\xEF\xBC\xA1" "\x03" "wide/1" "\x02"
                        "\x01" "DOCS" "\x03" "doc/4" "\x02\x02\x00"),
                  Bytes("\x00" "c: [d]" "\x01" "x\xC2\xB2" "\x03" "sq/1" "\x02" "\x01" "A" "\x03" "a/1" "\x02"
                        "\x01" "Docs" "\x02\x02\x00"));
  EXPECT_EQ(merged, Bytes("\x00" "c: [d]" "\x01" "x\xC2\xB2" "\x03" "sq/1" "\x02" "\x01" "A" "\x03" "a/1" "\x02"
                          "\x01" "Docs" "\x03" "doc/4" "\x02"
                          "\x01" "x2" "\x03" "two/2" "\x02" "\x01" "\xEF\xBC\xA1" "\x03" "wide/1" "\x02\x02\x00"));
}

// A merge run by root leaves the destination with its owner, group and permissions.
TEST(MergeMatch, TheMergedFileKeepsTheDestinationsOwner) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can give a file to another user";
  TempDir dir;
  WriteFile(dir / "source.qvl", test::SampleDisk());
  WriteFile(dir / "dest.qvl", Bytes("\x00" "c: [d]" "\x02\x00"));
  ASSERT_EQ(::chown((dir / "dest.qvl").c_str(), 12345, 23456), 0);
  ASSERT_EQ(::chmod((dir / "dest.qvl").c_str(), 0604), 0);
  Collator collator("en_US");
  Catalogue catalogue;
  Progress quiet;
  ASSERT_TRUE(ImportCatalogueFile(catalogue, dir / "source.qvl", dir / "dest.qvl", false, std::nullopt, quiet));
  struct stat st {};
  ASSERT_EQ(::stat((dir / "dest.qvl").c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 12345u);
  EXPECT_EQ(st.st_gid, 23456u);
  EXPECT_EQ(st.st_mode & 07777, 0604u);
  EXPECT_NE(ReadFile(dir / "dest.qvl").find("readme.txt"), std::string::npos);
}

}  // namespace
}  // namespace qvl
