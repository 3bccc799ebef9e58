// Merging one catalogue into another: the bytes, where new folders go, odd
// destinations, and failures that must leave the destination as it was.
#include <gtest/gtest.h>
#include <unistd.h>
#include <filesystem>
#include <fstream>

#include "browse/CatalogueChecks.h"
#include "browse/CatalogueFiles.h"
#include "browse/FolderView.h"
#include "browse/Import.h"
#include "platform/IoError.h"

namespace qvl {
namespace {

using test::Bytes;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;
using Strings = std::vector<std::string>;

// A source and a destination catalogue in a folder of their own.
struct Merge {
  Merge(const std::string& sourceBytes, const std::string& destinationBytes)
      : source(dir / "source.qvl"), destination(dir / "dest.qvl") {
    WriteFile(source, sourceBytes);
    WriteFile(destination, destinationBytes);
  }
  // Imports the source into the destination and returns the destination's bytes.
  std::string Run(const std::optional<CommentLines>& comment = std::nullopt) {
    Progress quiet;
    return Run(quiet, comment);
  }
  std::string Run(Progress& progress, const std::optional<CommentLines>& comment = std::nullopt) {
    Catalogue catalogue;
    EXPECT_TRUE(ImportCatalogueFile(catalogue, source, destination, false, comment, progress));
    return ReadFile(destination);
  }
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  TempDir dir;
  std::string source, destination;
  Collator collator{"en_US"};
};

// Every folder of a catalogue with its rows, read from its own position (a path
// shows the first of twins): "\A\: D:B f/1 g".
Strings Outline(const std::string& path) {
  Collator collator("en_US");
  Catalogue catalogue;
  Progress quiet;
  EXPECT_TRUE(catalogue.LoadCatalogue(path, true, quiet));
  CatalogueReader& reader = catalogue.Reader();
  Strings outline;
  for (std::size_t i = 0; i < catalogue.Folders().Count(); ++i) {
    std::string line = catalogue.Folders().Path(i) + ":";
    reader.SeekCatalogue(catalogue.Folders().Position(i) - 1);
    reader.ReadByte();
    while (reader.CurrentTag() == 3 || reader.CurrentTag() == 4) {
      bool folder = reader.CurrentTag() == 4;
      line += (folder ? " D:" : " ") + reader.ReadField();
    }
    outline.push_back(line);
  }
  return outline;
}

// What a merged file must be, however odd its inputs: header, records in which
// every FolderStart is closed and the root closes once, at the end, then the end
// mark as the last byte. Returns the problems and counts the entry records.
std::string WellFormed(const std::string& bytes, int* entries = nullptr) {
  if (bytes.size() < 3 || bytes[0] != 0) return "no header";
  if (bytes.substr(bytes.size() - 2) != Bytes("\x02\x00")) return "does not end in FolderEnd and end mark";
  std::size_t at = bytes.find_first_of(Bytes("\x00\x01\x02\x03\x04"), 1);
  if (bytes[at] == 0 && at + 1 < bytes.size()) at = bytes.find_first_of(Bytes("\x00\x01\x02\x03\x04"), at + 1);
  int depth = 1, count = 0;
  for (; at < bytes.size() - 1; ++at) {
    char byte = bytes[at];
    if (byte == 0) return "SectionMark at " + std::to_string(at);
    if (byte == 1) ++depth;
    if (byte == 2 && --depth == 0 && at != bytes.size() - 2) return "root closed at " + std::to_string(at);
    if (byte == 3 || byte == 4) ++count;
  }
  if (depth != 0) return "depth " + std::to_string(depth) + " at the end";
  if (entries != nullptr) *entries = count;
  return "";
}

int EntryRecords(const std::string& bytes) {
  return static_cast<int>(std::count_if(bytes.begin(), bytes.end(), [](char c) { return c == 3 || c == 4; }));
}

TEST(ImportCatalogue, SampleDiskByteForByte) {
  Merge merge(Bytes("\x00" "x: [other]" "\x04" "B" "\x01" "B" "\x03" "g" "\x02\x02\x00"),
              Bytes("\x00" "c: [data]" "\x04" "A" "\x01" "A" "\x03" "f" "\x02\x02\x00"));
  EXPECT_EQ(merge.Run(), Bytes("\x00" "c: [data]" "\x04" "B" "\x04" "A" "\x01" "A" "\x03" "f" "\x02"
                               "\x01" "B" "\x03" "g" "\x02" "\x02\x00"));
  EXPECT_EQ(Outline(merge.destination), (Strings{"\\: D:B D:A", "\\A\\: f", "\\B\\: g"}));
  EXPECT_EQ(merge.Files(), (Strings{"dest.qvl", "source.qvl"}));
}

TEST(ImportCatalogue, CommonFoldersTakeTheSourceRecordsFirstInTheDestinationSpelling) {
  // Source: \docs\ (case differs) with a file both have, \docs\Old\ empty, \Only\.
  Merge merge(Bytes("\x00" "d:" "\x04" "docs" "\x03" "r/5" "\x01" "docs" "\x04" "Old" "\x03" "same/1"
                    "\x01" "Old" "\x02" "\x02" "\x02\x00"),
              Bytes("\x00" "c:" "\x00" "old comment\r\n" "\x04" "Docs" "\x01" "Docs" "\x04" "Old" "\x03" "same"
                    "\x01" "Old" "\x03" "kept" "\x02" "\x02" "\x02\x00"));
  std::string merged = merge.Run(CommentLines{"new", "", "", ""});
  EXPECT_EQ(merged.substr(0, 11), Bytes("\x00" "c:" "\x00" "new\r\n" "\x04" "d"));
  EXPECT_EQ(Outline(merge.destination),
            (Strings{"\\: D:docs r/5 D:Docs", "\\Docs\\: D:Old same/1 D:Old same", "\\Docs\\Old\\: kept"}));
  // Without a comment given, none: the destination's is dropped.
  WriteFile(merge.destination, Bytes("\x00" "c:" "\x00" "old\r\n" "\x02\x00"));
  EXPECT_EQ(merge.Run(), Bytes("\x00" "c:" "\x04" "docs" "\x03" "r/5" "\x01" "docs" "\x04" "Old" "\x03" "same/1"
                               "\x01" "Old" "\x02\x02" "\x02\x00"));
}

TEST(ImportCatalogue, NewFoldersGoInsideTheirParentsAtAnyDepth) {
  // The destination has \A\ and \A\B\; the source adds \A\X\ (two levels deep),
  // \A\B\Y\ (three), \A\X\W\ below a new one, and \N\ with \N\M\ at the root.
  Merge merge(Bytes("\x00" "s:" "\x04" "A" "\x04" "N" "\x01" "A" "\x04" "B" "\x04" "X" "\x01" "B" "\x04" "Y"
                    "\x01" "Y" "\x03" "y" "\x02" "\x02" "\x01" "X" "\x04" "W" "\x03" "x" "\x01" "W" "\x02" "\x02"
                    "\x02" "\x01" "N" "\x01" "M" "\x03" "m" "\x02" "\x02" "\x02\x00"),
              Bytes("\x00" "c:" "\x04" "A" "\x01" "A" "\x04" "B" "\x03" "a" "\x01" "B" "\x03" "b" "\x02" "\x02"
                    "\x02\x00"));
  std::string merged = merge.Run();
  EXPECT_EQ(WellFormed(merged), "");
  EXPECT_EQ(Outline(merge.destination), (Strings{"\\: D:A D:N D:A",
                                                 "\\A\\: D:B D:X D:B a",
                                                 "\\A\\B\\: D:Y b",
                                                 "\\A\\B\\Y\\: y",
                                                 "\\A\\X\\: D:W x",
                                                 "\\A\\X\\W\\:",
                                                 "\\N\\:",
                                                 "\\N\\M\\: m"}));
}

TEST(ImportCatalogue, AMergedFileMergesAgainAndADoubledPathTakesTheSourceOnce) {
  Merge merge(Bytes("\x00" "s:" "\x04" "A" "\x01" "A" "\x03" "1" "\x01" "New" "\x03" "n" "\x02\x02" "\x02\x00"),
              Bytes("\x00" "c:" "\x01" "A" "\x03" "0" "\x02" "\x01" "a" "\x03" "twin" "\x02" "\x02\x00"));
  merge.Run();
  EXPECT_EQ(Outline(merge.destination), (Strings{"\\: D:A", "\\A\\: 1 0", "\\A\\New\\: n", "\\a\\: twin"}));
  // The merged file as source and as destination: its runs of records are copied as they are.
  std::filesystem::copy_file(merge.destination, merge.source, std::filesystem::copy_options::overwrite_existing);
  std::string twice = merge.Run();
  int entries = 0;
  EXPECT_EQ(WellFormed(twice, &entries), "");
  EXPECT_EQ(entries, 2 * 5);
  // The source's own twin found no partner (the path's first folder took its
  // place), so it is new: kept, at the root.
  EXPECT_EQ(Outline(merge.destination), (Strings{"\\: D:A D:A", "\\A\\: 1 0 1 0", "\\A\\New\\: n n",
                                                 "\\a\\: twin", "\\a\\: twin"}));
}

TEST(ImportCatalogue, AChainDeeperThanAnyCallStack) {
  constexpr int kDepth = 100000;
  std::string chain;
  for (int i = 0; i < kDepth; ++i) chain += Bytes("\x01" "d");
  chain += std::string(kDepth, '\x02');
  Merge merge(Bytes("\x00" "s:" "\x03" "f") + chain + Bytes("\x02\x00"), Bytes("\x00" "c:" "\x02\x00"));
  // All of it new, then all of it merged into itself.
  EXPECT_EQ(merge.Run(), Bytes("\x00" "c:" "\x03" "f") + chain + Bytes("\x02\x00"));
  EXPECT_EQ(merge.Run(), Bytes("\x00" "c:" "\x03" "f" "\x03" "f") + chain + Bytes("\x02\x00"));
}

TEST(ImportCatalogue, OddDestinationsComeOutWellFormedWithEveryRecord) {
  const std::string source = Bytes("\x00" "s:" "\x03" "s" "\x01" "A" "\x03" "sa" "\x01" "Z" "\x03" "z" "\x02\x02"
                                   "\x01" "B" "\x03" "sb" "\x02" "\x02\x00");
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"root FolderEnd missing", Bytes("\x00" "c:" "\x01" "A" "\x03" "a" "\x02" "\x00")},
      {"extra FolderEnds", Bytes("\x00" "c:" "\x01" "A" "\x03" "a" "\x02\x02\x02\x02" "\x00")},
      {"folders after the root closed",
       Bytes("\x00" "c:" "\x02" "\x01" "B" "\x03" "b" "\x02" "\x01" "A" "\x02\x02\x00")},
      {"SectionMark among records", Bytes("\x00" "c:" "\x01" "A" "\x00" "\x03" "a" "\x02" "\x00" "\x02\x00")},
      {"cut short in a name", Bytes("\x00" "c:" "\x01" "A" "\x01" "Q" "\x03" "a")},
      {"cut after a FolderStart", Bytes("\x00" "c:" "\x01" "A" "\x03" "a" "\x01")},
      {"comment only", Bytes("\x00" "c:" "\x00" "note")},
  };
  for (const auto& odd : cases) {
    Merge merge(source, odd.bytes);
    std::string merged = merge.Run();
    int entries = 0;
    EXPECT_EQ(WellFormed(merged, &entries), "") << odd.what;
    // Every record of both, nothing twice: the source's four, the destination's own.
    EXPECT_EQ(entries, 4 + EntryRecords(odd.bytes.substr(1))) << odd.what;
    EXPECT_EQ(test::CheckCatalogue(merge.destination, merge.dir / "replay.qvl"), "") << odd.what;
    Strings outline = Outline(merge.destination);
    EXPECT_NE(std::find(outline.begin(), outline.end(), "\\A\\Z\\: z"), outline.end()) << odd.what;
  }
}

