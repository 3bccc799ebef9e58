// Searching from the window: the quick find of search mode and the Search tab.
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <filesystem>
#include <QTableView>

#include "app/WindowHarness.h"
#include "app/WindowTests.h"
#include "app/tabs/SearchTab.h"
#include "search/SearchIndex.h"
#include "support/Bytes.h"

using namespace qvl;
using qvl::test::WindowHarness;

namespace {

// Root: folders Docs and readmes, files README.TXT, ReadMe.doc, zz; Docs: notes.txt.
const std::string kFind = test::Bytes("\x00" "c: [x]\x04" "Docs\x04" "readmes\x03" "README.TXT/1024\x03" "ReadMe.doc/5\x03"
                                      "zz/3\x01" "Docs\x03" "notes.txt/77\x02\x01" "readmes\x02\x02\x00");

void Find(WindowHarness& harness, const QString& text) {
  auto& box = harness.Find<QComboBox>("quickFindCombo");
  box.setEditText(text);
  test::PressKey(*box.lineEdit(), Qt::Key_Return);
  QVERIFY(harness.WaitUntilIdle());
}

}  // namespace

class SearchTest : public QObject {
  Q_OBJECT
 private slots:
  void SearchModeComesAndGoes() {
    WindowHarness harness;
    harness.Window().show();
    auto& searchMode = harness.Find<QToolButton>("searchModeButton");
    QString said;
    test::WhenDialogOpens([&](QWidget& dialog) {
      said = static_cast<QMessageBox&>(dialog).text();
      static_cast<QMessageBox&>(dialog).accept();
    });
    searchMode.click();  // no catalogue yet
    QVERIFY(said.contains(QStringLiteral("No catalogue is open")));
    QVERIFY(!harness.Find<QToolBar>("quickFindBar").isVisibleTo(&harness.Find<QWidget>("browseView")));

    test::WriteFile(harness.Folder() / "find.qvl", kFind);
    harness.OpenCatalogue(harness.Folder() / "find.qvl");
    harness.StyleButton("navigationBar", "listAction").click();
    searchMode.click();
    QVERIFY(!harness.Find<QToolBar>("navigationBar").isVisible());
    QVERIFY(harness.Find<QToolBar>("quickFindBar").isVisible());
    QVERIFY(harness.StyleButton("quickFindBar", "listAction").isChecked());
    QCOMPARE(harness.PanelText("folderPanel"), QStringLiteral("Search Mode"));
    QCOMPARE(harness.ListTexts(0).size(), 0);

    harness.Find<QToolButton>("endSearchButton").click();
    QVERIFY(harness.Find<QToolBar>("navigationBar").isVisible());
    QCOMPARE(harness.ListTexts(0).size(), 5);
    QCOMPARE(harness.PanelText("folderPanel"), QStringLiteral("3 file(s) in folder \\"));
  }

  void QuickFindMatchesAndTells() {
    WindowHarness harness;
    test::WriteFile(harness.Folder() / "find.qvl", kFind);
    harness.OpenCatalogue(harness.Folder() / "find.qvl");
    harness.Find<QToolButton>("searchModeButton").click();

    Find(harness, QStringLiteral("readme"));  // a to z in any case; rows in file order
    QCOMPARE(harness.ListTexts(0), (QStringList{"readmes", "README.TXT", "ReadMe.doc"}));
    QCOMPARE(harness.ListTexts(2), (QStringList{"\\", "\\", "\\"}));
    QCOMPARE(harness.PanelText("folderPanel"), QStringLiteral("Found 2 matching files and 1 folders"));
    Find(harness, QStringLiteral("77"));  // digits find sizes
    QCOMPARE(harness.ListTexts(0), (QStringList{"notes.txt"}));
    QCOMPARE(harness.ListTexts(2), (QStringList{"\\Docs\\"}));
    Find(harness, QStringLiteral("/"));  // every file with a size, no folder
    QCOMPARE(harness.ListTexts(0), (QStringList{"README.TXT", "ReadMe.doc", "zz", "notes.txt"}));
    Find(harness, QStringLiteral("nothing"));
    QCOMPARE(harness.ListTexts(0), (QStringList{"No matching items found"}));
    QCOMPARE(harness.PanelText("folderPanel"), QStringLiteral("No files found"));

    // Texts searched stay in the box's list, newest first, once whatever their case.
    Find(harness, QStringLiteral("README"));
    Find(harness, QString());
    auto& box = harness.Find<QComboBox>("quickFindCombo");
    QStringList items;
    for (int i = 0; i < box.count(); ++i) items << box.itemText(i);
    QCOMPARE(items, (QStringList{"", "nothing", "/", "77", "readme"}));

    // A double click on a folder hit lists that folder below the one shown before.
    Find(harness, QStringLiteral("Docs"));
    auto& view = harness.Find<QTableView>("reportView");
    emit view.doubleClicked(view.model()->index(0, 0));
    QCOMPARE(harness.ListTexts(0), (QStringList{"notes.txt"}));
  }

