#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/File.h"
#include "platform/IoError.h"
#include "support/TempDir.h"

namespace qvl {
namespace {

using test::ReadFile;
using test::TempDir;

TEST(File, CreateTruncatesAndWritesThrough) {
  TempDir dir;
  dir.MakeFile("out", "old content that is longer");
  File file = File::Create(dir / "out");
  file.Write("new");
  // Written bytes are with the system at once, before any close.
  EXPECT_EQ(ReadFile(dir / "out"), "new");
  file.Close();
  EXPECT_EQ(ReadFile(dir / "out"), "new");
}

TEST(File, ASecondWriterIsRefusedAndDamagesNothing) {
  TempDir dir;
  File first = File::Create(dir / "out");
  first.Write("first writer's data");
  EXPECT_THROW(File::Create(dir / "out"), IoError);
  EXPECT_THROW(File::OpenAppendText(dir / "out"), IoError);
  EXPECT_EQ(ReadFile(dir / "out"), "first writer's data");
}

TEST(File, ErrorsNameTheFileAndTheReason) {
  TempDir dir;
  try {
    File::OpenRead(dir / "missing.qvl");
    FAIL() << "no error";
  } catch (const IoError& error) {
    EXPECT_EQ(std::string(error.what()), "Cannot open \"" + (dir / "missing.qvl") + "\": No such file or directory");
  }
  try {
    File::Create(dir / "no/such/folder/x.qvl");
    FAIL() << "no error";
  } catch (const IoError& error) {
    EXPECT_NE(std::string(error.what()).find("x.qvl\": No such file or directory"), std::string::npos);
  }
}

TEST(File, WriteFailureIsReported) {
  File full = File::Create("/dev/full");
  try {
    full.Write("data");
    FAIL() << "no error";
  } catch (const IoError& error) {
    EXPECT_EQ(std::string(error.what()), "Cannot write to \"/dev/full\": No space left on device");
  }
}

TEST(File, AppendCutsBeforeAnEndOfFileMarkInTheLast128Bytes) {
  TempDir dir;
  dir.MakeFile("cut", std::string("text\x1A" "junk\x1A" "more", 14));
  std::string cut;
  File::OpenAppendText(dir / "cut", &cut).Write("+new");
  EXPECT_EQ(ReadFile(dir / "cut"), "text+new");
  EXPECT_EQ(cut, std::string("\x1A" "junk\x1A" "more", 10));

  // A mark further back than 128 bytes stays.
  std::string old = std::string("head\x1A", 5) + std::string(200, 'x');
  dir.MakeFile("far", old);
  File::OpenAppendText(dir / "far").Write("+");
  EXPECT_EQ(ReadFile(dir / "far"), old + "+");

  dir.MakeFile("plain", "abc");
  File::OpenAppendText(dir / "plain").Write("def");
  EXPECT_EQ(ReadFile(dir / "plain"), "abcdef");
  EXPECT_THROW(File::OpenAppendText(dir / "absent"), IoError);
}

TEST(File, ReadSeekAndSize) {
  TempDir dir;
  dir.MakeFile("f", "0123456789");
  File file = File::OpenRead(dir / "f");
  EXPECT_EQ(file.Size(), 10);
  file.Seek(7);
  char buffer[16];
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 3u);
  EXPECT_EQ(std::string(buffer, 3), "789");
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u);
}

TEST(File, ExistenceRenameDeleteAndSameFile) {
  TempDir dir;
  dir.MakeFile("a", "A");
  dir.MakeFile("b", "B");
  dir.MakeFolder("folder");
  EXPECT_TRUE(FileExists(dir / "a"));
  EXPECT_FALSE(FileExists(dir / "folder"));
  EXPECT_FALSE(FileExists(dir / "none"));

  std::filesystem::create_hard_link(dir / "a", dir / "hard");
  std::filesystem::create_symlink(dir / "a", dir / "soft");
  EXPECT_TRUE(SameFile(dir / "a", dir / "hard"));
  EXPECT_TRUE(SameFile(dir / "a", dir / "soft"));
  EXPECT_TRUE(SameFile(dir / "a", dir.Path() + "/./a"));
  EXPECT_FALSE(SameFile(dir / "a", dir / "b"));

  RenameFile(dir / "b", dir / "a");
  EXPECT_EQ(ReadFile(dir / "a"), "B");
  EXPECT_FALSE(FileExists(dir / "b"));
  DeleteFile(dir / "a");
  EXPECT_FALSE(FileExists(dir / "a"));
  EXPECT_THROW(DeleteFile(dir / "a"), IoError);
  EXPECT_THROW(RenameFile(dir / "gone", dir / "x"), IoError);
}

// A file given new content keeps its permissions, and its owner where the system
// lets us give the file away (as root).
TEST(File, ReplaceFileKeepsPermissionsAndOwner) {
  TempDir dir;
  dir.MakeFile("Quorvalen.ini", "old");
  ::chmod((dir / "Quorvalen.ini").c_str(), 0640);
  const bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(::chown((dir / "Quorvalen.ini").c_str(), 12345, 12345), 0);
  }
  ReplaceFile(dir / "Quorvalen.ini", "new");
  struct stat st {};
  ASSERT_EQ(::stat((dir / "Quorvalen.ini").c_str(), &st), 0);
  EXPECT_EQ(ReadFile(dir / "Quorvalen.ini"), "new");
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  if (root) {
    EXPECT_EQ(st.st_uid, 12345u);
    EXPECT_EQ(st.st_gid, 12345u);
  }
}

}  // namespace
}  // namespace qvl
