// The create-list command without its window: what it asks, what it writes, and
// what a failure leaves.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "browse/Import.h"
#include "listing/CreateListCommand.h"
#include "support/Bytes.h"
#include "support/FakeDirectory.h"
#include "support/TempDir.h"

namespace qvl {
namespace {

using test::Bytes;
using test::FileOf;
using test::Folder;
using test::ReadFile;
using Strings = std::vector<std::string>;

// The dialogs' answers, and a log of the questions in the order asked.
struct Answers final : CreateListAnswers {
  bool ReleaseOutput(const std::string&) override {
    asked.push_back("release");
    return release;
  }
  OutputChoice OutputExists(const std::string&, ListMethod method) override {
    asked.push_back(method == ListMethod::Catalogue ? "exists: Import" : "exists: Append");
    return choice;
  }
  std::optional<CommentLines> AskComment() override {
    asked.push_back("comment");
    return comment;
  }
  bool release = true;
  OutputChoice choice = OutputChoice::Cancel;
  std::optional<CommentLines> comment;
  Strings asked;
};

struct Recorded final : CatalogueHistory {
  void AddCatalogue(const std::string& name) override { names.push_back(name); }
  Strings names;
};

struct Statuses final : Progress {
  void Status(std::string_view text) override { last = text; }
  std::string last;
};

// The sample disk, which can be made to fail in the middle of the walk, as a drive
// that goes away does.
struct SampleDrive final : test::FakeDirectory {
  bool Enumerate(const std::vector<std::string>& folderNames, std::vector<DirEntry>& entries) override {
    if (failMidWalk && !folderNames.empty()) throw IoError("Cannot read the drive: Input/output error");
    return FakeDirectory::Enumerate(folderNames, entries);
  }
  bool failMidWalk = false;
};

struct CreateList : ::testing::Test {
  CreateList() { test::AddSampleDisk(drive); }
  CreateListResult Run(ListMethod method = ListMethod::Catalogue, bool skipComment = false) {
    CreateListRequest request;
    request.list.drive.label = "DATA";
    request.list.method = method;
    request.output = output;
    request.skipComment = skipComment;
    ImportListing import = [this](const std::string& listed, const std::string& destination,
                                  const std::optional<CommentLines>& comment, Progress& shown) {
      if (importFails) throw IoError("Cannot write to \"" + destination + ".imp.tmp\": No space left on device");
      Catalogue catalogue;
      ImportCatalogueFile(catalogue, listed, destination, true, comment, shown);
    };
    return RunCreateList(request, answers, drive, collator, history, import, progress);
  }
  std::vector<std::string> Files() const {
    Strings names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  test::TempDir dir;
  std::string output = dir / "disk.qvl";
  SampleDrive drive;
  Collator collator{"en_US"};
  Answers answers;
  Recorded history;
  Statuses progress;
  bool importFails = false;
};

TEST_F(CreateList, ANewCatalogueThenAnAppendMergedIntoIt) {
  answers.comment = CommentLines{"Backup of data disk", "", "", ""};
  ASSERT_EQ(Run(), CreateListResult::Complete);
  EXPECT_EQ(ReadFile(output), Bytes("\x00" "c: [data]" "\x00" "Backup of data disk\r\n" "\x04" "Docs" "\x03"
                                    "readme.txt/1234" "\x03" "zz.bin/200" "\x01" "Docs" "\x03" "a.txt/12"
                                    "\x02\x02\x00"));
  EXPECT_EQ(answers.asked, (Strings{"release", "comment"}));
  EXPECT_EQ(progress.last, "Listing complete");

  // The drive gained \Docs\New\: listed into disk.qvl.tmp, merged, removed. The
  // only comment asked for is the merged file's.
  drive.AddFolder("Docs", {FileOf("a.txt", 12), Folder("New")});
  drive.AddFolder("Docs/New", {FileOf("n.txt", 1)});
  answers = Answers();
  answers.choice = OutputChoice::Append;
  answers.comment = CommentLines{"merged", "", "", ""};
  progress.last.clear();
  ASSERT_EQ(Run(), CreateListResult::Complete);
  EXPECT_EQ(answers.asked, (Strings{"release", "exists: Import", "comment"}));
  EXPECT_EQ(ReadFile(output), Bytes("\x00" "c: [data]" "\x00" "merged\r\n"
                                    "\x04" "Docs" "\x03" "readme.txt/1234" "\x03" "zz.bin/200"
                                    "\x04" "Docs" "\x03" "readme.txt/1234" "\x03" "zz.bin/200"
                                    "\x01" "Docs" "\x04" "New" "\x03" "a.txt/12" "\x03" "a.txt/12"
                                    "\x01" "New" "\x03" "n.txt/1" "\x02" "\x02" "\x02\x00"));
  EXPECT_EQ(Files(), (Strings{"disk.qvl", "disk.qvl.qvc"}));
  EXPECT_EQ(history.names, (Strings{output, output}));
  EXPECT_EQ(progress.last, "Listing complete");
}

TEST_F(CreateList, WhatTheAnswersAndSkipCommentLeaveOut) {
  test::WriteFile(output, "precious");
  EXPECT_EQ(Run(), CreateListResult::Cancelled);
  answers.release = false;
  EXPECT_EQ(Run(ListMethod::FoldersOnly), CreateListResult::Cancelled);
  EXPECT_EQ(answers.asked, (Strings{"release", "exists: Import", "release"}));
  EXPECT_EQ(ReadFile(output), "precious");

  answers = Answers();
  answers.choice = OutputChoice::Overwrite;
  ASSERT_EQ(Run(ListMethod::Collapsed, true), CreateListResult::Complete);
  EXPECT_EQ(answers.asked, (Strings{"release", "exists: Append"}));  // no comment
  EXPECT_TRUE(history.names.empty());  // plain lists never enter the history
}

TEST_F(CreateList, AnOutputThatCannotBeOpenedIsTheLockedCase) {
  output = dir / "missing/disk.qvl";
  try {
    Run();
    ADD_FAILURE();
  } catch (const LockedOutputError& error) {
    EXPECT_STREQ(error.what(), "File is locked by another application.\r\nAborting.");
    EXPECT_EQ(error.Reason(), "Cannot create \"" + output + "\": No such file or directory");
  }
  // A catalogue append whose temporary listing another program holds.
  output = dir / "disk.qvl";
  test::WriteFile(output, test::Bytes("\x00" "c:" "\x02\x00"));
  File held = File::Create(output + ".tmp");
  answers.choice = OutputChoice::Append;
  answers.asked.clear();
  EXPECT_THROW(Run(), LockedOutputError);
  EXPECT_EQ(answers.asked, (Strings{"release", "exists: Import"}));  // no comment asked
  EXPECT_EQ(ReadFile(output), test::Bytes("\x00" "c:" "\x02\x00"));
}

TEST_F(CreateList, AFailedImportLeavesTheCatalogueAndNoListingBehind) {
  const std::string catalogue = Bytes("\x00" "c: [old]" "\x03" "kept" "\x02\x00");
  test::WriteFile(output, catalogue);
  answers.choice = OutputChoice::Append;
  importFails = true;
  EXPECT_THROW(Run(), IoError);
  EXPECT_EQ(ReadFile(output), catalogue);
  EXPECT_EQ(Files(), (Strings{"disk.qvl"}));
  EXPECT_TRUE(history.names.empty());
  EXPECT_NE(progress.last, "Listing complete");
}

// A run that fails in the middle of the walk leaves the old output byte for byte,
// or no output where there was none, and no temporary file.
TEST_F(CreateList, AFailedWalkLeavesTheOldOutputAsItWas) {
  drive.failMidWalk = true;
  answers.choice = OutputChoice::Overwrite;
  EXPECT_THROW(Run(), IoError);
  EXPECT_TRUE(Files().empty());
  for (ListMethod method : {ListMethod::Catalogue, ListMethod::Collapsed}) {
    const std::string old = Bytes("\x00" "c: [old]" "\x03" "kept" "\x02\x00");
    test::WriteFile(output, old);
    EXPECT_THROW(Run(method), IoError);
    EXPECT_EQ(ReadFile(output), old);
    EXPECT_EQ(Files(), (Strings{"disk.qvl"}));
    EXPECT_TRUE(history.names.empty());
  }
}

// An overwritten output keeps its permissions; a second run to an output being
// written is refused and damages nothing.
TEST_F(CreateList, OverwriteKeepsPermissionsAndKeepsASecondWriterOut) {
  test::WriteFile(output, "old");
  ASSERT_EQ(::chmod(output.c_str(), 0640), 0);
  answers.choice = OutputChoice::Overwrite;
  ASSERT_EQ(Run(), CreateListResult::Complete);
  EXPECT_EQ(std::filesystem::status(output).permissions(),
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                std::filesystem::perms::group_read);
  const std::string listed = ReadFile(output);
  EXPECT_NE(listed.find("readme.txt"), std::string::npos);
  EXPECT_EQ(Files(), (Strings{"disk.qvl", "disk.qvl.qvc"}));
  {
    File writing = File::LockExisting(output);
    EXPECT_THROW(Run(), LockedOutputError);
    EXPECT_EQ(ReadFile(output), listed);
    EXPECT_EQ(Files(), (Strings{"disk.qvl", "disk.qvl.qvc"}));
  }
}

// In a folder others may write, names planted where a run writes its temporary
// files (a link to a file of ours, a file of theirs) are never written through:
// the catalogue append's OUTPUT.tmp is refused with nothing written, and a new
// output goes to a name no one could have planted.
TEST_F(CreateList, PlantedTemporaryNamesAreNeverWrittenThrough) {
  const std::string victim = dir / "victim";
  test::WriteFile(victim, "victim's");
  const std::string catalogue = Bytes("\x00" "c: [old]" "\x03" "kept" "\x02\x00");
  test::WriteFile(output, catalogue);
  answers.choice = OutputChoice::Append;
  for (bool link : {true, false}) {
    if (link) {
      std::filesystem::create_symlink(victim, output + ".tmp");
    } else {
      test::WriteFile(output + ".tmp", "theirs");
      if (::geteuid() == 0) {
        ASSERT_EQ(::chown((output + ".tmp").c_str(), 65534, 65534), 0);
      }
    }
    try {
      Run();
      ADD_FAILURE();
    } catch (const LockedOutputError& error) {
      EXPECT_NE(error.Reason().find("disk.qvl.tmp\": a file of that name is in the way"), std::string::npos);
    }
    EXPECT_EQ(ReadFile(output), catalogue);
    EXPECT_EQ(ReadFile(victim), "victim's");
    EXPECT_EQ(ReadFile(output + ".tmp"), link ? "victim's" : "theirs");
    std::filesystem::remove(output + ".tmp");
  }
  for (const char* planted : {".new.tmp", ".new-.tmp", ".0-0.tmp"})
    std::filesystem::create_symlink(victim, output + planted);
  answers.choice = OutputChoice::Overwrite;
  ASSERT_EQ(Run(), CreateListResult::Complete);
  EXPECT_NE(ReadFile(output).find("readme.txt"), std::string::npos);
  EXPECT_EQ(ReadFile(victim), "victim's");
  EXPECT_EQ(Files(), (Strings{"disk.qvl", "disk.qvl.0-0.tmp", "disk.qvl.new-.tmp", "disk.qvl.new.tmp",
                              "disk.qvl.qvc", "victim"}));
}

// An output that is a link is written through to its target, which a dangling link
// then gets; a link another user put in a folder everyone may write is not followed.
TEST_F(CreateList, LinksAsOutputLeadToTheirTarget) {
  const std::string target = dir / "real.qvl";
  std::filesystem::create_symlink(target, output);
  ASSERT_EQ(Run(), CreateListResult::Complete);
  EXPECT_TRUE(std::filesystem::is_symlink(output));
  EXPECT_NE(ReadFile(target).find("readme.txt"), std::string::npos);

  if (::geteuid() != 0) GTEST_SKIP() << "giving a link to another user needs root";
  test::TempDir shared;
  ASSERT_EQ(::chmod(shared.Path().c_str(), 01777), 0);
  output = shared / "disk.qvl";
  std::filesystem::create_symlink(target, output);
  ASSERT_EQ(::lchown(output.c_str(), 65534, 65534), 0);
  const std::string before = ReadFile(target);
  answers.choice = OutputChoice::Overwrite;
  EXPECT_THROW(Run(), LockedOutputError);
  EXPECT_EQ(ReadFile(target), before);
}

}  // namespace
}  // namespace qvl