  // Search mode takes the keyboard to its box; typed text is searched as typed,
  // never completed from the texts searched before.
  void TheFindBoxTakesTextAsTyped() {
    WindowHarness harness;
    test::WriteFile(harness.Folder() / "find.qvl", kFind);
    harness.Window().show();
    QVERIFY(QTest::qWaitForWindowActive(&harness.Window()));
    harness.OpenCatalogue(harness.Folder() / "find.qvl");
    harness.Find<QToolButton>("searchModeButton").click();
    auto& box = harness.Find<QComboBox>("quickFindCombo");
    QTRY_VERIFY(box.hasFocus());
    Find(harness, QStringLiteral("readme"));
    box.lineEdit()->clear();
    QTest::keyClicks(box.lineEdit(), QStringLiteral("rea"));
    test::PressKey(*box.lineEdit(), Qt::Key_Return);
    QVERIFY(harness.WaitUntilIdle());
    QCOMPARE(harness.PanelText("folderPanel"), QStringLiteral("Found 2 matching files and 1 folders"));
    QCOMPARE(box.itemText(0), QStringLiteral("rea"));
    // Each button of the two tool bars shows a picture of its own.
    const QImage list = harness.StyleButton("navigationBar", "listAction").icon().pixmap(16).toImage();
    QVERIFY(list != harness.Find<QToolButton>("searchModeButton").icon().pixmap(16).toImage());
    QVERIFY(list != harness.StyleButton("navigationBar", "smallIconsAction").icon().pixmap(16).toImage());
  }

  // The catalogue replaced since it was opened: its index would name every hit's
  // folder wrongly.
  void QuickFindInACatalogueReplaced() {
    WindowHarness harness;
    const std::string name = harness.Folder() / "find.qvl";
    test::WriteFile(name, kFind);
    harness.OpenCatalogue(name);
    harness.Find<QToolButton>("searchModeButton").click();
    test::WriteFile(harness.Folder() / "new.qvl", test::Bytes("\x00" "c:" "\x01" "x" "\x03" "readme" "\x02\x02\x00"));
    std::filesystem::rename(harness.Folder() / "new.qvl", name);
    QString said;
    test::WhenDialogOpens([&](QWidget& dialog) {
      said = static_cast<QMessageBox&>(dialog).text();
      static_cast<QMessageBox&>(dialog).accept();
    });
    Find(harness, QStringLiteral("readme"));
    QTRY_VERIFY(said.contains(QStringLiteral("has been deleted or replaced")));
  }

  void SearchTabOverFilesAndHistory() {
    test::TempDir catalogues;
    const std::string a = catalogues / "a.qvl", b = catalogues / "b.qvl";
    test::WriteFile(a, kFind);
    test::WriteFile(b, kFind);
    WindowHarness harness("[History]\nItem1=" + a + "\nItem2=" + (catalogues / "gone.qvl") + "\nItem3=" + b + "\n");
    auto& text = harness.Find<QLineEdit>("searchTextEdit");
    auto& files = harness.Find<QComboBox>("searchFileCombo");
    auto run = [&] {
      harness.Find<QPushButton>("startSearchButton").click();
      QVERIFY(harness.WaitUntilIdle());
      QCOMPARE(harness.PanelText("catalogueNamePanel"), QStringLiteral("Search complete"));
    };

    // One file named: hits with their folder and the file's name without its folder.
    text.setText(QStringLiteral("notes"));
    files.setEditText(QString::fromStdString(a));
    run();
    QCOMPARE(harness.ListTexts(0), (QStringList{"notes.txt"}));
    QCOMPARE(harness.ListTexts(2), (QStringList{"\\Docs\\"}));
    QCOMPARE(harness.ListTexts(3), (QStringList{"a.qvl"}));
    QCOMPARE(harness.PanelText("folderPanel"), QStringLiteral("Found 1 matching files"));
    QCOMPARE(harness.Window().height(), 517);

    // All Files: the history in its order, a missing catalogue passed over; the total
    // bar steps by 100 / 3 and ends at 100; folder hits are listed, not counted.
    files.setEditText(QStringLiteral("All Files"));
    QSignalSpy steps(&harness.Find<QProgressBar>("totalProgress"), &QProgressBar::valueChanged);
    text.setText(QStringLiteral("readme"));
    run();
    QCOMPARE(harness.ListTexts(3), (QStringList{"a.qvl", "a.qvl", "a.qvl", "b.qvl", "b.qvl", "b.qvl"}));
    QCOMPARE(harness.PanelText("folderPanel"), QStringLiteral("Found 4 matching files"));
    QList<int> values;
    for (const auto& signal : steps) values << signal.at(0).toInt();
    QCOMPARE(values, (QList<int>{0, 33, 66, 99, 100}));
  }

