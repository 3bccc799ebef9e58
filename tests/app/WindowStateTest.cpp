// What the window lets the user do while it works: the mapping from its state to
// every control, and the window held to it while each long activity runs.
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include "app/WindowHarness.h"
#include "app/WindowTests.h"
#include "app/tabs/BrowseView.h"
#include "support/Bytes.h"

using namespace qvl;
using namespace qvl::app;
using qvl::test::WindowHarness;

namespace {

// Root: Docs, readme.txt; Docs: a.txt.
const std::string kDisk = test::Bytes("\x00" "c: [data]\x04" "Docs\x03" "readme.txt/5\x01" "Docs\x03" "a.txt/1\x02\x02\x00");

}  // namespace

class WindowStateTest : public QObject {
  Q_OBJECT
 private slots:
  void EveryActivityLeavesTheListAlone() {
    // Idle: everything but what needs a catalogue; Create List while no listing runs.
    ControlStates idle = ControlsFor({});
    QVERIFY(idle.createList && idle.openCatalogue && idle.enterSearchMode && idle.startSearch && idle.changeList);
    QVERIFY(!idle.navigate && !idle.startFind && !idle.showOrigin);
    ControlStates open = ControlsFor({.catalogueOpen = true});
    QVERIFY(open.navigate && open.startFind && open.showOrigin);
    QVERIFY(!ControlsFor({.listing = true, .catalogueOpen = true}).createList);
    QVERIFY(ControlsFor({.listing = true, .catalogueOpen = true}).navigate);  // browsing beside a listing

    for (Activity activity : {Activity::Loading, Activity::Importing, Activity::QuickFind, Activity::Searching}) {
      for (bool searchMode : {false, true}) {
        ControlStates busy = ControlsFor({.activity = activity, .catalogueOpen = true, .searchMode = searchMode});
        const QString what = QString::number(static_cast<int>(activity));
        QVERIFY2(busy.createList, qPrintable(what));  // a listing runs beside anything
        QVERIFY2(!busy.openCatalogue && !busy.navigate && !busy.enterSearchMode && !busy.startFind &&
                     !busy.endSearchMode && !busy.startSearch && !busy.changeList,
                 qPrintable(what));
        // The origin reads the open catalogue, which a load or a merge replaces.
        const bool replaced = activity == Activity::Loading || activity == Activity::Importing;
        QCOMPARE(busy.showOrigin, !replaced);
      }
    }
  }

  // Each long activity, started as a user would: until its end reaches the
  // window, every control that would change the list is off, and handlers called
  // anyway change nothing.
  void ALongActivityOwnsTheList() {
    for (Activity activity : {Activity::Loading, Activity::Importing, Activity::QuickFind, Activity::Searching}) {
      WindowHarness harness("SkipComment=1\n");
      const std::string disk = harness.Folder() / "disk.qvl", other = harness.Folder() / "other.qvl";
      test::WriteFile(disk, kDisk);
      test::WriteFile(other, kDisk);
      harness.OpenCatalogue(disk);
      auto& browse = *harness.Window().findChild<BrowseView*>("browseView");
      auto& report = harness.Find<QTableView>("reportView");
      if (activity == Activity::QuickFind) harness.Find<QToolButton>("searchModeButton").click();
      const QStringList before = harness.ListTexts(0);
      const QString folderText = harness.PanelText("folderPanel");

      if (activity == Activity::Loading) {
        harness.Find<QLineEdit>("catalogueFileEdit").setText(QString::fromStdString(other));
        test::PressKey(harness.Find<QLineEdit>("catalogueFileEdit"), Qt::Key_Return);
      } else if (activity == Activity::Importing) {
        browse.ImportFrom(other);
      } else if (activity == Activity::QuickFind) {
        harness.Find<QComboBox>("quickFindCombo").setEditText(QStringLiteral("a"));
        browse.StartFind();
      } else {
        harness.Find<QLineEdit>("searchTextEdit").setText(QStringLiteral("a"));
        harness.Find<QComboBox>("searchFileCombo").setEditText(QString::fromStdString(disk));
        harness.Find<QPushButton>("startSearchButton").click();
      }
      const QString what = QString::number(static_cast<int>(activity));
      QCOMPARE(harness.Window().State().activity, activity);
      for (const char* name : {"backButton", "importButton", "searchModeButton", "startFindButton", "endSearchButton",
                               "catalogueBrowseButton"})
        QVERIFY2(!harness.Find<QWidget>(name).isEnabled(), qPrintable(what + name));
      for (const char* name : {"pathCombo", "catalogueFileEdit", "startSearchButton"})
        QVERIFY2(!harness.Find<QWidget>(name).isEnabled(), qPrintable(what + name));
      QVERIFY(!report.horizontalHeader()->sectionsClickable());
      QVERIFY(harness.Find<QWidget>("createListButton").isEnabled());

      // The handlers themselves refuse: nothing reaches the list before the work's end.
      QVERIFY(!browse.ShowFolder("\\Docs\\"));
      emit report.horizontalHeader()->sectionClicked(1);
      emit report.doubleClicked(report.model()->index(0, 0));
      test::PressKey(*harness.Find<QComboBox>("pathCombo").lineEdit(), Qt::Key_Return);
      browse.StartFind();
      browse.EndSearchMode();
      browse.OpenCatalogue(other);
      emit harness.Find<QLineEdit>("searchTextEdit").returnPressed();
      QCOMPARE(harness.Window().State().activity, activity);
      if (activity == Activity::Loading || activity == Activity::QuickFind) {
        QCOMPARE(harness.ListTexts(0), before);
        QCOMPARE(harness.PanelText("folderPanel"), activity == Activity::Loading ? folderText
                                                                                 : QStringLiteral("Searching..."));
      }
      QVERIFY(harness.WaitUntilIdle());
      // What the activity itself shows, and nothing of the refused handlers.
      if (activity == Activity::QuickFind) QCOMPARE(harness.ListTexts(0), (QStringList{"readme.txt", "a.txt"}));
      if (activity == Activity::Searching) QCOMPARE(harness.ListTexts(0), (QStringList{"readme.txt", "a.txt"}));
      if (activity == Activity::Loading) QCOMPARE(harness.ListTexts(0), (QStringList{"Docs", "readme.txt"}));
      QVERIFY(harness.Find<QWidget>("startSearchButton").isEnabled());
    }
  }
};

#include "WindowStateTest.moc"
QVL_WINDOW_TEST(WindowStateTest)
