#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "platform/Directory.h"
#include "support/TempDir.h"

namespace qvl {
namespace {

using test::TempDir;

std::vector<DirEntry> Sorted(std::vector<DirEntry> entries) {
  std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  return entries;
}

const DirEntry* Named(const std::vector<DirEntry>& entries, const std::string& name) {
  for (const auto& entry : entries)
    if (entry.name == name) return &entry;
  return nullptr;
}

TEST(LinuxDirectory, SynthesisesAttributeWordsAndSizes) {
  TempDir dir;
  dir.MakeSizedFile("big.iso", 5368709120LL);  // sparse, 5 GiB
  dir.MakeFile(".hidden", "x");
  dir.MakeFile("ro.txt", "abc");
  ::chmod((dir / "ro.txt").c_str(), 0444);
  dir.MakeFolder("sub");
  dir.MakeFolder(".cache");
  dir.MakeLink("to-sub", "sub");
  dir.MakeLink("to-file", "ro.txt");
  dir.MakeLink("dangling", "nowhere");
  ::mkfifo((dir / "pipe").c_str(), 0644);

  auto source = MakeLinuxDirectorySource(dir.Path(), false);
  std::vector<DirEntry> entries;
  ASSERT_TRUE(source->Enumerate({}, entries));
  EXPECT_EQ(entries.size(), 9u);
  EXPECT_EQ(Named(entries, "big.iso")->attributes, 0x20u);
  EXPECT_EQ(Named(entries, "big.iso")->size, 5368709120LL);
  EXPECT_EQ(Named(entries, ".hidden")->attributes, 0x22u);
  EXPECT_EQ(Named(entries, "ro.txt")->attributes, 0x21u);
  EXPECT_EQ(Named(entries, "ro.txt")->size, 3);
  EXPECT_EQ(Named(entries, "sub")->attributes, 0x10u);
  EXPECT_EQ(Named(entries, ".cache")->attributes, 0x12u);
  EXPECT_EQ(Named(entries, "to-sub")->attributes, 0x410u);
  EXPECT_EQ(Named(entries, "to-sub")->size, 0);
  EXPECT_EQ(Named(entries, "to-file")->attributes, 0x400u);
  EXPECT_EQ(Named(entries, "dangling")->attributes, 0x400u);
  EXPECT_EQ(Named(entries, "pipe")->attributes, 0x24u);
  EXPECT_EQ(Named(entries, ".."), nullptr);
}

TEST(LinuxDirectory, NamesAreBytesAndFoldersBelowAreReachable) {
  TempDir dir;
  std::string odd = "odd\x01name\r\n\xff";
  dir.MakeFile("sub/" + odd, "1234");
  auto source = MakeLinuxDirectorySource(dir.Path(), false);
  std::vector<DirEntry> entries;
  ASSERT_TRUE(source->Enumerate({"sub"}, entries));
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, odd);
  EXPECT_EQ(entries[0].size, 4);
  EXPECT_FALSE(source->Enumerate({"missing"}, entries));
  EXPECT_TRUE(entries.empty());
  EXPECT_FALSE(MakeLinuxDirectorySource(dir / "absent")->Enumerate({}, entries));
}

TEST(LinuxDirectory, NeverLeadsThroughASymbolicLink) {
  TempDir dir;
  dir.MakeFile("real/inside", "x");
  dir.MakeLink("link", "real");
  auto source = MakeLinuxDirectorySource(dir.Path(), false);
  std::vector<DirEntry> entries;
  EXPECT_FALSE(source->Enumerate({"link"}, entries));
  EXPECT_TRUE(source->Enumerate({"real"}, entries));
}

TEST(LinuxDirectory, ReadsPathsLongerThanTheSystemTakesInOneCall) {
  TempDir dir;
  // 300 levels of 20-character names: about 6300 bytes of path, made level by level.
  std::vector<std::string> names(300, std::string(20, 'n'));
  test::MakeFolderChain(dir.Path(), names);
  auto source = MakeLinuxDirectorySource(dir.Path(), false);
  std::vector<DirEntry> entries;
  ASSERT_TRUE(source->Enumerate(std::vector<std::string>(names.begin(), names.end() - 1), entries));
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].attributes, 0x10u);
  ASSERT_TRUE(source->Enumerate(names, entries));
  EXPECT_TRUE(entries.empty());
}

