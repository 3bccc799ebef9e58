// The window at a scale of 2 (QT_SCALE_FACTOR, set by the test's run) and with a
// large font: no text of a label or a button is cut, and what the tabs hold fits them.
#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>
#include <QTest>

#include "app/WindowHarness.h"
#include "app/WindowTests.h"
#include "app/tabs/OneLineLabel.h"
#include "support/Bytes.h"

using namespace qvl;
using qvl::test::WindowHarness;

namespace {

// Widgets whose text shows whole: every label (but the one-line status texts, which
// elide by design) and every button with a text.
QStringList CutTexts(QWidget& window) {
  QStringList cut;
  for (QWidget* widget : window.findChildren<QWidget*>()) {
    if (!widget->isVisible() || qobject_cast<app::OneLineLabel*>(widget) != nullptr) continue;
    const bool texted = (qobject_cast<QLabel*>(widget) != nullptr && !static_cast<QLabel*>(widget)->text().isEmpty()) ||
                        (qobject_cast<QAbstractButton*>(widget) != nullptr &&
                         !static_cast<QAbstractButton*>(widget)->text().isEmpty());
    if (!texted) continue;
    const QSize hint = widget->minimumSizeHint().expandedTo(widget->sizeHint().boundedTo(widget->maximumSize()));
    if (widget->width() < widget->minimumSizeHint().width() || widget->height() < hint.height())
      cut << widget->metaObject()->className() + QStringLiteral(" ") + widget->objectName() +
                 QStringLiteral(" %1x%2").arg(widget->width()).arg(widget->height());
  }
  return cut;
}

}  // namespace

class ScaleTest : public QObject {
  Q_OBJECT
 private slots:
  void NothingIsCut() {
    const QFont usual = QApplication::font();
    for (double fontScale : {1.0, 1.6}) {
      QFont font = usual;
      font.setPointSizeF(usual.pointSizeF() * fontScale);
      QApplication::setFont(font);
      WindowHarness harness;
      test::WriteFile(harness.Folder() / "disk.qvl", test::Bytes("\x00" "c: [data]\x04" "Docs\x03" "a.txt/1\x01" "Docs\x02\x02\x00"));
      auto& window = harness.Window();
      window.show();
      QVERIFY(QTest::qWaitForWindowExposed(&window));
      harness.OpenCatalogue(harness.Folder() / "disk.qvl");
      auto& tabs = harness.Find<QTabWidget>("tabs");
      for (int tab = 0; tab < 4; ++tab) {
        tabs.setCurrentIndex(tab);
        QApplication::processEvents();
        const QString where = QStringLiteral("font x%1, tab %2: ").arg(fontScale).arg(tab);
        QVERIFY2(tabs.currentWidget()->minimumSizeHint().height() <= tabs.currentWidget()->height(),
                 qPrintable(where + QStringLiteral("the tab's content is cut")));
        const QStringList cut = CutTexts(window);
        QVERIFY2(cut.isEmpty(), qPrintable(where + cut.join(QStringLiteral(", "))));
      }
    }
    QApplication::setFont(usual);
  }
};

#include "ScaleTest.moc"
QVL_WINDOW_TEST(ScaleTest)
