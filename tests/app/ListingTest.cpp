// "Create List" from the window, end to end: the walk runs off the window's thread
// and every question is answered in the dialogs, as a user would.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QHeaderView>
#include <QTableView>
#include <QTest>
#include <filesystem>
#include <QWindow>

#include "app/WindowHarness.h"
#include "app/WindowTests.h"
#include "platform/File.h"

using namespace qvl;
using qvl::test::WindowHarness;

namespace {

void ClickButton(QWidget& dialog, const char* name) { dialog.findChild<QPushButton*>(name)->click(); }

void AddComment(QWidget& dialog, const QString& text) {
  auto* edit = dialog.findChild<QPlainTextEdit*>("commentEdit");
  QTest::keyClicks(edit, text);
  test::PressKey(*edit, Qt::Key_Return, Qt::ControlModifier);
}

}  // namespace

class ListingTest : public QObject {
  Q_OBJECT

  // Lists drive T: into `output` and waits until the command has ended.
  static void CreateList(WindowHarness& harness, const std::string& output) {
    harness.Find<QLineEdit>("outputFileEdit").setText(QString::fromStdString(output));
    auto& button = harness.Find<QPushButton>("createListButton");
    button.click();
    QTRY_VERIFY_WITH_TIMEOUT(button.isEnabled(), 30000);
  }
  static QString Status(WindowHarness& harness) { return harness.PanelText("saveStatusLine"); }

 private slots:
  void PlainListThenAppend() {
    WindowHarness harness("LastDrive=T\nMethod=2\nSkipComment=1\n");
    const std::string output = harness.Folder() / "disk.txt";
    CreateList(harness, output);
    QCOMPARE(Status(harness), QStringLiteral("Listing complete"));
    std::string first = test::ReadFile(output);
    QVERIFY(first.find("a.txt") != std::string::npos);

    test::WhenDialogOpens([](QWidget& dialog) { ClickButton(dialog, "appendButton"); });
    CreateList(harness, output);
    std::string both = test::ReadFile(output);
    QCOMPARE(both.substr(0, first.size()), first);
    QVERIFY(both.size() > first.size() + first.size() / 2);
    // Plain lists never join the history.
    QCOMPARE(harness.Find<QComboBox>("searchFileCombo").count(), 1);
  }

  void CatalogueWithCommentOverwriteAndImport() {
    WindowHarness harness("LastDrive=T\nMethod=3\n");
    harness.Window().show();
    const std::string output = harness.Folder() / "disk.qvl";
    QWindow* transientParent = nullptr;
    test::WhenDialogOpens([&](QWidget& dialog) {
      // The window manager keeps the dialog above the window it blocks.
      transientParent = dialog.windowHandle()->transientParent();
      AddComment(dialog, QStringLiteral("Backup"));
    });
    CreateList(harness, output);
    QCOMPARE(transientParent, harness.Window().windowHandle());
    std::string catalogue = test::ReadFile(output);
    QCOMPARE(catalogue.substr(0, 4), std::string("\0t: ", 4));
    QVERIFY(catalogue.find(std::string("\0Backup\r\n", 9)) != std::string::npos);
    auto& files = harness.Find<QComboBox>("searchFileCombo");
    QCOMPARE(files.itemText(0), QString::fromStdString(output));
    QCOMPARE(files.currentText(), QStringLiteral("All Files"));

    // Overwrite, with the comment left out.
    test::WhenDialogOpens([](QWidget& dialog) {
      ClickButton(dialog, "overwriteButton");
      test::WhenDialogOpens([](QWidget& comment) { ClickButton(comment, "ignoreButton"); });
    });
    CreateList(harness, output);
    QVERIFY(test::ReadFile(output).find("Backup") == std::string::npos);

    // Import: the new listing is merged into the catalogue, which asks for its comment.
    test::WhenDialogOpens([](QWidget& dialog) {
      QCOMPARE(dialog.findChild<QPushButton*>("appendButton")->text(), QStringLiteral("Import"));
      ClickButton(dialog, "appendButton");
      test::WhenDialogOpens([](QWidget& comment) { AddComment(comment, QStringLiteral("Merged")); });
    });
    CreateList(harness, output);
    QCOMPARE(Status(harness), QStringLiteral("Listing complete"));
    std::string merged = test::ReadFile(output);
    QVERIFY(merged.find("Merged") != std::string::npos);
    // Both listings' entries, the temporary listing gone; the history has it once.
    QVERIFY(merged.find("readme.txt") != merged.rfind("readme.txt"));
    QVERIFY(!FileExists(output + ".tmp"));
    QCOMPARE(files.count(), 2);
  }

  // A catalogue listed from the window has its companion: the list gets a Modified
  // column that sorts by time, folders first, and the origin tells the volume.
  void DatesAndTheVolumeFromTheCompanion() {
    WindowHarness harness("LastDrive=T\nMethod=3\nSkipComment=1\nContentHashes=1\n");
    QVERIFY(harness.Find<QCheckBox>("contentHashesCheck").isChecked());
    const std::string output = harness.Folder() / "disk.qvl";
    CreateList(harness, output);
    QVERIFY(FileExists(output + ".qvc"));
    harness.OpenCatalogue(output);
    auto& report = harness.Find<QTableView>("reportView");
    QVERIFY(!report.isColumnHidden(4));
    QCOMPARE(report.model()->headerData(4, Qt::Horizontal).toString(), QStringLiteral("Modified"));
    QVERIFY(!harness.ListTexts(4).contains(QString()));
    emit report.horizontalHeader()->sectionClicked(4);
    QCOMPARE(harness.ListTexts(0).first(), QStringLiteral("Docs"));
    QString origin;
    test::WhenDialogOpens([&](QWidget& dialog) {
      origin = static_cast<QMessageBox&>(dialog).text();
      static_cast<QMessageBox&>(dialog).accept();
    });
    QTest::mouseClick(&harness.Find<QWidget>("browseStatusBar"), Qt::LeftButton);
    QTRY_VERIFY(origin.contains(QStringLiteral("Listed folder: ") + QString::fromStdString(harness.DriveFolder())));
    QVERIFY(origin.contains(QStringLiteral("Hashes: yes")));
    // Without a companion, no dates and no column.
    std::filesystem::remove(output + ".qvc");
    harness.OpenCatalogue(output);
    QVERIFY(report.isColumnHidden(4));
  }

  void OutputThatCannotBeOpened() {
    WindowHarness harness("LastDrive=T\nMethod=3\nSkipComment=1\n");
    QString shown;
    test::WhenDialogOpens([&](QWidget& dialog) {
      shown = static_cast<QMessageBox&>(dialog).text();
      static_cast<QMessageBox&>(dialog).accept();
    });
    CreateList(harness, harness.Folder() / "no/such/folder/disk.qvl");
    QCOMPARE(shown, QStringLiteral("File is locked by another application.\nAborting."));
    QVERIFY(harness.Find<QWidget>("catalogueRadio").isEnabled());
  }
};

#include "ListingTest.moc"
QVL_WINDOW_TEST(ListingTest)
