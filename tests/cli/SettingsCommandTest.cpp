// qvl with a settings file beside it, as the window leaves one.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/RunQvl.h"
#include "support/TempDir.h"

namespace qvl {
namespace {

using test::ReadFile;
using test::RunQvlAt;
using test::TempDir;

// A copy of qvl in a folder of its own, with the settings file given, and a small tree.
struct Installed {
  explicit Installed(const std::string& ini) {
    dir.MakeFile("tree/a.txt", "12345");
    dir.MakeFile("bin/Quorvalen.ini", ini);
    program = test::CopyQvlTo(dir / "bin");
    // Names in the history are full names; this is the folder's own.
    home = std::filesystem::canonical(dir.Path()).string();
  }
  test::QvlResult Run(const std::vector<std::string>& args) const { return RunQvlAt(program, args, dir.Path()); }
  std::string Ini() const { return ReadFile(dir / "bin/Quorvalen.ini"); }

  TempDir dir;
  std::string program;
  std::string home;
};

TEST(QvlSettings, AListedCatalogueJoinsTheHistoryOnce) {
  const std::string ini =
      "; the window's settings\r\n"
      "[Main]\r\n"
      "LastOutPut = C:\\x.qvl\r\n"
      "RightMargin=80\r\n"
      "[History]\r\n"
      "Item1=/old/a.qvl\r\n";
  Installed qvl(ini);
  auto listTo = [&](const std::string& output) {
    return qvl.Run({"list", "t", "--map", "t=" + (qvl.dir / "tree"), "--if-exists", "overwrite", "-o", output});
  };
  auto first = listTo("cat.qvl");
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(qvl.Ini(), ini + "Item2=" + qvl.home + "/cat.qvl\r\n");

  // The same file by another way: no new key.
  auto again = listTo("./tree/../cat.qvl");
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(qvl.Ini(), ini + "Item2=" + qvl.home + "/cat.qvl\r\n");
  // The same name in other letters is another file here, and joins the history.
  auto other = listTo("CAT.QVL");
  ASSERT_EQ(other.status, 0) << other.err;
  EXPECT_EQ(qvl.Ini(), ini + "Item2=" + qvl.home + "/cat.qvl\r\nItem3=" + qvl.home + "/CAT.QVL\r\n");
}

// With a hundred catalogues in the history, the next ones once went to the same key
// in turn and were never searched.
TEST(QvlSettings, TheHistoryGrowsPastAHundredAndAllOfItIsSearched) {
  std::string ini = "[History]\n";
  for (int i = 1; i <= 100; ++i) ini += "Item" + std::to_string(i) + "=/gone/" + std::to_string(i) + ".qvl\n";
  Installed qvl(ini);
  for (const char* output : {"new1.qvl", "new2.qvl"}) {
    auto listed = qvl.Run({"list", "t", "--map", "t=" + (qvl.dir / "tree"), "-o", output});
    ASSERT_EQ(listed.status, 0) << listed.err;
  }
  EXPECT_EQ(qvl.Ini(), ini + "Item101=" + qvl.home + "/new1.qvl\nItem102=" + qvl.home + "/new2.qvl\n");
  auto found = qvl.Run({"search", "a.txt"});
  ASSERT_EQ(found.status, 0) << found.err;
  EXPECT_NE(found.out.find("F\ta.txt\t5\t\\\tnew1.qvl\n"), std::string::npos) << found.out;
  EXPECT_NE(found.out.find("F\ta.txt\t5\t\\\tnew2.qvl\n"), std::string::npos) << found.out;
}

TEST(QvlSettings, TheDrivesSectionAddsDrivesThatMapOverrides) {
  Installed qvl("");
  qvl.dir.MakeFolder("other");
  test::WriteFile(qvl.dir / "bin/Quorvalen.ini", "[Drives]\nT=" + (qvl.dir / "tree") + "\n");
  auto drives = qvl.Run({"drives"});
  ASSERT_EQ(drives.status, 0) << drives.err;
  EXPECT_NE(drives.out.find("t:\tfixed\tt: ["), std::string::npos) << drives.out;
  EXPECT_NE(drives.out.find("\t" + (qvl.dir / "tree") + "\n"), std::string::npos);

  auto listed = qvl.Run({"list", "t", "-o", "t.qvl"});
  ASSERT_EQ(listed.status, 0) << listed.err;
  EXPECT_NE(ReadFile(qvl.dir / "t.qvl").find("a.txt/5"), std::string::npos);

  auto mapped = qvl.Run({"list", "t", "--map", "t=" + (qvl.dir / "other"), "-o", "o.qvl"});
  ASSERT_EQ(mapped.status, 0) << mapped.err;
  EXPECT_EQ(ReadFile(qvl.dir / "o.qvl").find("a.txt"), std::string::npos);
}

TEST(QvlSettings, AnUnwritableSettingsFileCostsOnlyTheHistoryEntry) {
  Installed qvl("");
  std::filesystem::remove(qvl.dir / "bin/Quorvalen.ini");
  qvl.dir.MakeFolder("bin/Quorvalen.ini");
  auto result = qvl.Run({"list", "t", "--map", "t=" + (qvl.dir / "tree"), "-o", "t.qvl"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "Listing complete\nqvl: warning: Unable to write to " + qvl.home +
                            "/bin/Quorvalen.ini; the catalogue is not in the history list\n");
  EXPECT_NE(ReadFile(qvl.dir / "t.qvl").find("a.txt/5"), std::string::npos);
}

}  // namespace
}  // namespace qvl
