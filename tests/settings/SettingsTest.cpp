#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <thread>

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
    LoadSettings(file_, settings);
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
  LoadSettings(file_, settings);
  EXPECT_TRUE(RegisterFileTypeIfNeeded(file_, desktop_));
  EXPECT_EQ(settings.lastOutPut, ".qvl");
  EXPECT_EQ(settings.lastBrowsed, "");
  EXPECT_EQ(settings.lastDrive, 'C');
  EXPECT_EQ(settings.method, ListMethod::Catalogue);
  EXPECT_EQ(settings.rightMargin, 95);
  EXPECT_FALSE(settings.skipComment);
  EXPECT_EQ(settings.history.Count(), 0);
  EXPECT_EQ(settings.searchFileItems, Strings{"All Files"});
  EXPECT_EQ(ReadFile(file_.Path()), "[Main]\nReggedFileTypes=1\n");
}

TEST_F(SettingsTest, HistoryReadingStopsAtTheFirstGapOrERRORAndSkipsRepeats) {
  auto gap = Load("[History]\nItem1=/c/a.qvl\nItem2=/c/b.qvl\nItem4=/c/d.qvl\n");
  EXPECT_EQ(gap.history.Entries(), (Strings{"/c/a.qvl", "/c/b.qvl"}));

  auto repeats = Load(Items({"/cat/a.qvl", "/cat/old/../a.qvl", "/cat/A.QVL", "/b.qvl"}));
  EXPECT_EQ(repeats.history.Entries(), (Strings{"/cat/a.qvl", "/cat/A.QVL", "/b.qvl"}));
  EXPECT_EQ(repeats.history.IndexOf("/cat/./a.qvl"), 0);
  EXPECT_EQ(repeats.history.IndexOf("/cat/A.qvl"), -1);

  auto error = Load(Items({"a.qvl", "error", "b.qvl", "ERROR", "c.qvl"}));
  EXPECT_EQ(error.history.Entries(), (Strings{"a.qvl", "error", "b.qvl"}));

  Strings many;
  for (int i = 1; i <= 120; ++i) many.push_back("/cats/" + std::to_string(i) + ".qvl");
  auto full = Load(Items(many));
  ASSERT_EQ(full.history.Count(), 120);
  EXPECT_EQ(full.history.Entry(119), "/cats/120.qvl");

  auto dropDown = Load(Items({"A", "B", "C"}));
  EXPECT_EQ(dropDown.searchFileItems, (Strings{"C", "B", "A", "All Files"}));
}

TEST_F(SettingsTest, TheHistoryIsSavedSortedAndHigherKeysAreLeftAlone) {
  auto settings = Load(Items({"b.qvl", "C.qvl", "D:\\Cat\\a.qvl", "./D:\\Cat\\a.qvl", "e.qvl"}) + "Item7=/kept.qvl\n");
  SessionHistory session(settings);
  session.AddCatalogue("/new/Z.qvl");
  session.AddCatalogue("./b.qvl");  // there already
  EXPECT_EQ(settings.searchFileItems,
            (Strings{"/new/Z.qvl", "e.qvl", "D:\\Cat\\a.qvl", "C.qvl", "b.qvl", "All Files"}));
  std::string saved = Saved(settings);
  EXPECT_NE(saved.find("[History]\nItem1=/new/Z.qvl\nItem2=b.qvl\nItem3=C.qvl\nItem4=D:\\Cat\\a.qvl\n"
                       "Item5=e.qvl\nItem7=/kept.qvl\n"),
            std::string::npos)
      << saved;
  EXPECT_EQ(LoadAgain().history.Entries(), (Strings{"/new/Z.qvl", "b.qvl", "C.qvl", "D:\\Cat\\a.qvl", "e.qvl"}));

  // The repeat stays in its key and is passed over again at the next start.
  auto repeat = Load(Items({"D:\\Cat\\a.qvl", "./D:\\Cat\\a.qvl"}));
  EXPECT_NE(Saved(repeat).find("Item1=D:\\Cat\\a.qvl\nItem2=./D:\\Cat\\a.qvl\n"), std::string::npos);
  EXPECT_EQ(LoadAgain().history.Count(), 1);
}

