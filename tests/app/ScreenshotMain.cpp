// Pictures of the window for a person to look at: run under a real X server
// (make screenshots runs it under Xvfb). Writes PNGs of each tab, the Browse view in
// its three styles, search mode and the Search tab into the folder given.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <cstdio>

#include "app/WindowHarness.h"
#include "support/Bytes.h"

namespace {

// A small catalogue that looks like a real one.
const std::string kPhotos = qvl::test::Bytes(
    "\x00" "t: [photos]\x00" "Holiday pictures and scans\r\n\x04" "2024\x04" "2025\x04" "Scans\x03"
    "index.html/4521\x03" "readme.txt/1210\x03" "setup.exe/88213\x03" "thumbs.db/20480\x01" "2024\x03"
    "beach.jpg/2483110\x03" "dinner.JPG/1834002\x03" "notes.txt/310\x02\x01" "2025\x03" "mountain.png/5521200\x03"
    "trip.mp4/80211312\x02\x01" "Scans\x03" "invoice.pdf/120400\x03" "letter.pdf/98211\x03" "tax.zip/4410021\x02\x02\x00");

bool Shoot(QWidget& window, const QString& folder, const char* name) {
  for (int i = 0; i < 20; ++i) QTest::qWait(10);
  QPixmap picture = window.screen()->grabWindow(window.winId());
  QString path = folder + "/" + QString::fromLatin1(name) + ".png";
  if (picture.save(path)) return true;
  std::fprintf(stderr, "quorvalen_screenshots: cannot write %s\n", qPrintable(path));
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: quorvalen_screenshots FOLDER\n", stderr);
    return 2;
  }
  QApplication application(argc, argv);
  const QString folder = QString::fromLocal8Bit(argv[1]);
  qvl::test::TempDir catalogues;
  const std::string photos = catalogues / "photos.qvl";
  qvl::test::WriteFile(photos, kPhotos);
  qvl::test::WindowHarness harness("LastOutPut=/home/me/catalogues/photos.qvl\nLastDrive=T\nMethod=3\n[History]\nItem1=" +
                                   photos + "\n");
  auto& window = harness.Window();
  window.show();
  auto& tabs = harness.Find<QTabWidget>("tabs");
  bool ok = true;
  const char* names[] = {"save", "browse-tab", "search-tab", "about"};
  for (int tab = 0; tab < 4; ++tab) {
    tabs.setCurrentIndex(tab);
    ok = Shoot(window, folder, names[tab]) && ok;
  }

  tabs.setCurrentIndex(1);
  auto& box = harness.Find<QLineEdit>("catalogueFileEdit");
  box.setText(QString::fromStdString(photos));
  QTest::keyClick(&box, Qt::Key_Return);
  ok = harness.WaitUntilIdle() && ok;
  ok = Shoot(window, folder, "browse-report") && ok;
  harness.StyleButton("navigationBar", "listAction").click();
  ok = Shoot(window, folder, "browse-list") && ok;
  harness.StyleButton("navigationBar", "smallIconsAction").click();
  ok = Shoot(window, folder, "browse-small-icons") && ok;
  harness.StyleButton("navigationBar", "reportAction").click();

  harness.Find<QToolButton>("searchModeButton").click();
  auto& find = harness.Find<QComboBox>("quickFindCombo");
  find.setEditText(QStringLiteral("t"));
  QTest::keyClick(find.lineEdit(), Qt::Key_Return);
  ok = harness.WaitUntilIdle() && ok;
  ok = Shoot(window, folder, "search-mode") && ok;
  harness.Find<QToolButton>("endSearchButton").click();

  tabs.setCurrentIndex(2);
  harness.Find<QLineEdit>("searchTextEdit").setText(QStringLiteral("pdf"));
  harness.Find<QPushButton>("startSearchButton").click();
  ok = harness.WaitUntilIdle() && ok;
  ok = Shoot(window, folder, "search-results") && ok;
  return ok ? 0 : 1;
}
