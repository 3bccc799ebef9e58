#include <gtest/gtest.h>

#include "listing/Walk.h"
#include "support/FakeDirectory.h"

namespace qvl {
namespace {

using test::FakeDirectory;
using test::FileOf;
using test::Folder;

// Records what the walk hands to a writer, one line per call.
class RecordingWriter : public FolderWriter {
 public:
  void BeginFolder(const WalkState& state) override {
    std::string line = "begin " + state.ListPath + " depth " + std::to_string(state.ListDepth) + " bytes " +
                       std::to_string(state.Current().FolderBytes) + " [";
    for (const auto& name : state.Current().FolderNames) line += name + ";";
    line += "] [";
    for (const auto& name : state.Current().FileNames) line += name + ";";
    calls.push_back(line + "]");
  }
  void EndFolder(const WalkState& state) override { calls.push_back("end " + state.ListPath); }
  std::vector<std::string> calls;
};

class StatusLog : public Progress {
 public:
  void Status(std::string_view text) override { texts.emplace_back(text); }
  void FolderUnreadable(std::string_view listPath, std::string_view reason) override {
    unreadable.push_back(std::string(listPath) + ": " + std::string(reason));
  }
  std::vector<std::string> texts;
  std::vector<std::string> unreadable;
};

struct WalkFixture : ::testing::Test {
  std::vector<std::string> Walk(bool withSizes = false, char letter = 'c') {
    DriveWalk walk(drive, collator, writer, status, {.entryTextWithSize = withSizes});
    walk.Run(letter);
    return writer.calls;
  }
  FakeDirectory drive;
  Collator collator{"en_US"};
  RecordingWriter writer;
  StatusLog status;
};

TEST_F(WalkFixture, SampleDiskInPreOrderWithSortedLists) {
  drive.AddFolder("", {FileOf("zz.bin", 200), Folder("Docs"), FileOf("readme.txt", 1234)});
  drive.AddFolder("Docs", {FileOf("a.txt", 12)});
  EXPECT_EQ(Walk(true), (std::vector<std::string>{
                            "begin C:\\ depth 1 bytes 1434 [Docs;] [readme.txt/1234;zz.bin/200;]",
                            "begin C:\\Docs\\ depth 2 bytes 12 [] [a.txt/12;]",
                            "end C:\\Docs\\",
                            "end C:\\",
                        }));
  EXPECT_EQ(status.texts, (std::vector<std::string>{"Listing C:\\Docs\\", "Listing C:\\", "Listing "}));
}

TEST_F(WalkFixture, PlainMethodsGetBareNames) {
  drive.AddFolder("", {FileOf("b", 5)});
  EXPECT_EQ(Walk(false, 'd'), (std::vector<std::string>{"begin D:\\ depth 1 bytes 5 [] [b;]", "end D:\\"}));
}

TEST_F(WalkFixture, EmptyOrUnreadableRootIsOneEmptyFolder) {
  drive.AddUnreadable("");
  EXPECT_EQ(Walk(), (std::vector<std::string>{"begin C:\\ depth 1 bytes 0 [] []", "end C:\\"}));
  EXPECT_TRUE(status.texts.size() == 1 && status.texts[0] == "Listing ");
}

TEST_F(WalkFixture, UnreadableFolderIsListedEmptyAndTheWalkGoesOn) {
  drive.AddFolder("", {Folder("locked"), Folder("open")});
  drive.AddUnreadable("locked");
  drive.AddFolder("open", {FileOf("f", 1)});
  EXPECT_EQ(Walk(), (std::vector<std::string>{
                        "begin C:\\ depth 1 bytes 0 [locked;open;] []",
                        "begin C:\\locked\\ depth 2 bytes 0 [] []",
                        "end C:\\locked\\",
                        "begin C:\\open\\ depth 2 bytes 1 [] [f;]",
                        "end C:\\open\\",
                        "end C:\\",
                    }));
}

TEST_F(WalkFixture, EachUnreadableFolderIsToldWithItsPathAndReason) {
  drive.AddFolder("", {Folder("locked"), Folder("open"), Folder("gone")});
  drive.AddUnreadable("locked");
  drive.AddFolder("open", {Folder("deep")});
  drive.AddUnreadable("open/deep", "Input/output error");
  drive.AddUnreadable("gone", "No such file or directory");
  Walk();
  EXPECT_EQ(status.unreadable, (std::vector<std::string>{"C:\\gone\\: No such file or directory",
                                                         "C:\\locked\\: Permission denied",
                                                         "C:\\open\\deep\\: Input/output error"}));
  // The root too, and a readable drive tells nothing.
  status.unreadable.clear();
  FakeDirectory root;
  root.AddUnreadable("");
  DriveWalk(root, collator, writer, status, {}).Run('d');
  EXPECT_EQ(status.unreadable, (std::vector<std::string>{"D:\\: Permission denied"}));
  status.unreadable.clear();
  FakeDirectory fine;
  test::AddSampleDisk(fine);
  DriveWalk(fine, collator, writer, status, {}).Run('c');
  EXPECT_TRUE(status.unreadable.empty());
}

TEST_F(WalkFixture, ClassifiesByTheRangeOfTheWholeAttributeWord) {
  drive.AddFolder("", {
                          {".", 0x10, 0},
                          {"..", 0x10, 0},
                          {"...", 0x20, 1},
                          {"folder+archive", 0x30, 7},   // counts as a file, not entered
                          {"label+hidden", 0x0A, 0},     // counts as a folder
                          {"ro+hidden+system", 0x17, 3}, // 23: a file
                          {"hidden folder", 0x12, 0},
                          {"link to folder", 0x410, 0},  // reparse point: a file
                      });
  drive.AddFolder("label+hidden", {});
  drive.AddFolder("hidden folder", {});
  auto calls = Walk();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls[0],
            "begin C:\\ depth 1 bytes 11 [hidden folder;label+hidden;] "
            "[...;folder+archive;link to folder;ro+hidden+system;]");
  EXPECT_EQ(drive.enumerated, (std::vector<std::string>{"", "hidden folder", "label+hidden"}));
}

TEST_F(WalkFixture, SortsIgnoringLetterCase) {
  drive.AddFolder("", {FileOf("b.txt", 1), FileOf("A.txt", 1), Folder("beta"), Folder("Alpha")});
  drive.AddFolder("Alpha", {});
  drive.AddFolder("beta", {});
  auto calls = Walk();
  EXPECT_EQ(calls[0], "begin C:\\ depth 1 bytes 2 [Alpha;beta;] [A.txt;b.txt;]");
  EXPECT_EQ(calls[1], "begin C:\\Alpha\\ depth 2 bytes 0 [] []");
}

TEST_F(WalkFixture, FolderTotalsDoNotWrapAt32Bits) {
  drive.AddFolder("", {FileOf("a", 2147483648LL), FileOf("b", 2147483648LL), FileOf("c", 5)});
  EXPECT_EQ(Walk(true)[0], "begin C:\\ depth 1 bytes 4294967301 [] [a/2147483648;b/2147483648;c/5;]");
}

// A chain of folders "d", each with one file, `depth` levels deep.
class ChainSource : public DirectorySource {
 public:
  explicit ChainSource(std::size_t depth) : depth_(depth) {}
  bool Enumerate(const std::vector<std::string>& folderNames, std::vector<DirEntry>& entries) override {
    entries.clear();
    if (folderNames.size() + 1 < depth_) entries.push_back(Folder("d"));
    entries.push_back(FileOf("f", static_cast<long long>(folderNames.size())));
    return true;
  }

 private:
  std::size_t depth_;
};

TEST_F(WalkFixture, WalksThousandsOfLevelsWithoutRecursion) {
  constexpr std::size_t kDepth = 5000;
  ChainSource chain(kDepth);
  DriveWalk walk(chain, collator, writer, status, {});
  walk.Run('c');
  ASSERT_EQ(writer.calls.size(), 2 * kDepth);
  EXPECT_NE(writer.calls[kDepth - 1].find("depth 5000 bytes 4999 [] [f;]"), std::string::npos);
  EXPECT_EQ(writer.calls[kDepth], "end " + writer.calls[kDepth - 1].substr(6, 3 + 2 * (kDepth - 1)));
  EXPECT_EQ(writer.calls.back(), "end C:\\");
  EXPECT_EQ(walk.State().ListDepth, 0u);
}

}  // namespace
}  // namespace qvl
