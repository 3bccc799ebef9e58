// The output-exists and comment dialogs, driven by keys as a user would.
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "app/WindowHarness.h"
#include "app/WindowTests.h"
#include "app/dialogs/CommentDialog.h"
#include "app/dialogs/OutputExistsDialog.h"

using namespace qvl;
using namespace qvl::app;

class DialogTest : public QObject {
  Q_OBJECT
 private slots:
  void OutputExistsCancelsUnlessTold() {
    OutputExistsDialog catalogue(ListMethod::Catalogue);
    QCOMPARE(catalogue.findChild<QPushButton*>("appendButton")->text(), QStringLiteral("Import"));
    OutputExistsDialog plain(ListMethod::FoldersOnly);
    QCOMPARE(plain.findChild<QPushButton*>("appendButton")->text(), QStringLiteral("Append"));

    // Enter at once, and the close box, keep the file.
    test::WhenDialogOpens([](QWidget& dialog) { test::PressKey(dialog, Qt::Key_Return); });
    QCOMPARE(OutputExistsDialog::Ask(ListMethod::Catalogue, nullptr), OutputChoice::Cancel);
    test::WhenDialogOpens([](QWidget& dialog) { dialog.close(); });
    QCOMPARE(OutputExistsDialog::Ask(ListMethod::Catalogue, nullptr), OutputChoice::Cancel);
    test::WhenDialogOpens([](QWidget& dialog) { dialog.findChild<QPushButton*>("appendButton")->click(); });
    QCOMPARE(OutputExistsDialog::Ask(ListMethod::Collapsed, nullptr), OutputChoice::Append);
  }

  void CommentStartsWithTheStampSelected() {
    CommentDialog dialog(0);
    auto* edit = dialog.findChild<QPlainTextEdit*>("commentEdit");
    QVERIFY(edit->toPlainText().startsWith(QStringLiteral("Created ")));
    QVERIFY(edit->toPlainText().endsWith(QStringLiteral(" using Quorvalen v2.31")));
    QCOMPARE(edit->textCursor().selectedText(), edit->toPlainText());
    QTest::keyClicks(edit, QStringLiteral("Backup"));
    QCOMPARE(edit->toPlainText(), QStringLiteral("Backup"));
  }

  void CommentKeys() {
    // Enter starts a line, Ctrl+Enter adds; five lines keep four.
    CommentDialog dialog(0);
    dialog.show();
    auto* edit = dialog.findChild<QPlainTextEdit*>("commentEdit");
    for (const char* line : {"one", "two", "three", "four"}) {
      QTest::keyClicks(edit, QString::fromLatin1(line));
      test::PressKey(*edit, Qt::Key_Return);
    }
    QTest::keyClicks(edit, QStringLiteral("five"));
    QVERIFY(dialog.isVisible());
    test::PressKey(*edit, Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(dialog.Comment().has_value());
    QCOMPARE(*dialog.Comment(), (CommentLines{"one", "two", "three", "four"}));

    CommentDialog ignored(0);
    ignored.show();
    test::PressKey(*ignored.findChild<QPlainTextEdit*>("commentEdit"), Qt::Key_Escape);
    QVERIFY(!ignored.Comment().has_value());
    QVERIFY(!ignored.isVisible());
  }

  void CommentLimitAndWrap() {
    CommentDialog dialog(0);
    dialog.show();
    auto* edit = dialog.findChild<QPlainTextEdit*>("commentEdit");
    QTest::keyClicks(edit, QString(200, QLatin1Char('x')));
    QCOMPARE(edit->toPlainText().size(), CommentDialog::kMaxCharacters);

    // A line too long for the box counts as the lines it is shown as.
    edit->setPlainText(QStringLiteral("word ").repeated(30).trimmed());
    dialog.findChild<QPushButton*>("addButton")->click();
    const CommentLines& lines = *dialog.Comment();
    QVERIFY(!lines[1].empty());
    QVERIFY(lines[0].size() < 150);
    QVERIFY(lines[0].back() != ' ');
  }
};

#include "DialogTest.moc"
QVL_WINDOW_TEST(DialogTest)