TEST(ImportCatalogue, HostileFilesEitherWayRound) {
  for (const auto& entry : std::filesystem::directory_iterator(QVL_HOSTILE_DIR)) {
    std::string hostile = ReadFile(entry.path());
    for (bool asSource : {true, false}) {
      Merge merge(asSource ? hostile : test::SampleDisk(), asSource ? test::SampleDisk() : hostile);
      Catalogue catalogue;
      Progress quiet;
      try {
        ImportCatalogueFile(catalogue, merge.source, merge.destination, false, std::nullopt, quiet);
      } catch (const IoError& error) {
        // A destination that is plainly no catalogue is refused; so is a source that
        // is none, or is cut short. The destination is kept either way.
        const std::string said = error.what();
        if (asSource) {
          EXPECT_TRUE(said == NotACatalogueText(merge.source) || said.starts_with(CutShortText(merge.source)))
              << entry.path() << said;
          EXPECT_EQ(ReadFile(merge.destination), test::SampleDisk());
        } else {
          EXPECT_TRUE(hostile.empty() || hostile[0] != 0) << entry.path();
          EXPECT_EQ(ReadFile(merge.destination), hostile);
        }
        continue;
      }
      EXPECT_EQ(WellFormed(ReadFile(merge.destination)), "") << entry.path() << asSource;
      EXPECT_EQ(merge.Files(), (Strings{"dest.qvl", "source.qvl"}));
    }
  }
}