  void SearchTabOverMoreThanAHundredFiles() {
    // The total bar's step is 100 / 101, which is 0: it stays at 0 until the end.
    test::TempDir catalogues;
    const std::string a = catalogues / "a.qvl";
    test::WriteFile(a, kFind);
    std::string history = "[History]\nItem1=" + a + "\n";
    for (int i = 2; i <= 101; ++i)
      history += "Item" + std::to_string(i) + "=" + (catalogues / ("gone" + std::to_string(i) + ".qvl")) + "\n";
    WindowHarness harness(history);
    harness.Find<QLineEdit>("searchTextEdit").setText(QStringLiteral("notes"));
    harness.Find<QComboBox>("searchFileCombo").setEditText(QStringLiteral("All Files"));
    QSignalSpy steps(&harness.Find<QProgressBar>("totalProgress"), &QProgressBar::valueChanged);
    harness.Find<QPushButton>("startSearchButton").click();
    QVERIFY(harness.WaitUntilIdle());
    QList<int> values;
    for (const auto& signal : steps) values << signal.at(0).toInt();
    QCOMPARE(values, (QList<int>{100}));
    QTRY_COMPARE(harness.ListTexts(0), (QStringList{"notes.txt"}));
  }

  // With every catalogue indexed, the list follows the text as it is typed, with
  // the texts of a search started by the button; a newer text gives the search
  // of the one before up. Without indexes, typing searches nothing.
  void SearchTabFollowsTheTypedText() {
    test::TempDir catalogues;
    const std::string a = catalogues / "a.qvl", b = catalogues / "b.qvl";
    test::WriteFile(a, kFind);
    test::WriteFile(b, kFind);
    WindowHarness harness("[History]\nItem1=" + a + "\nItem2=" + (catalogues / "gone.qvl") + "\nItem3=" + b + "\n");
    auto& tab = harness.Find<app::SearchTab>("searchTab");
    auto& text = harness.Find<QLineEdit>("searchTextEdit");
    QVERIFY(harness.WaitUntilIdle());
    QTest::qWait(50);
    QVERIFY(!tab.SearchesAsTyped());
    QTest::keyClicks(&text, QStringLiteral("notes"));
    QTest::qWait(app::SearchTab::kTypingPauseMs * 2);
    QCOMPARE(harness.ListTexts(0).size(), 0);

    // A search started with the button indexes what it searched.
    harness.Find<QPushButton>("startSearchButton").click();
    QVERIFY(harness.WaitUntilIdle());
    QTRY_VERIFY(tab.SearchesAsTyped());
    QVERIFY(IndexStatus(a) == IndexFreshness::Fresh && IndexStatus(b) == IndexFreshness::Fresh);

    text.clear();
    QTest::keyClicks(&text, QStringLiteral("readme"));
    QTRY_COMPARE(harness.PanelText("catalogueNamePanel"), QStringLiteral("Search complete"));
    QTRY_COMPARE(harness.ListTexts(3), (QStringList{"a.qvl", "a.qvl", "a.qvl", "b.qvl", "b.qvl", "b.qvl"}));
    QCOMPARE(harness.PanelText("folderPanel"), QStringLiteral("Found 4 matching files"));
    QCOMPARE(harness.Find<QProgressBar>("totalProgress").value(), 100);

    // A second text typed at once: only its rows, once.
    text.clear();
    QTest::keyClicks(&text, QStringLiteral("zz"));
    QTest::qWait(app::SearchTab::kTypingPauseMs + 20);
    text.clear();
    QTest::keyClicks(&text, QStringLiteral("notes"));
    QTRY_COMPARE(harness.ListTexts(0), (QStringList{"notes.txt", "notes.txt"}));
    QVERIFY(harness.WaitUntilIdle());
    QCOMPARE(harness.ListTexts(0), (QStringList{"notes.txt", "notes.txt"}));
    QCOMPARE(harness.PanelText("folderPanel"), QStringLiteral("Found 2 matching files"));
  }

  void SearchTabWithoutHistory() {
    WindowHarness harness;
    harness.Find<QLineEdit>("searchTextEdit").setText(QStringLiteral("notes"));
    QString message;
    test::WhenDialogOpens([&](QWidget& dialog) {
      message = static_cast<QMessageBox&>(dialog).text();
      static_cast<QMessageBox&>(dialog).accept();
    });
    harness.Find<QPushButton>("startSearchButton").click();
    QTRY_COMPARE(message, QStringLiteral("No files to search!"));
  }
};

#include "SearchTest.moc"
QVL_WINDOW_TEST(SearchTest)