// Two windows and qvl list share one settings file: a save keeps the catalogues
// the others recorded meanwhile, and writers at the same moment lose none.
TEST_F(SettingsTest, SavingKeepsWhatOtherProgramsRecorded) {
  auto first = Load(Items({"/a.qvl"}));
  auto second = LoadAgain();
  SessionHistory(first).AddCatalogue("/first.qvl");
  SessionHistory(second).AddCatalogue("/second.qvl");
  StoredHistory(file_).AddCatalogue("/listed.qvl");
  Saved(first);
  Saved(second);
  EXPECT_EQ(LoadAgain().history.Entries(), (Strings{"/a.qvl", "/first.qvl", "/listed.qvl", "/second.qvl"}));

  std::vector<std::thread> writers;
  for (int writer = 0; writer < 4; ++writer) {
    writers.emplace_back([this, writer] {
      ProfileFile own(file_.Path());
      for (int i = 0; i < 25; ++i)
        StoredHistory(own).AddCatalogue("/w" + std::to_string(writer) + "-" + std::to_string(i) + ".qvl");
    });
  }
  for (auto& writer : writers) writer.join();
  EXPECT_EQ(LoadAgain().history.Count(), 104);
}

// The file is parsed once per write, not once per key: saving a long history once
// took seconds that grew with its square.
TEST_F(SettingsTest, ALongHistoryIsSavedInOneGo) {
  auto settings = Load("[Main]\nMethod=3\n");
  for (int i = 0; i < 20000; ++i) settings.history.Add("/cats/" + std::to_string(i) + ".qvl");
  const auto start = std::chrono::steady_clock::now();
  Saved(settings);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(LoadAgain().history.Count(), 20000);
}

