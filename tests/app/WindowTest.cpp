// The main window: start-up from the settings, geometry, the Save tab's rules, the
// About tab and the way out.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <sys/stat.h>

#include "app/WindowHarness.h"
#include "app/WindowTests.h"
#include "app/tabs/OneLineLabel.h"

using namespace qvl;
using qvl::test::WindowHarness;

class WindowTest : public QObject {
  Q_OBJECT
 private slots:
  void StartsFromTheSettingsFile() {
    WindowHarness harness(
        "LastOutPut=/out/list.txt\nLastBrowsed=/cat/disk.qvl\nLastDrive=t\nMethod=3\nSkipComment=1\n"
        "[History]\nItem1=/a.qvl\nItem2=/b.qvl\nItem3=/c.qvl\n");
    auto& window = harness.Window();
    QCOMPARE(window.windowTitle(), QStringLiteral("Quorvalen v2.31"));
    QCOMPARE(window.geometry(), QRect(159, 25, 569, 225));
    QCOMPARE(harness.Find<QTabWidget>("tabs").currentIndex(), 0);
    QCOMPARE(harness.Find<QLineEdit>("outputFileEdit").text(), QStringLiteral("/out/list.qvl"));
    QCOMPARE(harness.Find<QLineEdit>("catalogueFileEdit").text(), QStringLiteral("/cat/disk.qvl"));
    QVERIFY(harness.Find<QRadioButton>("catalogueRadio").isChecked());
    QVERIFY(harness.Find<QCheckBox>("skipCommentCheck").isChecked());
    QVERIFY(harness.Find<QComboBox>("driveCombo").currentText().startsWith(QStringLiteral("t: [")));
    auto& files = harness.Find<QComboBox>("searchFileCombo");
    QStringList items;
    for (int i = 0; i < files.count(); ++i) items << files.itemText(i);
    QCOMPARE(items, (QStringList{"/c.qvl", "/b.qvl", "/a.qvl", "All Files"}));
    QCOMPARE(files.currentText(), QStringLiteral("All Files"));
  }

  void StartsWithoutASettingsFile() {
    test::TempDir folder;
    app::WindowEnvironment environment;
    environment.settingsPath = folder / "Quorvalen.ini";
    environment.desktop.dataHome = folder / "share";
    app::MainWindow window(environment);
    QCOMPARE(window.findChild<QLineEdit*>("outputFileEdit")->text(), QStringLiteral(".qvl"));
    QVERIFY(window.findChild<QRadioButton*>("catalogueRadio")->isChecked());
    QVERIFY(!window.findChild<QCheckBox*>("skipCommentCheck")->isChecked());
    // The file type was registered, and that is written down.
    QVERIFY(test::ReadFile(folder / "Quorvalen.ini").find("ReggedFileTypes=1") != std::string::npos);
  }

  void TabsShareTheWidth() {
    WindowHarness harness;
    harness.Window().show();
    // The rule takes the outer width, frame included.
    auto& window = harness.Window();
    window.resize(577 - (window.frameGeometry().width() - window.width()), 400);
    QTRY_COMPARE(window.TabWidth(), 111);
  }

  void MethodChangesTheExtension() {
    WindowHarness harness("LastOutPut=/out/list.txt\nMethod=0\n");
    auto& output = harness.Find<QLineEdit>("outputFileEdit");
    QCOMPARE(output.text(), QStringLiteral("/out/list.txt"));
    harness.Find<QRadioButton>("catalogueRadio").click();
    QCOMPARE(output.text(), QStringLiteral("/out/list.qvl"));
    QVERIFY(harness.Find<QWidget>("includeGroup").isVisibleTo(&harness.Window()));
    harness.Find<QRadioButton>("collapsedRadio").click();
    QCOMPARE(output.text(), QStringLiteral("/out/list.txt"));
    QVERIFY(harness.Find<QWidget>("plainTextLabel").isVisibleTo(&harness.Window()));
    output.setText(QStringLiteral("/out.d/list"));
    harness.Find<QRadioButton>("catalogueRadio").click();
    QCOMPARE(output.text(), QStringLiteral("/out.d/list.qvl"));
  }

  void FoundFileFollowsTyping() {
    WindowHarness harness;
    auto& output = harness.Find<QLineEdit>("outputFileEdit");
    auto& found = harness.Find<QLabel>("foundFileLabel");
    output.clear();
    QTest::keyClicks(&output, QString::fromStdString(harness.DriveFolder() + "/readme.txt"));
    QCOMPARE(found.text(), QStringLiteral("Found file!"));
    QTest::keyClicks(&output, QStringLiteral("x"));
    QCOMPARE(found.text(), QString());
    output.clear();
    QTest::keyClicks(&output, QString::fromStdString(harness.DriveFolder() + "/Docs"));
    QCOMPARE(found.text(), QString());
  }

