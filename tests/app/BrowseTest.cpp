// The Browse view: a catalogue opened, walked folder by folder, ordered, merged.
#include <QAbstractItemModel>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTableView>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <fstream>

#include "app/WindowHarness.h"
#include "app/WindowTests.h"
#include "app/tabs/BrowseView.h"
#include "app/tabs/OneLineLabel.h"
#include "support/Bytes.h"

using namespace qvl;
using qvl::test::WindowHarness;

namespace {

// Root: Docs, old, readme.txt (1234), zz.bin (200); Docs: a.txt (12); old: empty.
const std::string kDisk = test::Bytes("\x00" "c: [data]\x00" "Backup\r\n\x04" "Docs\x04" "old\x03" "readme.txt/1234\x03"
                                      "zz.bin/200\x01" "Docs\x03" "a.txt/12\x02\x01" "old\x02\x02\x00");
// Another drive: root holds b.txt, and Docs holds new.txt; folder New is new.
const std::string kOther = test::Bytes("\x00" "d: [more]\x04" "Docs\x04" "New\x03" "b.txt/5\x01" "Docs\x03" "new.txt/7\x02\x01"
                                       "New\x03" "n.txt/1\x02\x02\x00");

void DoubleClickRow(WindowHarness& harness, const QString& caption) {
  auto& view = harness.Find<QTableView>("reportView");
  int row = harness.ListTexts(0).indexOf(caption);
  QVERIFY(row >= 0);
  emit view.doubleClicked(view.model()->index(row, 0));
}

QString NextMessage(std::function<void()> action) {
  QString text;
  test::WhenDialogOpens([&](QWidget& dialog) {
    text = static_cast<QMessageBox&>(dialog).text();
    static_cast<QMessageBox&>(dialog).accept();
  });
  action();
  if (!QTest::qWaitFor([&] { return !text.isEmpty(); }, 10000)) return QStringLiteral("(no message)");
  return text;
}

}  // namespace

class BrowseTest : public QObject {
  Q_OBJECT
 private slots:
  void OpensAndWalksFolders() {
    WindowHarness harness;
    test::WriteFile(harness.Folder() / "disk.qvl", kDisk);
    harness.Window().show();
    harness.OpenCatalogue(harness.Folder() / "disk.qvl");
    QCOMPARE(harness.Window().height(), 517);
    QCOMPARE(harness.PanelText("catalogueNamePanel"), QStringLiteral("disk.qvl"));
    QCOMPARE(harness.PanelText("drivePanel"), QStringLiteral("c: [data]"));
    QCOMPARE(harness.PanelText("folderPanel"), QStringLiteral("2 file(s) in folder \\"));
    // Folders first, then files, each Z to A until a header is clicked.
    QCOMPARE(harness.ListTexts(0), (QStringList{"old", "Docs", "zz.bin", "readme.txt"}));
    QCOMPARE(harness.ListTexts(1), (QStringList{"", "", "200", "1234"}));

    DoubleClickRow(harness, QStringLiteral("Docs"));
    QCOMPARE(harness.ListTexts(0), (QStringList{"a.txt"}));
    QCOMPARE(harness.PanelText("folderPanel"), QStringLiteral("1 file(s) in folder \\Docs\\"));
    auto& back = harness.Find<QToolButton>("backButton");
    back.click();
    QCOMPARE(harness.ListTexts(0).size(), 4);
    back.click();  // at the root: nothing
    QCOMPARE(harness.PanelText("folderPanel"), QStringLiteral("2 file(s) in folder \\"));

    // A path typed goes on Enter, and only in its whole form; visited paths are listed once.
    auto& paths = harness.Find<QComboBox>("pathCombo");
    paths.setEditText(QStringLiteral("\\old"));
    test::PressKey(*paths.lineEdit(), Qt::Key_Return);
    QCOMPARE(harness.PanelText("folderPanel"), QStringLiteral("2 file(s) in folder \\"));
    paths.setEditText(QStringLiteral("\\OLD\\"));
    test::PressKey(*paths.lineEdit(), Qt::Key_Return);
    QCOMPARE(harness.PanelText("folderPanel"), QStringLiteral("0 file(s) in folder \\OLD\\"));
    QCOMPARE(paths.count(), 3);
    emit paths.activated(paths.findText(QStringLiteral("\\Docs\\")));
    QCOMPARE(harness.ListTexts(0), (QStringList{"a.txt"}));
    QCOMPARE(paths.count(), 3);
  }