TEST(ImportCatalogue, ProgressAndStatusTexts) {
  struct Log : Progress {
    void Status(std::string_view text) override { texts.emplace_back(text); }
    void Percent(int percent) override { texts.push_back(std::to_string(percent) + "%"); }
    Strings texts;
  };
  Merge merge(Bytes("\x00" "s:" "\x01" "A" "\x01" "New" "\x02\x02\x02\x00"),
              Bytes("\x00" "c:" "\x01" "A" "\x02\x01" "B" "\x02\x02\x00"));
  Catalogue catalogue;
  Progress quiet;
  catalogue.LoadCatalogue(merge.source, true, quiet);
  Log log;
  ImportCatalogue(catalogue, merge.destination, false, std::nullopt, log);
  // At the root and at each FolderStart whose percent is new; each new folder.
  EXPECT_EQ(log.texts, (Strings{"36%", "Rewriting dir \\A\\New\\", "63%"}));

  Log listing;
  catalogue.LoadCatalogue(merge.source, false, quiet);
  ImportCatalogue(catalogue, merge.destination, true, std::nullopt, listing);
  const std::string importing = "Importing to " + merge.destination + ", ";
  EXPECT_EQ(listing.texts.front(), importing + "25% done");
}

TEST(ImportCatalogue, NamesOfOneFile) {
  Merge merge(Bytes("\x00" "s:" "\x03" "new" "\x02\x00"), Bytes("\x00" "c:" "\x03" "old" "\x02\x00"));
  std::filesystem::permissions(merge.destination, std::filesystem::perms(0640));
  std::filesystem::create_hard_link(merge.destination, merge.dir / "hard.qvl");
  std::filesystem::create_symlink(merge.destination, merge.dir / "link.qvl");
  Catalogue catalogue;
  Progress quiet;
  for (const std::string& other : {merge.dir / "hard.qvl", merge.dir / "link.qvl", merge.dir / "./dest.qvl"})
    EXPECT_THROW(ImportCatalogueFile(catalogue, other, merge.destination, false, std::nullopt, quiet), SameFileError);
  // Through a link the link's file is merged, and keeps its permissions.
  ImportCatalogueFile(catalogue, merge.source, merge.dir / "link.qvl", false, std::nullopt, quiet);
  EXPECT_TRUE(std::filesystem::is_symlink(merge.dir / "link.qvl"));
  EXPECT_EQ(ReadFile(merge.destination), Bytes("\x00" "c:" "\x03" "new" "\x03" "old" "\x02\x00"));
  EXPECT_EQ(std::filesystem::status(merge.destination).permissions(), std::filesystem::perms(0640));
}

