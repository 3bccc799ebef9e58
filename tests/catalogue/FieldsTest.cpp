#include <gtest/gtest.h>

#include "catalogue/Fields.h"
#include "catalogue/TextHelpers.h"

namespace qvl {
namespace {

TEST(CommentBlock, StopsBeforeTwoEmptyLinesInARow) {
  EXPECT_EQ(CommentBlockText({"Backup of data disk", "", "", ""}), "Backup of data disk\r\n");
  EXPECT_EQ(CommentBlockText({"A", "", "B", ""}), "A\r\n\r\nB\r\n");
  EXPECT_EQ(CommentBlockText({"", "", "C", ""}), "");
  EXPECT_EQ(CommentBlockText({"A", "", "", "D"}), "A\r\n");
  EXPECT_EQ(CommentBlockText({"", "B", "", ""}), "\r\nB\r\n");
  EXPECT_EQ(CommentBlockText({"1", "2", "3", "4"}), "1\r\n2\r\n3\r\n4\r\n");
  EXPECT_EQ(CommentBlockText({"1", "2", "3", ""}), "1\r\n2\r\n3\r\n");
}

TEST(CommentBlock, TagBytesInALineBecomeQuestionMarks) {
  EXPECT_EQ(CommentBlockText({std::string("a\0b\x04", 4), "", "", ""}), "a?b?\r\n");
}

TEST(EntryText, CarriesTheFullSizeInDecimal) {
  EXPECT_EQ(EntryText("readme.txt", 1234), "readme.txt/1234");
  EXPECT_EQ(EntryText("empty", 0), "empty/0");
  EXPECT_EQ(EntryText("big", 2147483648LL), "big/2147483648");
  EXPECT_EQ(EntryText("bigger", 4294967296LL), "bigger/4294967296");
  EXPECT_EQ(EntryText("readme.txt", std::nullopt), "readme.txt");
}

TEST(EntryText, SplitsAtTheFirstSlash) {
  auto parts = SplitEntryText("notes.txt/1024");
  EXPECT_EQ(parts.name, "notes.txt");
  EXPECT_EQ(parts.sizeText, "1024");
  parts = SplitEntryText("odd/name/12");
  EXPECT_EQ(parts.name, "odd");
  EXPECT_EQ(parts.sizeText, "name/12");
  parts = SplitEntryText("plain");
  EXPECT_EQ(parts.name, "plain");
  EXPECT_EQ(parts.sizeText, "");
}

TEST(EntryText, StoredSizeReadsDigitsAndUndoesTheOld32BitWrap) {
  EXPECT_EQ(StoredSize("1234"), 1234);
  EXPECT_EQ(StoredSize("0"), 0);
  EXPECT_EQ(StoredSize("5000000000"), 5000000000LL);
  EXPECT_EQ(StoredSize("-2147483648"), 2147483648LL);
  EXPECT_EQ(StoredSize("-1"), 4294967295LL);
  EXPECT_EQ(StoredSize(""), 0);
  EXPECT_EQ(StoredSize("12x"), 0);
  EXPECT_EQ(StoredSize("name/12"), 0);
  EXPECT_EQ(StoredSize("-99999999999"), 0);
  EXPECT_EQ(StoredSize("99999999999999999999999"), 0);
}

TEST(CommentBlock, LinesOfABlockGiveTheBlockBack) {
  for (const char* block : {"", "A\r\n", "A\r\n\r\nB\r\n", "\r\nB\r\n", "1\r\n2\r\n3\r\n4\r\n"})
    EXPECT_EQ(CommentBlockText(CommentLinesOf(block)), block);
  EXPECT_EQ(CommentLinesOf("a\r\nb"), (CommentLines{"a", "b", "", ""}));
  EXPECT_EQ(CommentLinesOf("1\r\n2\r\n3\r\n4\r\n5\r\n"), (CommentLines{"1", "2", "3", "4"}));
}

TEST(FieldText, ReplacesOnlyTagBytes) {
  EXPECT_EQ(FieldText(std::string("x\x01y\x02z\x03\x05\r\n\xff", 10)), "x?y?z?\x05\r\n\xff");
}

TEST(Paths, LastFolderNameAndParent) {
  EXPECT_EQ(LastFolderName("C:\\Docs\\Old\\"), "Old");
  EXPECT_EQ(LastFolderName("C:\\"), "C:");
  EXPECT_EQ(LastFolderName(""), "");
  EXPECT_EQ(LastFolderName("abc"), "ab");
  EXPECT_EQ(ParentPath("C:\\Docs\\Old\\"), "C:\\Docs\\");
  EXPECT_EQ(ParentPath("C:\\"), "");
  EXPECT_EQ(ParentPath("\\Docs\\"), "\\");
  EXPECT_EQ(ParentPath("\\"), "");
}

}  // namespace
}  // namespace qvl
