#include "settings/Settings.h"

#include <gtest/gtest.h>

#include "platform/IoError.h"
#include "support/TempDir.h"

namespace qvl {
namespace {

using test::ReadFile;
using test::TempDir;

using Strings = std::vector<std::string>;

// A settings file in a folder of its own, with a desktop of its own for the
// file-type registration.
class SettingsTest : public ::testing::Test {
 protected:
  WindowSettings Load(const std::string& ini) {
    dir_.MakeFile("Quorvalen.ini", ini);
    return LoadAgain();
  }
  WindowSettings LoadAgain() {
    WindowSettings settings(collator_);
    LoadSettings(file_, settings, desktop_);
    return settings;
  }
  std::string Saved(WindowSettings& settings) {
    SaveSettings(file_, settings);
    return ReadFile(file_.Path());
  }
  static std::string Items(const Strings& values) {
    std::string ini = "[History]\n";
    for (std::size_t i = 0; i < values.size(); ++i) ini += ItemKey(i + 1) + "=" + values[i] + "\n";
    return ini;
  }

  TempDir dir_;
  Collator collator_{"en_US"};
  ProfileFile file_{dir_ / "Quorvalen.ini"};
  Desktop desktop_{"/opt/quorvalen/quorvalen", dir_ / "share", dir_ / "no-tools"};
};

TEST_F(SettingsTest, AMissingFileGivesTheDefaultsAndRegistersTheFileType) {
  WindowSettings settings(collator_);
  LoadSettings(file_, settings, desktop_);
  EXPECT_EQ(settings.lastOutPut, ".qvl");
  EXPECT_EQ(settings.lastBrowsed, "");
  EXPECT_EQ(settings.lastDrive, 'C');
  EXPECT_EQ(settings.method, 3);
  EXPECT_EQ(settings.rightMargin, 95);
  EXPECT_FALSE(settings.skipComment);
  EXPECT_EQ(settings.history.Count(), 0);
  EXPECT_EQ(settings.searchFileItems, Strings{"All Files"});
  EXPECT_EQ(ReadFile(file_.Path()), "[Main]\nReggedFileTypes=1\n");
}

TEST_F(SettingsTest, HistoryReadingStopsAtTheFirstGapOrERRORAndSkipsRepeats) {
  auto gap = Load("[History]\nItem1=/c/a.qvl\nItem2=/c/b.qvl\nItem4=/c/d.qvl\n");
  EXPECT_EQ(gap.history.Entries(), (Strings{"/c/a.qvl", "/c/b.qvl"}));

  auto repeats = Load(Items({"D:\\Cat\\a.qvl", "d:\\cat\\A.QVL", "E:\\b.qvl"}));
  EXPECT_EQ(repeats.history.Entries(), (Strings{"D:\\Cat\\a.qvl", "E:\\b.qvl"}));
  EXPECT_EQ(repeats.history.IndexOf("D:\\CAT\\A.qvl"), 0);
  EXPECT_EQ(repeats.history.IndexOf("E:\\c.qvl"), -1);

  auto error = Load(Items({"a.qvl", "error", "b.qvl", "ERROR", "c.qvl"}));
  EXPECT_EQ(error.history.Entries(), (Strings{"a.qvl", "error", "b.qvl"}));

  Strings many;
  for (int i = 1; i <= 120; ++i) many.push_back("/cats/" + std::to_string(i) + ".qvl");
  auto full = Load(Items(many));
  ASSERT_EQ(full.history.Count(), 100);
  EXPECT_EQ(full.history.Entry(99), "/cats/100.qvl");

  auto dropDown = Load(Items({"A", "B", "C"}));
  EXPECT_EQ(dropDown.searchFileItems, (Strings{"C", "B", "A", "All Files"}));
}

TEST_F(SettingsTest, TheHistoryIsSavedSortedAndHigherKeysAreLeftAlone) {
  auto settings = Load(Items({"b.qvl", "C.qvl", "D:\\Cat\\a.qvl", "d:\\cat\\A.QVL", "e.qvl"}) + "Item7=/kept.qvl\n");
  SessionHistory session(settings);
  session.AddCatalogue("/new/Z.qvl");
  session.AddCatalogue("B.QVL");  // there already
  EXPECT_EQ(settings.searchFileItems,
            (Strings{"/new/Z.qvl", "e.qvl", "D:\\Cat\\a.qvl", "C.qvl", "b.qvl", "All Files"}));
  std::string saved = Saved(settings);
  EXPECT_NE(saved.find("[History]\nItem1=/new/Z.qvl\nItem2=b.qvl\nItem3=C.qvl\nItem4=D:\\Cat\\a.qvl\n"
                       "Item5=e.qvl\nItem7=/kept.qvl\n"),
            std::string::npos)
      << saved;
  EXPECT_EQ(LoadAgain().history.Entries(), (Strings{"/new/Z.qvl", "b.qvl", "C.qvl", "D:\\Cat\\a.qvl", "e.qvl"}));

  // The repeat stays in its key and is passed over again at the next start.
  auto repeat = Load(Items({"D:\\Cat\\a.qvl", "d:\\cat\\A.QVL"}));
  EXPECT_NE(Saved(repeat).find("Item1=D:\\Cat\\a.qvl\nItem2=d:\\cat\\A.QVL\n"), std::string::npos);
  EXPECT_EQ(LoadAgain().history.Count(), 1);
}

TEST_F(SettingsTest, NumbersAreKeptInRangeAndWrittenBackSo) {
  struct Case {
    std::string ini;
    int method;
    int margin;
    bool skip;
    std::string saved;
  };
  const std::vector<Case> cases{
      {"RightMargin=300\nMethod=7\nSkipComment=2", 3, 44, false, "Method=3\nRightMargin=44\nSkipComment=0"},
      {"RightMargin=0x50\nMethod=-5\nSkipComment=1", -1, 80, true, "Method=-1\nRightMargin=80\nSkipComment=1"},
      {"RightMargin=abc\nMethod=$2\nSkipComment=x", 2, 95, false, "Method=2\nRightMargin=95\nSkipComment=0"},
      {"RightMargin=-1\nMethod= 1", 1, 255, false, "Method=1\nRightMargin=255\nSkipComment=0"},
  };
  for (const auto& c : cases) {
    auto settings = Load("[Main]\n" + c.ini);
    EXPECT_EQ(settings.method, c.method) << c.ini;
    EXPECT_EQ(settings.rightMargin, c.margin) << c.ini;
    EXPECT_EQ(settings.skipComment, c.skip) << c.ini;
    dir_.MakeFile("Quorvalen.ini");
    EXPECT_EQ(Saved(settings), "[Main]\nLastOutPut=" + settings.lastOutPut + "\nLastDrive=C\nLastBrowsed=\n" +
                                   c.saved + "\n")
        << c.ini;
  }
}

TEST_F(SettingsTest, TheOutputNameTakesTheExtensionOfTheMethod) {
  EXPECT_EQ(Load("[Main]\nLastOutPut=C:\\list.txt\nMethod=3").lastOutPut, "C:\\list.qvl");
  EXPECT_EQ(Load("[Main]\nLastOutPut=C:\\list.txt\nMethod=0").lastOutPut, "C:\\list.txt");
  EXPECT_EQ(Load("[Main]\nLastOutPut=/home/me/disk.QVL\nMethod=1").lastOutPut, "/home/me/disk.txt");
  EXPECT_EQ(Load("[Main]\nLastOutPut=/home/me/disk.qvl\nMethod=-1").lastOutPut, "/home/me/disk.qvl");
  EXPECT_EQ(Load("").lastOutPut, ".qvl");

  auto settings = Load("[Main]\nLastOutPut=/home/me/out.d/list\nMethod=3");
  EXPECT_EQ(settings.lastOutPut, "/home/me/out.d/list.qvl");
  SelectMethod(settings, 0);
  EXPECT_EQ(settings.lastOutPut, "/home/me/out.d/list.txt");
  SelectMethod(settings, 0);
  EXPECT_EQ(settings.lastOutPut, "/home/me/out.d/list.txt");

  EXPECT_EQ(ReplaceExtension("C:\\out.d\\list", ".qvl"), "C:\\out.d\\list.qvl");
  EXPECT_EQ(ReplaceExtension("D:list.old.TXT", ".qvl"), "D:list.old.qvl");
  EXPECT_EQ(ReplaceExtension("", ".txt"), ".txt");
}

TEST_F(SettingsTest, TheDriveIsOneUpperCaseLetter) {
  auto settings = Load("[Main]\nLastDrive=d:\\\nLastBrowsed=/home/me/x.qvl");
  EXPECT_EQ(settings.lastDrive, 'd');
  EXPECT_EQ(settings.lastBrowsed, "/home/me/x.qvl");
  EXPECT_NE(Saved(settings).find("LastDrive=D\nLastBrowsed=/home/me/x.qvl\n"), std::string::npos);
  EXPECT_EQ(Load("[Main]\nLastDrive=").lastDrive, 'C');
}

TEST_F(SettingsTest, AnUnwritableSettingsFileFailsWithItsName) {
  dir_.MakeFolder("Quorvalen.ini");
  const std::string message = "Unable to write to " + file_.Path();
  WindowSettings settings(collator_);
  try {
    LoadSettings(file_, settings, desktop_);
    FAIL() << "no error";
  } catch (const IoError& error) {
    EXPECT_EQ(error.what(), message);
  }
  try {
    SaveSettings(file_, settings);
    FAIL() << "no error";
  } catch (const IoError& error) {
    EXPECT_EQ(error.what(), message);
  }
}

TEST(SettingsDrives, TheDrivesSectionAddsAndReplacesDrives) {
  TempDir dir;
  dir.MakeFolder("music");
  dir.MakeFolder("photos");
  dir.MakeFile("Quorvalen.ini", "[Drives]\nT=" + (dir / "music") + "\nc:=" + (dir / "photos") +
                                    "\nxy=" + (dir / "music") + "\nU=" + (dir / "gone") + "\n5=/\n");
  DriveTable drives(std::vector<Drive>{{'c', DriveType::Fixed, "system", "", "/"}});
  PutSettingsDrives(ProfileFile(dir / "Quorvalen.ini"), drives);
  ASSERT_EQ(drives.Drives().size(), 2u);
  EXPECT_EQ(drives.Find('c')->rootDirectory, dir / "photos");
  EXPECT_EQ(drives.Find('t')->rootDirectory, dir / "music");
  EXPECT_EQ(drives.Find('t')->type, DriveType::Fixed);
}

TEST(StoredHistory, WritesOnlyTheNextItemKey) {
  TempDir dir;
  Collator collator("en_US");
  const std::string ini = "[Main]\r\nLastOutPut=/x.qvl\r\n[History]\r\nItem1=/a.qvl\r\nItem2=/A.QVL\r\n";
  dir.MakeFile("Quorvalen.ini", ini);
  ProfileFile file(dir / "Quorvalen.ini");
  StoredHistory history(file, collator);
  history.AddCatalogue("/a.Qvl");
  EXPECT_EQ(ReadFile(file.Path()), ini);
  history.AddCatalogue("/b.qvl");
  EXPECT_EQ(ReadFile(file.Path()), ini + "Item3=/b.qvl\r\n");
  EXPECT_EQ(ReadHistory(file, collator), (Strings{"/a.qvl", "/b.qvl"}));
}

}  // namespace
}  // namespace qvl