  void OrdersByHeaderClicks() {
    WindowHarness harness;
    test::WriteFile(harness.Folder() / "sizes.qvl",
                    test::Bytes("\x00" "c: []\x04" "dir\x03" "b/9\x03" "a/10\x03" "C/100\x03" "_u/5\x03" "1x/7\x02\x00"));
    harness.OpenCatalogue(harness.Folder() / "sizes.qvl");
    auto& header = *harness.Find<QTableView>("reportView").horizontalHeader();
    emit header.sectionClicked(0);  // Filename, ascending: digits, letters, underscore
    QCOMPARE(harness.ListTexts(0), (QStringList{"dir", "1x", "a", "b", "C", "_u"}));
    emit header.sectionClicked(1);  // FileSize as text, folders (no size) first
    QCOMPARE(harness.ListTexts(1), (QStringList{"", "10", "100", "5", "7", "9"}));
    emit header.sectionClicked(1);
    QCOMPARE(harness.ListTexts(1).last(), QString());
    emit header.sectionClicked(0);  // Filename's own direction flips back to descending
    QCOMPARE(harness.ListTexts(0), (QStringList{"dir", "_u", "C", "b", "a", "1x"}));
  }

  void ShowsWhereTheCatalogueCameFrom() {
    WindowHarness harness;
    test::WriteFile(harness.Folder() / "disk.qvl", kDisk);
    test::WriteFile(harness.Folder() / "plain.qvl", test::Bytes("\x00" "c: []\x03\xE9t\xE9.txt\x02\x00"));
    harness.OpenCatalogue(harness.Folder() / "disk.qvl");
    auto& statusBar = harness.Find<QWidget>("browseStatusBar");
    QCOMPARE(NextMessage([&] { QTest::mouseClick(&statusBar, Qt::LeftButton); }),
             QStringLiteral("Created from c: [data]\nFile Comment:\nBackup\n"));
    harness.OpenCatalogue(harness.Folder() / "plain.qvl");
    QCOMPARE(NextMessage([&] { QTest::mouseClick(&statusBar, Qt::LeftButton); }),
             QStringLiteral("Created from c: []\nFile Comment:\n(none)"));
    // A name that is not UTF-8 is read as Windows-1252; no size, no size shown.
    QCOMPARE(harness.ListTexts(0), (QStringList{QStringLiteral("\u00e9t\u00e9.txt")}));
    QCOMPARE(harness.ListTexts(1), (QStringList{QString()}));
  }

  void ViewStylesShareTheList() {
    WindowHarness harness;
    auto& views = harness.Find<QStackedWidget>("browseViews");
    QCOMPARE(views.currentWidget()->objectName(), QStringLiteral("reportView"));
    harness.StyleButton("navigationBar", "listAction").click();
    QCOMPARE(views.currentWidget()->objectName(), QStringLiteral("listView"));
    QVERIFY(harness.StyleButton("navigationBar", "listAction").isChecked());
    QVERIFY(!harness.StyleButton("navigationBar", "reportAction").isChecked());
  }

  void ImportMergesIntoTheOpenCatalogue() {
    WindowHarness harness("SkipComment=1\n");
    test::WriteFile(harness.Folder() / "disk.qvl", kDisk);
    test::WriteFile(harness.Folder() / "other.qvl", kOther);
    harness.OpenCatalogue(harness.Folder() / "disk.qvl");
    DoubleClickRow(harness, QStringLiteral("Docs"));
    auto& browse = *harness.Window().findChild<app::BrowseView*>("browseView");
    QCOMPARE(NextMessage([&] { browse.ImportFrom(harness.Folder() / "./disk.qvl"); }),
             QStringLiteral("Source and destination is the same!\nAborting,"));
    browse.ImportFrom(harness.Folder() / "other.qvl");
    QVERIFY(harness.WaitUntilIdle());
    // The folder shown before is shown again, with the other catalogue's entries.
    QCOMPARE(harness.ListTexts(0), (QStringList{"new.txt", "a.txt"}));
    std::string merged = test::ReadFile(harness.Folder() / "disk.qvl");
    QVERIFY(merged.find("n.txt") != std::string::npos);
    QVERIFY(merged.find("Backup") == std::string::npos);
  }