// Failures before the rename leave the destination as it was and no temporary file.
struct Failing : Merge {
  Failing() : Merge(test::SampleDisk(), Bytes("\x00" "c:" "\x03" "precious" "\x02\x00")) {}
  std::string Fails(Progress& progress) {
    Catalogue catalogue;
    try {
      ImportCatalogueFile(catalogue, source, destination, false, std::nullopt, progress);
    } catch (const IoError& error) {
      return error.what();
    }
    return "no failure";
  }
  std::string Fails() {
    Progress quiet;
    return Fails(quiet);
  }
};

// The temporary file's name is fixed: whatever is there already under it (a link
// another user planted, their file, a folder, a stopped merge's file) is refused,
// never written through or taken over, and left as it is.
TEST(ImportCatalogueFailure, TemporaryFileInTheWay) {
  const std::string precious = Bytes("\x00" "c:" "\x03" "precious" "\x02\x00");
  Failing merge;
  const std::string temporary = merge.destination + ".imp.tmp";
  const std::string victim = merge.dir / "victim";
  WriteFile(victim, "victim's");
  auto inTheWay = [&] {
    EXPECT_EQ(merge.Fails(), "Cannot create \"" + temporary + "\": a file of that name is in the way, perhaps "
                             "left by a run that was stopped; remove it if no program is writing it");
    EXPECT_EQ(ReadFile(merge.destination), precious);
    EXPECT_EQ(ReadFile(victim), "victim's");
  };
  std::filesystem::create_symlink(victim, temporary);
  inTheWay();
  std::filesystem::remove(temporary);
  std::filesystem::create_symlink(merge.dir / "nothing-yet", temporary);
  inTheWay();
  EXPECT_FALSE(std::filesystem::exists(merge.dir / "nothing-yet"));
  std::filesystem::remove(temporary);
  WriteFile(temporary, "theirs");
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(temporary.c_str(), 65534, 65534), 0);
  }
  inTheWay();
  EXPECT_EQ(ReadFile(temporary), "theirs");
  std::filesystem::remove(temporary);
  merge.dir.MakeFolder("dest.qvl.imp.tmp");
  inTheWay();
}

