// The match rule and the quick find over the open catalogue.
#include <gtest/gtest.h>

#include <filesystem>

#include "browse/CatalogueFiles.h"
#include "platform/IoError.h"
#include "search/QuickFind.h"
#include "search/SearchChecks.h"

namespace qvl {
namespace {

using test::Bytes;
using test::CatalogueFile;
using test::RowsText;
using test::SampleDisk;

TEST(MatchRule, FoldsTheLettersAToZAndNothingElse) {
  EXPECT_TRUE(SearchPattern("readme").Matches("README.TXT"));
  EXPECT_TRUE(SearchPattern("README").Matches("ReadMe.doc"));
  EXPECT_FALSE(SearchPattern("readme").Matches("read me"));
  // Bytes 32 apart that are no letters a to z stay apart.
  for (auto [a, b] : {std::pair{"[", "{"}, {"@", "`"}, {"^", "~"}, {"_", "\x7f"}, {"\xc9", "\xe9"}}) {
    EXPECT_FALSE(SearchPattern(a).Matches(b)) << a;
    EXPECT_FALSE(SearchPattern(b).Matches(a)) << b;
  }
  EXPECT_FALSE(SearchPattern("caf\xc3\x89").Matches("caf\xc3\xa9"));  // É does not find é
  EXPECT_TRUE(SearchPattern("CAF\xc3\xa9").Matches("caf\xc3\xa9_12/5"));
  // No wildcards.
  EXPECT_FALSE(SearchPattern("a*b").Matches("axxb"));
  EXPECT_FALSE(SearchPattern("a?b").Matches("axb"));
  EXPECT_TRUE(SearchPattern("a*b").Matches("x a*b.txt"));
  // No field holds a tag byte; an empty text finds nothing.
  EXPECT_FALSE(SearchPattern(Bytes("a\x03" "b")).CanMatch());
  EXPECT_FALSE(SearchPattern("").Matches("anything"));
}

// The scan marks possible matches and tags 64 bytes at a time, in 32-byte vectors
// where the processor has them: both kinds of marks must agree everywhere.
TEST(MatchRule, WideAndNarrowMarksAgree) {
  if (!HasWideVectors()) GTEST_SKIP() << "no 32-byte vectors on this processor";
#if QVL_WIDE_VECTORS
  // Bytes near every edge the marks test: tags, both cases of letters, bytes 32
  // apart from them, and bytes with the high bit set.
  const std::string alphabet = Bytes("\x00\x01\x02\x03\x04\x05" "aAdDmMeE[{@`\x7f\x80\xc1\xe1\xff/9 ");
  std::string data;
  std::uint32_t seed = 12345;
  for (int i = 0; i < 4096; ++i) {
    seed = seed * 1103515245u + 12345u;
    data += alphabet[(seed >> 16) % alphabet.size()];
  }
  data.append(200, '\0');  // room to read past the last start
  const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
  for (std::string text : {"readme", "d", "Dm", "mm", "a/9", "\xe1", "[", "E@"}) {
    SearchPattern pattern(text);
    SearchPattern::Candidates candidates(pattern);
    for (std::size_t at = 0; at < 4096; ++at)
      ASSERT_EQ(candidates.At(bytes + at), candidates.AtWide(bytes + at)) << text << " at " << at;
  }
  for (unsigned char tag : {tag::FolderEnd, tag::Last})
    for (std::size_t at = 0; at < 4096; ++at)
      ASSERT_EQ(TagBits64(bytes + at, tag), TagBits64Wide(bytes + at, tag)) << at;
#endif
}

struct Found {
  std::string rows;
  std::string text;
};
Found Look(Catalogue& catalogue, std::string_view text) {
  ListRows rows;
  Progress quiet;
  auto result = QuickFind(catalogue, text, rows, quiet);
  EXPECT_TRUE(result);
  EXPECT_EQ(rows.FileCount, result->fileCount + (result->Found() ? 0 : 1));
  return {RowsText(rows), QuickFindText(*result)};
}

TEST(QuickFind, MatchesWholeEntryTextsOfEntriesOnly) {
  CatalogueFile file(SampleDisk());
  Catalogue& catalogue = file.Load();
  Found found = Look(catalogue, "readme");
  EXPECT_EQ(found.rows, "F readme.txt|1234|\\|\n");
  EXPECT_EQ(found.text, "Found 1 matching files and 0 folders");
  // Digits find sizes; a text may run across the "/".
  EXPECT_EQ(Look(catalogue, "12").rows, "F readme.txt|1234|\\|\nF a.txt|12|\\Docs\\|\n");
  EXPECT_EQ(Look(catalogue, "TXT/1").rows, "F readme.txt|1234|\\|\nF a.txt|12|\\Docs\\|\n");
  // "/" finds every file with a size and no folder.
  found = Look(catalogue, "/");
  EXPECT_EQ(found.rows, "F readme.txt|1234|\\|\nF zz.bin|200|\\|\nF a.txt|12|\\Docs\\|\n");
  // A folder is found by its SubfolderEntry in its parent, not by its own record.
  found = Look(catalogue, "DOCS");
  EXPECT_EQ(found.rows, "D Docs||\\|\n");
  EXPECT_EQ(found.text, "Found 0 matching files and 1 folders");
  // The last entry, followed only by folder ends and the end mark.
  EXPECT_EQ(Look(catalogue, "a.txt/12").rows, "F a.txt|12|\\Docs\\|\n");
  // An entry with two matches is one hit.
  EXPECT_EQ(Look(catalogue, "z").text, "Found 1 matching files and 0 folders");
  ListRows kept;
  Progress quiet;
  EXPECT_FALSE(QuickFind(catalogue, "", kept, quiet));  // an empty text does nothing
  // Neither the caption nor the comment is an entry.
  for (const char* text : {"c: [data]", "Backup", "\r\n"}) {
    found = Look(catalogue, text);
    EXPECT_EQ(found.rows, "F No matching items found|||\n") << text;
    EXPECT_EQ(found.text, "No files found");
  }
}

TEST(QuickFind, CataloguesWithoutEntriesFindNothing) {
  for (const std::string& bytes : {Bytes("\x00" "c: [x]" "\x02\x00"), Bytes("\x00" "c:" "\x01" "x" "\x02\x02\x00"),
                                   std::string()}) {
    CatalogueFile file(bytes);
    Found found = Look(file.Load(), "x");
    EXPECT_EQ(found.rows, "F No matching items found|||\n");
    EXPECT_EQ(found.text, "No files found");
  }
}

TEST(QuickFind, ACatalogueFileThatIsGoneIsAnError) {
  CatalogueFile file(SampleDisk());
  Catalogue& catalogue = file.Load();
  std::filesystem::remove(file.path);
  ListRows rows;
  Progress quiet;
  try {
    QuickFind(catalogue, "a", rows, quiet);
    ADD_FAILURE() << "no error";
  } catch (const IoError& error) {
    EXPECT_NE(std::string(error.what()).find(file.path), std::string::npos) << error.what();
  }
  Collator collator("en_US");
  Catalogue none;
  EXPECT_THROW(QuickFind(none, "a", rows, quiet), IoError);

  // Another catalogue in its place, or the file written over: the folder index is
  // of the file loaded, and would name every hit's folder wrongly.
  CatalogueFile replaced(SampleDisk());
  Catalogue& loaded = replaced.Load();
  test::WriteFile(replaced.dir / "other.qvl", Bytes("\x00" "c:" "\x01" "x" "\x03" "a.txt" "\x02\x02\x00"));
  std::filesystem::rename(replaced.dir / "other.qvl", replaced.path);
  try {
    QuickFind(loaded, "a", rows, quiet);
    ADD_FAILURE() << "no error";
  } catch (const IoError& error) {
    EXPECT_EQ(std::string(error.what()), ReplacedCatalogueText(replaced.path));
  }
}

}  // namespace
}  // namespace qvl