TEST(LinuxDirectory, ReadAheadGivesTheSameEntriesInAnyOrderOfRequests) {
  TempDir dir;
  for (int i = 0; i < 40; ++i) {
    for (int k = 0; k < 3; ++k) dir.MakeFile("f" + std::to_string(i) + "/g" + std::to_string(k) + "/file", "12");
  }
  auto plain = MakeLinuxDirectorySource(dir.Path(), false);
  auto ahead = MakeLinuxDirectorySource(dir.Path(), true);
  std::vector<std::string> top;
  for (int i = 0; i < 40; ++i) top.push_back("f" + std::to_string(i));
  ahead->ExpectFolders({}, top);
  // Ask in reverse, and some twice, so that read-ahead results are both used and missed.
  for (int i = 39; i >= 0; --i) {
    for (int pass = 0; pass < 2; ++pass) {
      std::vector<DirEntry> a, b;
      std::vector<std::string> folder{top[static_cast<std::size_t>(i)]};
      ASSERT_TRUE(plain->Enumerate(folder, a));
      ASSERT_TRUE(ahead->Enumerate(folder, b));
      ASSERT_EQ(Sorted(a).size(), 3u);
      for (std::size_t k = 0; k < 3; ++k) EXPECT_EQ(Sorted(a)[k].name, Sorted(b)[k].name);
    }
  }
}

// A fork reads from folders it keeps open along its last path: going down, aside,
// back up and down again, it gives what a fresh source gives.
TEST(LinuxDirectory, AForkGivesWhatTheSourceGivesInAnyOrder) {
  TempDir dir;
  for (const char* file : {"a/b/c/1", "a/b/d/2", "a/x/3", "q/4", "a/5"}) dir.MakeFile(file, "xy");
  auto source = MakeLinuxDirectorySource(dir.Path(), true);
  auto fork = source->Fork();
  ASSERT_NE(fork, nullptr);
  using Path = std::vector<std::string>;
  for (const Path& folder : {Path{}, Path{"a"}, Path{"a", "b"}, Path{"a", "b", "c"}, Path{"a", "b", "d"},
                             Path{"a", "x"}, Path{"a", "b", "c"}, Path{"q"}, Path{"a", "b"}, Path{"a", "5"}}) {
    std::vector<DirEntry> expected, forked;
    bool ok = MakeLinuxDirectorySource(dir.Path(), false)->Enumerate(folder, expected);
    EXPECT_EQ(fork->Enumerate(folder, forked), ok);
    ASSERT_EQ(Sorted(forked).size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(Sorted(forked)[i].name, Sorted(expected)[i].name);
  }
  EXPECT_EQ(fork->FailureReason(), "Not a directory");
}

// A listing asks for no link targets: every link is then 0x400, the rest as before.
TEST(LinuxDirectory, WithoutLinkTargetsEveryLinkIsAPlainReparsePoint) {
  TempDir dir;
  dir.MakeFolder("sub");
  dir.MakeFile("file", "abc");
  dir.MakeLink("to-sub", "sub");
  dir.MakeLink("to-file", "file");
  dir.MakeLink("loop", "loop");
  for (int threads : {0, 2}) {
    auto source =
        MakeLinuxDirectorySource(dir.Path(), DirectoryOptions{.readAheadThreads = threads, .linkTargets = false});
    std::vector<DirEntry> entries;
    ASSERT_TRUE(source->Enumerate({}, entries));
    EXPECT_EQ(Named(entries, "to-sub")->attributes, 0x400u);
    EXPECT_EQ(Named(entries, "to-file")->attributes, 0x400u);
    EXPECT_EQ(Named(entries, "loop")->attributes, 0x400u);
    EXPECT_EQ(Named(entries, "sub")->attributes, 0x10u);
    EXPECT_EQ(Named(entries, "file")->size, 3);
  }
}

// Several readers ahead of a walk that goes down the tree as a listing does (its
// own order, not the file system's) hand over every folder exactly as read alone,
// whatever they had read by then; and a source that goes early stops its readers.
// Folders of differing sizes: the readers fill vectors that held other folders.
TEST(LinuxDirectory, ReadersAheadOfAWalkGiveWhatAPlainReadGives) {
  TempDir dir;
  for (int a = 0; a < 12; ++a)
    for (int b = 0; b < 6; ++b)
      for (int c = 0; c < 3; ++c)
        for (int f = 0; f <= (a + b + c) % 5; ++f)
          dir.MakeFile("a" + std::to_string(a) + "/b" + std::to_string(b) + "/c" + std::to_string(c) + "/f" +
                           std::to_string(f),
                       std::string(static_cast<std::size_t>(a + f), 'x'));
  auto plain = MakeLinuxDirectorySource(dir.Path(), false);
  for (int threads : {1, 4}) {
    auto ahead = MakeLinuxDirectorySource(dir.Path(), DirectoryOptions{.readAheadThreads = threads});
    std::vector<std::vector<std::string>> toVisit{{}};
    std::size_t folders = 0;
    while (!toVisit.empty()) {
      std::vector<std::string> folder = toVisit.back();
      toVisit.pop_back();
      std::vector<DirEntry> a, b;
      ASSERT_TRUE(plain->Enumerate(folder, a));
      ASSERT_TRUE(ahead->Enumerate(folder, b));
      a = Sorted(a);
      b = Sorted(b);
      ASSERT_EQ(a.size(), b.size());
      std::vector<std::string> subfolders;
      for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].name, b[i].name);
        EXPECT_EQ(a[i].attributes, b[i].attributes);
        EXPECT_EQ(a[i].size, b[i].size);
        EXPECT_EQ(a[i].modified, b[i].modified);
        if (b[i].attributes == 0x10u) subfolders.push_back(b[i].name);
      }
      // Reverse name order, unlike the file system's and unlike the readers' guess.
      std::sort(subfolders.rbegin(), subfolders.rend());
      ahead->ExpectFolders(folder, subfolders);
      for (auto name = subfolders.rbegin(); name != subfolders.rend(); ++name) {
        toVisit.push_back(folder);
        toVisit.back().push_back(*name);
      }
      ++folders;
    }
    EXPECT_EQ(folders, 1u + 12 + 12 * 6 + 12 * 6 * 3);
  }
  auto early = MakeLinuxDirectorySource(dir.Path(), DirectoryOptions{.readAheadThreads = 4});
  std::vector<DirEntry> entries;
  ASSERT_TRUE(early->Enumerate({}, entries));
  early->ExpectFolders({}, {"a0", "a1", "a2"});
  ASSERT_TRUE(early->Enumerate({"a0"}, entries));
}