TEST(ImportCatalogueFailure, DestinationRemovedOrReplacedMeanwhile) {
  // What another program does while the merge runs, at its first progress report.
  struct Meanwhile : Progress {
    explicit Meanwhile(std::function<void()> act) : action(std::move(act)) {}
    void Percent(int) override {
      if (++calls == 2) action();  // the first is the source's load
    }
    std::function<void()> action;
    int calls = 0;
  };
  Failing removed;
  Meanwhile remove([&] { std::filesystem::remove(removed.destination); });
  EXPECT_EQ(removed.Fails(remove), "Cannot replace \"" + removed.destination + "\": No such file or directory");
  EXPECT_EQ(removed.Files(), (Strings{"source.qvl"}));

  Failing replaced;
  Meanwhile replace([&] {
    WriteFile(replaced.dir / "newer.qvl", "newer");
    std::filesystem::rename(replaced.dir / "newer.qvl", replaced.destination);
  });
  EXPECT_NE(replaced.Fails(replace).find("replaced by another file"), std::string::npos);
  EXPECT_EQ(ReadFile(replaced.destination), "newer");
  EXPECT_EQ(replaced.Files(), (Strings{"dest.qvl", "source.qvl"}));

  // Either file written over in place (the same file, other bytes), cut short or
  // added to: the merge would read as whole and is not.
  const std::string sampleDisk = test::SampleDisk();
  struct Change {
    bool ofSource;
    std::string bytes;
  };
  for (const Change& change : {Change{false, Bytes("\x00" "c:" "\x03" "rewritten" "\x02\x00")},
                               Change{true, sampleDisk.substr(0, sampleDisk.size() - 5)},
                               Change{true, sampleDisk + sampleDisk}}) {
    Failing failing;
    const std::string& changed = change.ofSource ? failing.source : failing.destination;
    Meanwhile write([&] {
      std::ofstream(changed, std::ios::binary | std::ios::trunc) << change.bytes;
    });
    const std::string said = failing.Fails(write);
    EXPECT_NE(said.find(change.ofSource ? "was changed while it was being merged" : "was changed by another program"),
              std::string::npos)
        << said;
    EXPECT_EQ(ReadFile(failing.destination), change.ofSource ? Bytes("\x00" "c:" "\x03" "precious" "\x02\x00")
                                                             : change.bytes);
    EXPECT_EQ(failing.Files(), (Strings{"dest.qvl", "source.qvl"}));
  }
}

TEST(ImportCatalogueFailure, NoCatalogueOrNoDestination) {
  Failing text;
  WriteFile(text.destination, "notes\r\n");
  EXPECT_EQ(text.Fails(), "Cannot import into \"" + text.destination + "\": it is not a catalogue");
  EXPECT_EQ(ReadFile(text.destination), "notes\r\n");

  Failing missing;
  std::filesystem::remove(missing.destination);
  EXPECT_EQ(missing.Fails(), "Cannot open \"" + missing.destination + "\": No such file or directory");
  EXPECT_EQ(missing.Files(), (Strings{"source.qvl"}));
}

}  // namespace
}  // namespace qvl
