// Catalogues that are empty, cut short or not catalogues at all load as far as
// their data goes and stay browsable.
#include <gtest/gtest.h>

#include <filesystem>

#include "browse/CatalogueChecks.h"
#include "browse/CatalogueFiles.h"
#include "listing/CreateList.h"
#include "support/FakeDirectory.h"

namespace qvl {
namespace {

using test::Bytes;
using test::CatalogueFile;
using Strings = std::vector<std::string>;

TEST(MalformedCatalogue, EveryHostileFileLoadsAndBrowses) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(QVL_HOSTILE_DIR)) {
    test::TempDir scratch;
    EXPECT_EQ(test::CheckCatalogue(entry.path(), scratch / "replay.qvl"), "") << entry.path();
    ++files;
  }
  EXPECT_GE(files, 10);
}

TEST(MalformedCatalogue, WhatWasReadStaysUsable) {
  struct Case {
    std::string bytes;
    Strings paths;
    std::string currentPath;
  };
  std::vector<Case> cases = {
      {"", {"\\"}, "\\"},
      {Bytes("\x00" "c:" "\x01" "a" "\x01" "b" "\x01" "c" "\x03" "f"), {"\\", "\\a\\", "\\a\\b\\", "\\a\\b\\c\\"},
       "\\a\\b\\c\\"},
      // Folders after the root's end go below the root; surplus ends do nothing.
      {Bytes("\x00" "c:" "\x02\x02\x02" "\x01" "x" "\x03" "y" "\x02\x00"), {"\\", "\\x\\"}, ""},
      // A SectionMark that is not the last byte is passed over.
      {Bytes("\x00" "c:" "\x00" "comm" "\x00" "ent" "\x04" "A" "\x01" "A" "\x03" "f" "\x00\x00" "\x01" "B" "\x02\x02\x00"),
       {"\\", "\\A\\", "\\A\\B\\"}, "\\"},
      {Bytes("\x00" "c:" "\x04" "Docs" "\x01" "Docs"), {"\\", "\\Docs\\"}, "\\Docs\\"},
  };
  for (const Case& c : cases) {
    CatalogueFile file(c.bytes);
    Catalogue& catalogue = file.Load();
    EXPECT_EQ(file.Paths(), c.paths);
    EXPECT_EQ(catalogue.CurrentPath(), c.currentPath);
    EXPECT_TRUE(catalogue.Reader().AtEnd());
  }
  // The comment of the stray-mark case ends at its first tag byte.
  CatalogueFile stray(cases[3].bytes);
  EXPECT_EQ(stray.Load().CatalogueComment(), "comm");
  CatalogueFile empty("");
  EXPECT_EQ(empty.Load().Caption(), "");
  EXPECT_EQ(empty.catalogue.CatalogueComment(), "(none)");
  ListRows rows;
  Progress quiet;
  EXPECT_TRUE(ShowFolder(empty.catalogue, "\\", rows));
  EXPECT_TRUE(rows.rows.empty());
}

// Cut anywhere, a catalogue gives a beginning of its folder index, and every
// folder it has can be listed.
TEST(MalformedCatalogue, EveryCutOfACatalogueKeepsTheFoldersBeforeTheCut) {
  test::FakeDirectory drive;
  using test::FileOf;
  using test::Folder;
  drive.AddFolder("", {Folder("Docs"), Folder("Empty"), FileOf("r.txt", 5), FileOf("s.txt", 70000)});
  drive.AddFolder("Docs", {Folder("Old"), FileOf("a.txt", 12)});
  drive.AddFolder("Docs/Old", {FileOf("b.txt", 1), FileOf("c.txt", 2)});
  drive.AddFolder("Empty", {});
  ListRequest request;
  request.drive.letter = 'c';
  request.drive.type = DriveType::Fixed;
  request.comment = CommentLines{"one", "", "three", ""};
  StringSink whole;
  Collator collator("en_US");
  Progress quiet;
  WriteListing(request, whole, drive, collator, quiet);

  CatalogueFile full(whole.text);
  full.Load();
  Strings allPaths = full.Paths();
  ASSERT_EQ(allPaths, (Strings{"\\", "\\Docs\\", "\\Docs\\Old\\", "\\Empty\\"}));
  for (std::size_t cut = 0; cut <= whole.text.size(); ++cut) {
    CatalogueFile part(whole.text.substr(0, cut));
    Catalogue& catalogue = part.Load();
    Strings paths = part.Paths();
    ASSERT_LE(paths.size(), allPaths.size()) << cut;
    for (std::size_t i = 0; i < paths.size(); ++i) {
      // Only the last folder's name may itself be cut.
      bool nameWhole = i + 1 < paths.size() || catalogue.Folders().Position(i) == full.catalogue.Folders().Position(i);
      if (nameWhole) {
        EXPECT_EQ(paths[i], allPaths[i]) << cut;
      }
    }
    EXPECT_EQ(test::CheckCatalogue(part.path, part.dir / "replay.qvl"), "") << cut;
  }
}

}  // namespace
}  // namespace qvl
