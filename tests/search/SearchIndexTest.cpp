// The search index: searches through it give the rows the scan gives, and an
// index of a file that has changed, or one that is damaged, is never used.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <filesystem>
#include <random>

#include "browse/CatalogueFiles.h"
#include "browse/Import.h"
#include "platform/IoError.h"
#include "search/SearchChecks.h"
#include "search/SearchIndex.h"

namespace qvl {
namespace {

using test::ReadFile;
using test::RowsText;
using test::WriteFile;

class SearchIndexTest : public ::testing::Test {
 protected:
  void SetUp() override { ::setenv("XDG_CACHE_HOME", (dir / "cache").c_str(), 1); }

  // Copies a catalogue into the test's folder.
  std::string Copy(const std::string& bytes, const std::string& name) {
    std::string path = dir / name;
    WriteFile(path, bytes);
    return path;
  }

  test::TempDir dir;
};

// An index with small blocks, so that a small file has many.
void IndexInBlocks(const std::string& file, std::size_t blockBytes) {
  std::filesystem::create_directories(IndexFolder());
  WriteSearchIndex(file, IndexFileOf(file), blockBytes);
}

std::string Searched(const std::string& file, std::string_view text, bool useIndex) {
  ListRows rows;
  SearchProgress quiet;
  SearchCatalogueFile(text, file, rows, quiet, {.useIndex = useIndex});
  return RowsText(rows);
}

std::string Found(Catalogue& catalogue, std::string_view text, bool useIndex) {
  ListRows rows;
  Progress quiet;
  FindEntries(catalogue, text, rows, quiet, {.useIndex = useIndex});
  return RowsText(rows);
}

// A catalogue of some thousand entries: nested folders, names with bytes above
// 0x7F, sizes, a second run of entries after a folder's subfolders (as merges
// leave them).
std::string GeneratedCatalogue(std::uint32_t seed) {
  std::mt19937 random(seed);
  const std::vector<std::string> parts = {"alpha", "Beta", "g\xE4mma", "DELTA", "eps/ilon", "z\xC3\xA9ta",
                                          "eta", "Theta", "io", "kappa.txt", "LAMBDA.JPG", "mu"};
  auto name = [&] {
    std::string text = parts[random() % parts.size()];
    if (random() % 2) text += " " + parts[random() % parts.size()];
    if (random() % 3 == 0) text += std::to_string(random() % 1000);
    return text;
  };
  std::string bytes = test::Bytes("\x00" "c: [gen]" "\x00" "a comment\r\n");
  std::function<void(int)> folder = [&](int depth) {
    const int entries = static_cast<int>(random() % 12);
    const int subfolders = depth < 4 ? static_cast<int>(random() % 4) : 0;
    std::vector<std::string> names;
    for (int i = 0; i < subfolders; ++i) names.push_back(name());
    for (const std::string& sub : names) bytes += "\x04" + sub;
    for (int i = 0; i < entries; ++i) bytes += "\x03" + name() + "/" + std::to_string(random() % 100000);
    for (const std::string& sub : names) {
      bytes += "\x01" + sub;
      folder(depth + 1);
    }
    if (random() % 5 == 0) bytes += "\x03" + name() + "/7";
    bytes += "\x02";
  };
  for (int i = 0; i < 8; ++i) bytes += "\x04" + name();
  for (int i = 0; i < 8; ++i) {
    bytes += "\x01" + name();
    folder(1);
  }
  bytes += test::Bytes("\x02\x00");
  return bytes;
}

// Texts of every kind: slices of the file's bytes, which cross fields, folder
// boundaries and tags; the same in another letter case; "/", digits, single
// bytes, bytes above 0x7F, and the empty text.
std::vector<std::string> TextsFor(const std::string& bytes, std::mt19937& random) {
  std::vector<std::string> texts = {"", "/", "a", "\xE4", "\xC3\xA9", "7", "10", "/7", "txt/", "t/1", "eta",
                                    "ETA", "zeta", "Z\xC3\xA9TA", "k.txt/", "lambda.jpg/", "absent-text"};
  for (int i = 0; i < 40 && !bytes.empty(); ++i) {
    std::size_t at = random() % bytes.size();
    std::string text = bytes.substr(at, 1 + random() % 8);
    texts.push_back(text);
    for (char& c : text)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    texts.push_back(text);
  }
  return texts;
}

// What the companion's dates hang on: each hit's entry number and end, and its path.
std::string Hits(const std::string& file, const SearchPattern& pattern, bool useIndex) {
  std::optional<EntryScan> scan;
  OpenSearchScan(scan, file, pattern, true, {.countEntries = true, .useIndex = useIndex});
  std::ostringstream hits;
  for (auto event = scan->Next(); event != EntryScan::Event::End; event = scan->Next())
    if (event == EntryScan::Event::Hit)
      hits << scan->EntryNumber() << ' ' << scan->EndPosition() << ' ' << scan->Path() << '\n';
  return hits.str();
}

std::string CheckSameRows(const std::string& file, std::mt19937& random) {
  std::ostringstream problems;
  Catalogue catalogue;
  Progress quiet;
  catalogue.LoadCatalogue(file, true, quiet);
  for (const std::string& text : TextsFor(ReadFile(file), random)) {
    SearchPattern pattern(text);
    // The index answers what it can; a scan of only some blocks must then agree.
    if (pattern.CanMatch() && text.size() >= 3 && !AskIndex(file, pattern))
      problems << "no answer from the index for \"" << text << "\"\n";
    if (Searched(file, text, true) != Searched(file, text, false))
      problems << "search of \"" << text << "\":\n" << Searched(file, text, true) << "instead of\n"
               << Searched(file, text, false);
    if (Hits(file, pattern, true) != Hits(file, pattern, false))
      problems << "entry numbers of \"" << text << "\":\n" << Hits(file, pattern, true) << "instead of\n"
               << Hits(file, pattern, false);
    if (Found(catalogue, text, true) != Found(catalogue, text, false))
      problems << "quick find of \"" << text << "\":\n" << Found(catalogue, text, true) << "instead of\n"
               << Found(catalogue, text, false);
  }
  return problems.str();
}

TEST_F(SearchIndexTest, GivesTheRowsOfTheScanOverHostileMergedAndGeneratedCatalogues) {
  std::mt19937 random(22);
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(QVL_HOSTILE_DIR))
    if (entry.path().extension() == ".qvl") files.push_back(Copy(ReadFile(entry.path()), entry.path().filename()));
  // Each hostile file merged into a sample, and a generated one into another.
  for (std::size_t i = 0, count = files.size(); i < count; ++i) {
    std::string destination = Copy(test::SampleDisk(), "merged" + std::to_string(i) + ".qvl");
    Catalogue catalogue;
    Progress quiet;
    // Some are refused (cut short): those have no merge to search.
    try {
      ImportCatalogueFile(catalogue, files[i], destination, false, std::nullopt, quiet);
      files.push_back(destination);
    } catch (const IoError&) {
    }
  }
  files.push_back(Copy(GeneratedCatalogue(1), "gen1.qvl"));
  std::string merged = Copy(GeneratedCatalogue(2), "gen2.qvl");
  {
    Catalogue catalogue;
    Progress quiet;
    ImportCatalogueFile(catalogue, Copy(GeneratedCatalogue(3), "gen3.qvl"), merged, false, std::nullopt, quiet);
  }
  files.push_back(merged);
  for (const std::string& file : files) {
    for (std::size_t blockBytes : {std::size_t{1}, std::size_t{7}, std::size_t{300}, std::size_t{64} << 10}) {
      IndexInBlocks(file, blockBytes);
      ASSERT_EQ(IndexStatus(file), IndexFreshness::Fresh) << file;
      EXPECT_EQ(CheckSameRows(file, random), "") << file << " in blocks of " << blockBytes;
    }
  }
}

TEST_F(SearchIndexTest, AnsweringReadsOnlyBlocksThatMayHoldTheText) {
  std::string file = Copy(GeneratedCatalogue(4) + test::Bytes("\x03" "unique-needle/1"), "needle.qvl");
  IndexInBlocks(file, 256);
  auto answer = AskIndex(file, SearchPattern("UNIQUE-needle"));
  ASSERT_TRUE(answer);
  ASSERT_EQ(answer->ranges.size(), 1u);
  EXPECT_EQ(answer->ranges[0].to, static_cast<std::int64_t>(ReadFile(file).size()));
  EXPECT_LT(answer->ranges[0].to - answer->ranges[0].from, 400);
  EXPECT_TRUE(AskIndex(file, SearchPattern("never-there"))->ranges.empty());
  // Too short, or holding a tag: the scan answers.
  EXPECT_FALSE(AskIndex(file, SearchPattern("ne")));
  EXPECT_FALSE(AskIndex(file, SearchPattern(std::string("ne\x02" "edle", 7))));
}

// The catalogue changes behind the index's back; a search through the old index
// would miss "late-entry", which is in the file now.
TEST_F(SearchIndexTest, AnIndexOfAFileChangedSinceIsNeverUsed) {
  const std::string original = GeneratedCatalogue(5);
  const std::string late = test::Bytes("\x03" "late-entry/5");
  auto timesOf = [](const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return std::array<timespec, 2>{st.st_atim, st.st_mtim};
  };
  auto expectScanned = [&](const std::string& file, const char* how) {
    EXPECT_EQ(IndexStatus(file), IndexFreshness::Stale) << how;
    EXPECT_FALSE(AskIndex(file, SearchPattern("late-entry"))) << how;
    EXPECT_EQ(Searched(file, "late-entry", true), Searched(file, "late-entry", false)) << how;
    EXPECT_NE(Searched(file, "late-entry", true), "") << how;
    BuildMissingIndexes({file});
    EXPECT_EQ(IndexStatus(file), IndexFreshness::Fresh) << how;
  };
  {
    // Appended to by a program that knows nothing of indexes.
    std::string file = Copy(original, "appended.qvl");
    BuildSearchIndex(file);
    int fd = ::open(file.c_str(), O_WRONLY | O_APPEND);
    ASSERT_EQ(::write(fd, late.data(), late.size()), static_cast<ssize_t>(late.size()));
    ::close(fd);
    expectScanned(file, "appended");
  }
  {
    // Another file of the same size renamed over it, with the old times.
    std::string file = Copy(original.substr(0, original.size() - late.size()) + late, "replaced.qvl");
    std::string other = Copy(original, "other.qvl");
    BuildSearchIndex(other);
    auto times = timesOf(other);
    std::filesystem::rename(file, other);
    ::utimensat(AT_FDCWD, other.c_str(), times.data(), 0);
    expectScanned(other, "replaced");
  }
  {
    // Written over in place, same size, its time set back.
    std::string file = Copy(original, "rewritten.qvl");
    BuildSearchIndex(file);
    auto times = timesOf(file);
    int fd = ::open(file.c_str(), O_WRONLY);
    ASSERT_EQ(::pwrite(fd, late.data(), late.size(), static_cast<off_t>(original.size() / 2)),
              static_cast<ssize_t>(late.size()));
    ::close(fd);
    ::utimensat(AT_FDCWD, file.c_str(), times.data(), 0);
    expectScanned(file, "rewritten in place");
  }
  {
    // Cut short: the index knows entries that are gone.
    std::string file = Copy(original + late, "truncated.qvl");
    BuildSearchIndex(file);
    std::filesystem::resize_file(file, original.size() + late.size() - 3);
    EXPECT_EQ(IndexStatus(file), IndexFreshness::Stale);
    EXPECT_EQ(Searched(file, "late-en", true), Searched(file, "late-en", false));
  }
}

TEST_F(SearchIndexTest, ADamagedIndexIsRemovedAndTheScanAnswers) {
  std::string file = Copy(GeneratedCatalogue(6), "damaged.qvl");
  const std::string expected = Searched(file, "alpha", false);
  ASSERT_NE(expected, "");
  BuildSearchIndex(file);
  const std::string indexFile = IndexFileOf(file);
  const std::string index = ReadFile(indexFile);
  std::mt19937 random(6);
  for (int i = 0; i < 50; ++i) {
    std::string damaged = index;
    if (i % 5 == 4) {
      damaged.resize(random() % index.size());
    } else {
      damaged[random() % damaged.size()] ^= static_cast<char>(1 + random() % 255);
    }
    WriteFile(indexFile, damaged);
    EXPECT_EQ(Searched(file, "alpha", true), expected);
    // Without the checksums, the decoder refuses what does not hold together, or
    // answers with blocks of the file.
    if (auto answer = AskIndexFile(indexFile, SearchPattern("alpha"), false)) {
      for (const ScanRange& range : answer->ranges) EXPECT_LE(range.to, static_cast<std::int64_t>(ReadFile(file).size()));
    }
  }
  // Once noticed, it is gone: the next search's caller builds it again.
  std::string header = index;
  header[20] ^= 1;
  WriteFile(indexFile, header);
  Searched(file, "alpha", true);
  EXPECT_EQ(IndexStatus(file), IndexFreshness::Missing);
  EXPECT_TRUE(BuildMissingIndexes({file}).empty());
  EXPECT_EQ(IndexStatus(file), IndexFreshness::Fresh);
  EXPECT_EQ(Searched(file, "alpha", true), expected);
}

TEST_F(SearchIndexTest, BuildingTellsWhichFileFailed) {
  EXPECT_EQ(IndexStatus(dir / "none.qvl"), IndexFreshness::Missing);
  std::string file = Copy(GeneratedCatalogue(7), "ok.qvl");
  // The cache folder cannot be made: a file stands in its way.
  WriteFile(dir / "cache", "");
  try {
    BuildSearchIndex(file);
    ADD_FAILURE() << "no error";
  } catch (const IoError& error) {
    EXPECT_NE(std::string(error.what()).find(dir / "cache"), std::string::npos) << error.what();
  }
  auto failures = BuildMissingIndexes({file, dir / "none.qvl"});
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(Searched(file, "alpha", true), Searched(file, "alpha", false));
}

}  // namespace
}  // namespace qvl