  void AFailedLoadKeepsTheOpenCatalogue() {
    WindowHarness harness;
    test::WriteFile(harness.Folder() / "disk.qvl", kDisk);
    harness.OpenCatalogue(harness.Folder() / "disk.qvl");
    // A socket passes for a file but cannot be opened, even by root.
    std::string socketName = harness.Folder() / "sock.qvl";
    int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    socketName.copy(address.sun_path, sizeof address.sun_path - 1);
    QVERIFY(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0);
    QVERIFY(NextMessage([&] { harness.OpenCatalogue(socketName); }).contains(QStringLiteral("sock.qvl")));
    ::close(listener);
    QCOMPARE(harness.PanelText("catalogueNamePanel"), QStringLiteral("disk.qvl"));
    QCOMPARE(harness.ListTexts(0).size(), 4);
  }

  void TheSaveTabAsksBeforeWritingOverTheOpenCatalogue() {
    WindowHarness harness("LastDrive=T\nMethod=3\nSkipComment=1\n");
    const std::string name = harness.Folder() / "disk.qvl";
    test::WriteFile(name, kDisk);
    harness.OpenCatalogue(name);
    harness.Find<QLineEdit>("outputFileEdit").setText(QString::fromStdString(name));
    test::WhenDialogOpens([](QWidget& dialog) {
      QVERIFY(static_cast<QMessageBox&>(dialog).text().startsWith(QStringLiteral("Warning! You are trying to write to ")));
      static_cast<QMessageBox&>(dialog).button(QMessageBox::No)->click();
    });
    auto& create = harness.Find<QWidget>("createListButton");
    QTest::mouseClick(&create, Qt::LeftButton);
    QTRY_VERIFY(create.isEnabled());
    QCOMPARE(harness.ListTexts(0).size(), 4);
    QCOMPARE(test::ReadFile(name), kDisk);
  }

  void ACatalogueGoneSinceItWasOpened() {
    WindowHarness harness;
    test::WriteFile(harness.Folder() / "disk.qvl", kDisk);
    harness.OpenCatalogue(harness.Folder() / "disk.qvl");
    ::unlink((harness.Folder() / "disk.qvl").c_str());
    QString text = NextMessage([&] { DoubleClickRow(harness, QStringLiteral("Docs")); });
    QVERIFY(text.contains(QStringLiteral("has been deleted or replaced")));
    QCOMPARE(harness.ListTexts(0).size(), 0);
  }

  // A path typed is taken as typed: the box never completes it into another one.
  void APathTypedIsTakenAsTyped() {
    WindowHarness harness;
    test::WriteFile(harness.Folder() / "disk.qvl", kDisk);
    harness.OpenCatalogue(harness.Folder() / "disk.qvl");
    DoubleClickRow(harness, QStringLiteral("Docs"));
    harness.Find<QToolButton>("backButton").click();
    auto& paths = harness.Find<QComboBox>("pathCombo");
    paths.lineEdit()->clear();
    QTest::keyClicks(paths.lineEdit(), QStringLiteral("\\D"));
    test::PressKey(*paths.lineEdit(), Qt::Key_Return);
    QCOMPARE(paths.lineEdit()->text(), QStringLiteral("\\D"));
    QCOMPARE(harness.PanelText("folderPanel"), QStringLiteral("2 file(s) in folder \\"));
  }