  void AboutShowsTheReadmeOrSaysItIsMissing() {
    WindowHarness with;
    QCOMPARE(with.Find<QPlainTextEdit>("readmeText").toPlainText(), QStringLiteral("How to use Quorvalen\n"));
    WindowHarness without({}, false);
    auto& text = without.Find<QPlainTextEdit>("readmeText");
    QCOMPARE(text.toPlainText(), QStringLiteral("File Readme.txt not found!"));
    QVERIFY(!text.isEnabled());
  }

  // The window keeps its tab-area size until the list is needed, and its width
  // whatever the texts it shows; a real X server holds a window to its least size.
  void TheWindowKeepsItsSize() {
    const std::string longName = "/catalogues/" + std::string(300, 'x') + ".qvl";
    WindowHarness harness("[History]\nItem1=" + longName + "\n");
    auto& window = harness.Window();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY2(window.minimumSizeHint().height() <= 225, qPrintable(QString::number(window.minimumSizeHint().height())));
    QVERIFY(window.minimumSizeHint().width() <= 569);
    // What each tab holds fits the tab: nothing is cut at its bottom.
    auto& tabs = harness.Find<QTabWidget>("tabs");
    for (int tab = 0; tab < 4; ++tab)
      QVERIFY2(tabs.widget(tab)->minimumSizeHint().height() <= tabs.currentWidget()->height(), qPrintable(QString::number(tab)));
    QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    // A listing of long folder names: the status line elides, the window stays.
    auto& status = harness.Find<app::OneLineLabel>("saveStatusLine");
    status.SetText(QStringLiteral("Listing T:\\") + QString(400, QLatin1Char('f')));
    QVERIFY(window.minimumSizeHint().width() <= 569);
    QVERIFY(status.text().size() < 400);
  }

  // Yes to closing during a listing that ended while the question was open still
  // closes the window.
  void CloseWhenTheWorkIsDone() {
    WindowHarness harness("LastDrive=T\nMethod=3\nSkipComment=1\n");
    auto& window = harness.Window();
    window.show();
    harness.Find<QLineEdit>("outputFileEdit").setText(QString::fromStdString(harness.Folder() / "disk.qvl"));
    harness.Find<QPushButton>("createListButton").click();
    bool asked = false;
    test::WhenDialogOpens([&](QWidget& dialog) {
      asked = true;
      QVERIFY(harness.WaitUntilIdle());
      static_cast<QMessageBox&>(dialog).button(QMessageBox::Yes)->click();
    });
    window.close();
    QTRY_VERIFY(asked);
    QTRY_VERIFY(!window.isVisible());
    QVERIFY(harness.SettingsText().find("LastOutPut=" + (harness.Folder() / "disk.qvl")) != std::string::npos);
  }

  // A settings file that cannot be read is said so at the start and left alone at exit.
  void AnUnreadableSettingsFileIsNotWrittenOver() {
    test::TempDir folder;
    QCOMPARE(::mkfifo((folder / "Quorvalen.ini").c_str(), 0600), 0);
    app::WindowEnvironment environment;
    environment.settingsPath = folder / "Quorvalen.ini";
    app::MainWindow window(environment);
    QString said;
    test::WhenDialogOpens([&](QWidget& dialog) {
      said = static_cast<QMessageBox&>(dialog).text();
      static_cast<QMessageBox&>(dialog).accept();
    });
    window.show();
    QTRY_VERIFY(!said.isEmpty());
    QVERIFY2(said.contains(QStringLiteral("Quorvalen.ini")) && said.contains(QStringLiteral("not a regular file")),
             qPrintable(said));
    window.close();
    QVERIFY(!window.isVisible());
    QVERIFY(std::filesystem::is_fifo(folder / "Quorvalen.ini"));
  }

  void ExitSavesTheSettings() {
    WindowHarness harness("Method=0\n");
    harness.Window().show();
    harness.Find<QLineEdit>("outputFileEdit").setText(QStringLiteral("/new/out.txt"));
    harness.Find<QTabWidget>("tabs").setCurrentIndex(app::MainWindow::ExitTabIndex);
    QTRY_VERIFY(!harness.Window().isVisible());
    std::string saved = harness.SettingsText();
    QVERIFY(saved.find("LastOutPut=/new/out.txt") != std::string::npos);
    QVERIFY(saved.find("Method=0") != std::string::npos);
  }
};

#include "WindowTest.moc"
QVL_WINDOW_TEST(WindowTest)
