// A catalogue walked by several threads is the catalogue one walk writes: the same
// bytes, the same companion entries, unreadable folders told in the same order.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "listing/CompanionCollector.h"
#include "listing/ParallelWalk.h"
#include "platform/IoError.h"
#include "support/FakeDirectory.h"

namespace qvl {
namespace {

using test::FileOf;
using test::Folder;

// Forks count themselves; a slow drive takes a while over each folder, as a disk does.
struct ForkableDrive final : test::FakeDirectory {
  std::unique_ptr<DirectorySource> Fork() override {
    ++*forks;
    return std::make_unique<ForkableDrive>(*this);
  }
  bool Enumerate(const std::vector<std::string>& folderNames, std::vector<DirEntry>& entries) override {
    if (slow) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return FakeDirectory::Enumerate(folderNames, entries);
  }
  std::shared_ptr<std::atomic<int>> forks = std::make_shared<std::atomic<int>>(0);
  bool slow = false;
};

struct Told final : Progress {
  void FolderUnreadable(std::string_view path, std::string_view reason) override {
    folders.push_back(std::string(path) + ": " + std::string(reason));
  }
  std::vector<std::string> folders;
};

// Wide at the top, a chain deeper than the threads' hand-overs, a folder whose
// records fill several pieces, and unreadable folders here and there.
ForkableDrive MakeDrive() {
  ForkableDrive drive;
  std::int64_t time = 1000;
  std::vector<DirEntry> root{FileOf("top.txt", 5, ++time), Folder("chain", ++time), Folder("big", ++time)};
  for (int i = 0; i < 40; ++i) {
    std::string name = "wide " + std::to_string(i);
    root.push_back(Folder(name, ++time));
    std::vector<DirEntry> entries{FileOf("a" + std::to_string(i), i, ++time), Folder("inner", ++time)};
    if (i % 7 == 3) entries.push_back(Folder("locked", ++time));
    drive.AddFolder(name, entries);
    drive.AddFolder(name + "/inner", {FileOf("b", 1, ++time), FileOf("c", 2, ++time)});
    if (i % 7 == 3) drive.AddUnreadable(name + "/locked");
  }
  drive.AddFolder("", root);
  std::string chain = "chain";
  for (int depth = 0; depth < 40; ++depth) {
    drive.AddFolder(chain, {Folder("down", ++time), FileOf("level" + std::to_string(depth), depth, ++time)});
    chain += "/down";
  }
  drive.AddUnreadable(chain);
  std::vector<DirEntry> big;
  for (int i = 0; i < 15000; ++i) big.push_back(FileOf("a fairly long file name " + std::to_string(i), i, ++time));
  drive.AddFolder("big", big);
  return drive;
}

struct Listing {
  std::string bytes;
  CompanionData companion;
  std::vector<std::string> told;
};

Listing Walk(ForkableDrive& drive, bool parallel, bool companion, std::size_t handOverBytes = 1 << 18) {
  Collator collator("en");
  Listing listing;
  StringSink sink;
  Told told;
  CatalogueWriter writer(sink, handOverBytes);
  CompanionData* data = companion ? &listing.companion : nullptr;
  DriveWalk::Options options{.entryTextWithSize = true, .keepTimes = companion};
  if (parallel) {
    EXPECT_TRUE(WalkInParallel({drive, collator, told, options, 'd'}, writer, data));
  } else {
    CompanionCollector collector(writer, listing.companion);
    FolderWriter& target = companion ? static_cast<FolderWriter&>(collector) : writer;
    DriveWalk walk(drive, collator, target, told, options);
    walk.Run('d');
  }
  writer.WriteEndMark();
  listing.bytes = sink.text;
  listing.told = told.folders;
  return listing;
}

TEST(ParallelWalk, WritesWhatOneWalkWrites) {
  ForkableDrive drive = MakeDrive();
  for (bool companion : {true, false}) {
    Listing one = Walk(drive, false, companion);
    ASSERT_GT(one.bytes.size(), std::size_t{500000});  // pieces of a quarter of that
    ASSERT_EQ(one.told.size(), 7u);
    // Threads meet in a different order each time; the output never differs.
    for (int run = 0; run < 5; ++run) {
      Listing several = Walk(drive, true, companion);
      EXPECT_EQ(several.bytes, one.bytes);
      EXPECT_TRUE(several.companion == one.companion);
      EXPECT_EQ(several.told, one.told);
    }
  }
}

TEST(ParallelWalk, ThreadsWaitingOnTheDiskAreJoinedByOneMore) {
  ForkableDrive drive = MakeDrive();
  Listing one = Walk(drive, false, true);
  drive.slow = true;
  Listing several = Walk(drive, true, true);
  EXPECT_EQ(several.bytes, one.bytes);
  EXPECT_TRUE(several.companion == one.companion);
  // One for this thread, one for each walking thread, one for the thread added.
  EXPECT_EQ(drive.forks->load(), DefaultWalkThreads() + 2);
}

TEST(ParallelWalk, ASourceThatCannotForkIsWalkedByTheCaller) {
  test::FakeDirectory drive;
  test::AddSampleDisk(drive);
  Collator collator("en");
  StringSink sink;
  CatalogueWriter writer(sink);
  Progress quiet;
  EXPECT_FALSE(WalkInParallel({drive, collator, quiet, {}, 'c'}, writer, nullptr));
  EXPECT_TRUE(drive.enumerated.empty());
}

struct FailingSink final : ByteSink {
  void Write(std::string_view) override { throw IoError("Cannot write \"/out/cat.qvl\": No space left on device"); }
};

TEST(ParallelWalk, AWriteThatFailsEndsEveryThreadAndIsReported) {
  ForkableDrive drive = MakeDrive();
  Collator collator("en");
  FailingSink sink;
  CatalogueWriter writer(sink, 1);
  Progress quiet;
  CompanionData data;
  EXPECT_THROW(WalkInParallel({drive, collator, quiet, {.keepTimes = true}, 'd'}, writer, &data), IoError);
}

}  // namespace
}  // namespace qvl