// A settings file that is there but cannot be read is said so, not taken for an
// empty one whose defaults then replace it.
TEST_F(SettingsTest, AFileThatCannotBeReadIsSaidSoAndNotWrittenOver) {
  ASSERT_EQ(::mkfifo(file_.Path().c_str(), 0600), 0);
  WindowSettings settings(collator_);
  try {
    LoadSettings(file_, settings);
    ADD_FAILURE();
  } catch (const IoError& error) {
    EXPECT_EQ(std::string(error.what()), "Cannot open \"" + file_.Path() + "\": it is not a regular file");
  }
  EXPECT_THROW(SaveSettings(file_, settings), IoError);
  EXPECT_THROW(StoredHistory(file_).AddCatalogue("/a.qvl"), IoError);
  EXPECT_TRUE(std::filesystem::is_fifo(file_.Path()));
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
      {"RightMargin=300\nMethod=7\nSkipComment=2", 3, 44, false, "Method=3\nRightMargin=44\nSkipComment=0\nContentHashes=0"},
      {"RightMargin=0x50\nMethod=-5\nSkipComment=1", -1, 80, true, "Method=-1\nRightMargin=80\nSkipComment=1\nContentHashes=0"},
      {"RightMargin=abc\nMethod=$2\nSkipComment=x", 2, 95, false, "Method=2\nRightMargin=95\nSkipComment=0\nContentHashes=0"},
      {"RightMargin=-1\nMethod= 1", 1, 255, false, "Method=1\nRightMargin=255\nSkipComment=0\nContentHashes=0"},
  };
  for (const auto& c : cases) {
    auto settings = Load("[Main]\n" + c.ini);
    EXPECT_EQ(SettingOfMethod(settings.method), c.method) << c.ini;
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
  SelectMethod(settings, ListMethod::Collapsed);
  EXPECT_EQ(settings.lastOutPut, "/home/me/out.d/list.txt");
  SelectMethod(settings, ListMethod::Collapsed);
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
    LoadSettings(file_, settings);
    RegisterFileTypeIfNeeded(file_, desktop_);
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

TEST_F(SettingsTest, AFailedRegistrationCostsNoSetting) {
  dir_.MakeFile("share");  // a file where the data folder should be
  auto settings = Load("[Main]\nLastBrowsed=/b.qvl\nSkipComment=1\n[History]\nItem1=/a.qvl\n");
  EXPECT_EQ(settings.lastBrowsed, "/b.qvl");
  EXPECT_TRUE(settings.skipComment);
  EXPECT_EQ(settings.history.Entries(), Strings{"/a.qvl"});
  EXPECT_THROW(RegisterFileTypeIfNeeded(file_, desktop_), IoError);
  EXPECT_EQ(file_.ReadString("Main", "ReggedFileTypes", "missing"), "missing");
}

TEST(SettingsPlace, BesideTheProgramUnlessItsFolderCannotBeWritten) {
  TempDir dir;
  dir.MakeFile("file");
  const std::string installed = dir / "file/bin/";  // below a file: no one may write there, root neither
  const SettingsEnvironment environment{"/cfg", "/home/me"};
  EXPECT_EQ(SettingsFilePathFor(dir.Path() + "/", environment), dir / "Quorvalen.ini");
  EXPECT_EQ(SettingsFilePathFor(dir.Path(), environment), dir / "Quorvalen.ini");
  EXPECT_EQ(SettingsFilePathFor(installed, environment), "/cfg/Quorvalen/Quorvalen.ini");
  EXPECT_EQ(SettingsFilePathFor(installed, {"/cfg/", ""}), "/cfg/Quorvalen/Quorvalen.ini");
  // A configuration folder not from the root is passed over, as the desktop does.
  EXPECT_EQ(SettingsFilePathFor(installed, {"cfg", "/home/me"}), "/home/me/.config/Quorvalen/Quorvalen.ini");
  EXPECT_EQ(SettingsFilePathFor(installed, {"", "/home/me"}), "/home/me/.config/Quorvalen/Quorvalen.ini");
  EXPECT_EQ(SettingsFilePathFor(installed, {"", ""}), installed + "Quorvalen.ini");
}

// Root may write /usr/bin, and a user ~/.local/bin: neither is the place for a
// user's settings. A copy with its read-me beside it is a portable one.
TEST(SettingsPlace, AnInstalledProgramKeepsThemWithTheUserWhereverItMayWrite) {
  TempDir dir;
  dir.MakeFolder("usr/bin");
  dir.MakeFolder("usr/share/doc/quorvalen");  // its read-me may be left out
  const SettingsEnvironment environment{"/cfg", "/home/me"};
  EXPECT_EQ(SettingsFilePathFor(dir / "usr/bin/", environment), "/cfg/Quorvalen/Quorvalen.ini");
  EXPECT_EQ(SettingsFilePathFor(dir / "usr/bin", environment), "/cfg/Quorvalen/Quorvalen.ini");
  dir.MakeFile("usr/bin/Readme.txt", "guide");
  EXPECT_EQ(SettingsFilePathFor(dir / "usr/bin/", environment), dir / "usr/bin/Quorvalen.ini");
}

TEST(SettingsPlace, TheSettingsFolderIsMadeWhenTheFileIsFirstWritten) {
  TempDir dir;
  Collator collator("en_US");
  ProfileFile file(dir / "config/Quorvalen/Quorvalen.ini");
  WindowSettings settings(collator);
  LoadSettings(file, settings);
  EXPECT_FALSE(std::filesystem::exists(dir / "config"));

  StoredHistory(file).AddCatalogue("/a.qvl");
  EXPECT_EQ(ReadFile(file.Path()), "[History]\nItem1=/a.qvl\n");
  std::filesystem::remove_all(dir / "config");
  SaveSettings(file, settings);
  EXPECT_EQ(file.ReadString("Main", "Method", ""), "3");
  std::filesystem::remove_all(dir / "config");
  EXPECT_TRUE(RegisterFileTypeIfNeeded(file, {"/opt/q/quorvalen", dir / "share", dir / "no-tools"}));
  EXPECT_EQ(file.ReadString("Main", "ReggedFileTypes", ""), "1");
  EXPECT_FALSE(RegisterFileTypeIfNeeded(file, {"/opt/q/quorvalen", dir / "share", dir / "no-tools"}));
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
  const std::string ini = "[Main]\r\nLastOutPut=/x.qvl\r\n[History]\r\nItem1=/a.qvl\r\nItem2=/./a.qvl\r\n";
  dir.MakeFile("Quorvalen.ini", ini);
  ProfileFile file(dir / "Quorvalen.ini");
  StoredHistory history(file);
  history.AddCatalogue("/b/../a.qvl");
  EXPECT_EQ(ReadFile(file.Path()), ini);
  history.AddCatalogue("/b.qvl");
  EXPECT_EQ(ReadFile(file.Path()), ini + "Item3=/b.qvl\r\n");
  EXPECT_EQ(ReadHistory(file, collator), (Strings{"/a.qvl", "/b.qvl"}));
}

// Two names are one entry when they name one file: letter case counts, as it does to
// the file system; "." and ".." and the current folder do not.
TEST(HistoryEntries, AreTheSameWhenTheyNameTheSameFile) {
  Collator collator("en_US");
  HistoryList history(collator);
  EXPECT_TRUE(history.Add("/cats/Disk.qvl"));
  EXPECT_TRUE(history.Add("/cats/disk.qvl"));
  EXPECT_FALSE(history.Add("/cats/old/../disk.qvl"));
  EXPECT_FALSE(history.Add("/cats/./Disk.qvl"));
  EXPECT_TRUE(history.Add("/cats/b.qvl"));
  EXPECT_EQ(CatalogueKey("x/../disk.qvl"), (std::filesystem::current_path() / "disk.qvl").string());
  // Stored in the locale's order, letter case aside; looked up in the new order.
  history.Sort();
  EXPECT_EQ(history.Entries(), (Strings{"/cats/b.qvl", "/cats/Disk.qvl", "/cats/disk.qvl"}));
  EXPECT_EQ(history.IndexOf("/cats/disk.qvl"), 2);
  EXPECT_EQ(history.IndexOf("/cats/b.qvl"), 0);

  TempDir dir;
  dir.MakeFile("Quorvalen.ini", "[History]\nItem1=/cats/Disk.qvl\n");
  ProfileFile file(dir / "Quorvalen.ini");
  StoredHistory stored(file);
  stored.AddCatalogue("/cats/disk.qvl");
  stored.AddCatalogue("/cats/x/../Disk.qvl");
  EXPECT_EQ(ReadHistory(file, collator), (Strings{"/cats/Disk.qvl", "/cats/disk.qvl"}));
}

// Reading once stopped after Item100 while new names still went to the next key: the
// 101st catalogue was then overwritten by every later one, and never searched.
TEST(StoredHistory, GoesOnPastAHundredEntries) {
  TempDir dir;
  Collator collator("en_US");
  std::string ini = "[History]\n";
  for (int i = 1; i <= 100; ++i) ini += ItemKey(static_cast<std::size_t>(i)) + "=/cats/" + std::to_string(i) + ".qvl\n";
  dir.MakeFile("Quorvalen.ini", ini);
  ProfileFile file(dir / "Quorvalen.ini");
  StoredHistory history(file);
  history.AddCatalogue("/new1.qvl");
  history.AddCatalogue("/new2.qvl");
  history.AddCatalogue("/new1.qvl");
  EXPECT_EQ(ReadFile(file.Path()), ini + "Item101=/new1.qvl\nItem102=/new2.qvl\n");
  auto read = ReadHistory(file, collator);
  ASSERT_EQ(read.size(), 102u);
  EXPECT_EQ(read[100], "/new1.qvl");
  EXPECT_EQ(read[101], "/new2.qvl");
}

}  // namespace
}  // namespace qvl
