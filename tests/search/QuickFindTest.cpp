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
using test::WorkedExample;

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

TEST(MatchRule, FindTakesEveryStartInTheRange) {
  // The text at every offset around the widths the scan tests at once.
  const std::string text = "Qz9.Qz";
  SearchPattern pattern("qZ9.qz");
  for (std::size_t at = 0; at < 80; ++at) {
    std::string buffer(160, 'q');
    buffer.replace(at, text.size(), text);
    const auto* data = reinterpret_cast<const unsigned char*>(buffer.data());
    EXPECT_EQ(pattern.Find(data, 0, 100), at) << at;
    EXPECT_EQ(pattern.Find(data, at, at + 1), at) << at;
    EXPECT_EQ(pattern.Find(data, at + 1, 100), 100u) << at;
    // A match starting past the range is not taken: the end of the range comes back.
    if (at > 0) {
      EXPECT_EQ(pattern.Find(data, 0, at - 1), at - 1) << at;
    }
  }
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
  CatalogueFile file(WorkedExample());
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
  // Neither the caption nor the comment is an entry.
  for (const char* text : {"c: [data]", "Backup", "\r\n"}) {
    found = Look(catalogue, text);
    EXPECT_EQ(found.rows, "F No matching items found|||\n") << text;
    EXPECT_EQ(found.text, "No files found");
  }
}

TEST(QuickFind, EmptyTextChangesNothing) {
  CatalogueFile file(WorkedExample());
  Catalogue& catalogue = file.Load();
  ListRows rows;
  rows.AddListRow(false, "kept", {}, {}, {});
  Progress quiet;
  EXPECT_FALSE(QuickFind(catalogue, "", rows, quiet));
  EXPECT_EQ(rows.rows.size(), 1u);
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

TEST(QuickFind, HitsInMergedCataloguesLieInTheirLoadedFolders) {
  // A merge's output: the source root's entries lead the root, the destination's
  // root end is left out, the appended folder B closes the root.
  CatalogueFile merged(Bytes("\x00" "c: [data]" "\x04" "B" "\x04" "A" "\x01" "A" "\x03" "f" "\x02"
                             "\x01" "B" "\x03" "g" "\x02\x02\x00"));
  Catalogue& catalogue = merged.Load();
  EXPECT_EQ(Look(catalogue, "g").rows, "F g||\\B\\|\n");
  EXPECT_EQ(Look(catalogue, "f").rows, "F f||\\A\\|\n");
  EXPECT_EQ(Look(catalogue, "B").rows, "D B||\\|\n");

  // A destination whose root held only files keeps its root end; folders appended
  // after it still lie below the root, and so do their hits.
  CatalogueFile filesOnly(Bytes("\x00" "c:" "\x03" "f" "\x02" "\x01" "B" "\x03" "g" "\x01" "C" "\x03" "gg" "\x02\x02\x02\x00"));
  Catalogue& second = filesOnly.Load();
  EXPECT_EQ(Look(second, "g").rows, "F g||\\B\\|\nF gg||\\B\\C\\|\n");
}

TEST(QuickFind, FolderAtFindsTheLastFolderNotAboveAPosition) {
  Collator collator("en_US");
  FolderIndex folders(collator);
  folders.AppendRoot(10);
  folders.AppendFolder(0, "a", 20);
  folders.AppendFolder(1, "b", 20);  // an empty folder right before the next
  folders.AppendFolder(0, "c", 35);
  for (auto [position, folder] : {std::pair<std::int64_t, std::size_t>{5, 0}, {10, 0}, {19, 0}, {20, 2}, {34, 2},
                                  {35, 3}, {1000, 3}})
    EXPECT_EQ(FolderAt(folders, position), folder) << position;
}

TEST(QuickFind, ReadsTheCatalogueFileAsItIsNow) {
  CatalogueFile file(WorkedExample());
  Catalogue& catalogue = file.Load();
  // A file replaced since the load is read afresh: the folder index is not.
  test::WriteFile(file.path, Bytes("\x00" "c:" "\x03" "new.txt/1" "\x02\x00"));
  EXPECT_EQ(Look(catalogue, "new").rows, "F new.txt|1|\\|\n");
  std::filesystem::remove(file.path);
  ListRows rows;
  Progress quiet;
  try {
    QuickFind(catalogue, "new", rows, quiet);
    ADD_FAILURE() << "no error";
  } catch (const IoError& error) {
    EXPECT_NE(std::string(error.what()).find(file.path), std::string::npos) << error.what();
  }
  Collator collator("en_US");
  Catalogue none(collator);
  EXPECT_THROW(QuickFind(none, "x", rows, quiet), IoError);
}

}  // namespace
}  // namespace qvl