  // Texts from a catalogue are shown as they stand, on one line: markup is no
  // markup (a picture of a pipe would hang the window), and a caption of thousands
  // of lines does not make the window grow.
  void CatalogueTextsAreShownAsTheyStand() {
    WindowHarness harness;
    std::string caption = "c: [<b>bold</b><img src=\"/dev/zero\">";
    for (int i = 0; i < 5000; ++i) caption += "\r\n";
    caption += "]";
    test::WriteFile(harness.Folder() / "odd.qvl", std::string(1, '\0') + caption + test::Bytes("\x02\x00"));
    harness.Window().show();
    harness.OpenCatalogue(harness.Folder() / "odd.qvl");
    QVERIFY(harness.Window().minimumSizeHint().height() <= 517);
    auto& drive = harness.Find<QLabel>("drivePanel");
    QCOMPARE(drive.textFormat(), Qt::PlainText);
    QVERIFY(drive.x() > harness.Find<QLabel>("catalogueNamePanel").geometry().right());  // side by side
    QVERIFY(!drive.text().contains(QLatin1Char('\n')));
    Qt::TextFormat format = Qt::AutoText;
    QString shown;
    test::WhenDialogOpens([&](QWidget& dialog) {
      format = static_cast<QMessageBox&>(dialog).textFormat();
      shown = static_cast<QMessageBox&>(dialog).text();
      static_cast<QMessageBox&>(dialog).accept();
    });
    QTest::mouseClick(&harness.Find<QWidget>("browseStatusBar"), Qt::LeftButton);
    QTRY_VERIFY(!shown.isEmpty());
    QCOMPARE(format, Qt::PlainText);
    QVERIFY(shown.startsWith(QStringLiteral("Created from c: [<b>bold</b><img")));
  }

  // A file that is no catalogue is refused as qvl refuses it, and the catalogue
  // open stays; one cut short opens with qvl's warning.
  void FilesThatAreNoCatalogueAndCutShortOnes() {
    WindowHarness harness;
    const std::string disk = harness.Folder() / "disk.qvl", text = harness.Folder() / "notes.qvl",
                      cut = harness.Folder() / "cut.qvl";
    test::WriteFile(disk, kDisk);
    test::WriteFile(text, "notes\n");
    test::WriteFile(cut, kDisk.substr(0, kDisk.size() - 2));
    harness.OpenCatalogue(disk);
    QCOMPARE(NextMessage([&] { harness.OpenCatalogue(text); }),
             QStringLiteral("\"%1\" is not a catalogue").arg(QString::fromStdString(text)));
    QCOMPARE(harness.PanelText("catalogueNamePanel"), QStringLiteral("disk.qvl"));
    QCOMPARE(harness.ListTexts(0).size(), 4);
    QCOMPARE(NextMessage([&] { harness.OpenCatalogue(cut); }),
             QStringLiteral("\"%1\" ends before its end mark; it may be cut short").arg(QString::fromStdString(cut)));
    QCOMPARE(harness.PanelText("catalogueNamePanel"), QStringLiteral("cut.qvl"));
  }

  // Written over in place (the same file, another content): its folders are not
  // read through the index of what it was.
  void ACatalogueRewrittenInPlace() {
    WindowHarness harness;
    const std::string disk = harness.Folder() / "disk.qvl";
    test::WriteFile(disk, kDisk);
    harness.OpenCatalogue(disk);
    std::ofstream(disk, std::ios::binary | std::ios::trunc) << kOther;
    QVERIFY(NextMessage([&] { DoubleClickRow(harness, QStringLiteral("Docs")); })
                .contains(QStringLiteral("has been deleted or replaced")));
    QCOMPARE(harness.ListTexts(0).size(), 0);
  }

  void OpensTheFileOfTheCommandLineOnce() {
    test::TempDir folder;
    test::WriteFile(folder / "disk.qvl", kDisk);
    test::WriteFile(folder / "Quorvalen.ini", "[Main]\nReggedFileTypes=1\n");
    app::WindowEnvironment environment;
    environment.settingsPath = folder / "Quorvalen.ini";
    environment.arguments = QStringList{QString::fromStdString(folder / "disk.qvl")};
    app::MainWindow window(environment);
    window.show();
    QTRY_COMPARE(window.findChild<app::OneLineLabel*>("catalogueNamePanel")->FullText(), QStringLiteral("disk.qvl"));
    QCOMPARE(window.findChild<QTabWidget*>("tabs")->currentIndex(), int(app::MainWindow::BrowseTabIndex));
    QCOMPARE(window.height(), 517);
    QVERIFY(window.findChild<QToolButton*>("backButton")->isEnabled());
  }
};

#include "BrowseTest.moc"
QVL_WINDOW_TEST(BrowseTest)