// A folder larger than one read of the kernel's is read to its end, however the
// reader learns where the end is; so are an empty folder and one of one entry.
TEST(LinuxDirectory, ReadsFoldersOfEverySizeWhole) {
  TempDir dir;
  const std::string longName(60, 'n');
  for (int i = 0; i < 3000; ++i) dir.MakeFile("big/" + longName + std::to_string(i), "");
  dir.MakeFolder("empty");
  dir.MakeFile("one/only", "x");
  auto source = MakeLinuxDirectorySource(dir.Path(), false);
  std::vector<DirEntry> entries;
  for (auto [folder, count] : {std::pair{"big", 3000u}, {"empty", 0u}, {"one", 1u}}) {
    ASSERT_TRUE(source->Enumerate({folder}, entries));
    EXPECT_EQ(entries.size(), count) << folder;
  }
  ASSERT_TRUE(source->Enumerate({"big"}, entries));
  entries = Sorted(entries);
  EXPECT_EQ(std::unique(entries.begin(), entries.end(), [](auto& a, auto& b) { return a.name == b.name; }),
            entries.end());
}

// A folder that cannot be read says why, whether the walk or the read-ahead read it.
TEST(LinuxDirectory, AFolderThatCannotBeReadSaysWhy) {
  TempDir dir;
  dir.MakeFolder("here");
  dir.MakeFile("file", "x");
  for (bool readAhead : {false, true}) {
    auto source = MakeLinuxDirectorySource(dir.Path(), readAhead);
    std::vector<DirEntry> entries;
    source->ExpectFolders({}, {"here", "gone", "file"});
    EXPECT_FALSE(source->Enumerate({"gone"}, entries));
    EXPECT_EQ(source->FailureReason(), "No such file or directory");
    EXPECT_FALSE(source->Enumerate({"file"}, entries));
    EXPECT_EQ(source->FailureReason(), "Not a directory");
    EXPECT_TRUE(source->Enumerate({"here"}, entries));
  }
  auto missing = MakeLinuxDirectorySource(dir / "no-such-drive");
  std::vector<DirEntry> entries;
  EXPECT_FALSE(missing->Enumerate({}, entries));
  EXPECT_EQ(missing->FailureReason(), "No such file or directory");
}

}  // namespace
}  // namespace qvl
