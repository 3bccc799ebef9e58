// Pictures of the window for a person to look at: run under a real X server
// (make screenshots runs it under Xvfb). Writes PNGs of each tab, the Browse view in
// its three styles, search mode and the Search tab into the folder given.
#include <QApplication>
#include <QPalette>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <cstdio>
#include <string>

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

// A dark palette, as a dark desktop theme gives one.
QPalette DarkPalette() {
  QPalette dark;
  const QColor window(0x2d, 0x2d, 0x30), base(0x1e, 0x1e, 0x20), text(0xe8, 0xe8, 0xea);
  dark.setColor(QPalette::Window, window);
  dark.setColor(QPalette::WindowText, text);
  dark.setColor(QPalette::Base, base);
  dark.setColor(QPalette::AlternateBase, window);
  dark.setColor(QPalette::Text, text);
  dark.setColor(QPalette::Button, window);
  dark.setColor(QPalette::ButtonText, text);
  dark.setColor(QPalette::Highlight, QColor(0x35, 0x84, 0xe4));
  dark.setColor(QPalette::HighlightedText, Qt::white);
  dark.setColor(QPalette::ToolTipBase, base);
  dark.setColor(QPalette::ToolTipText, text);
  dark.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x84));
  dark.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x80, 0x84));
  dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x84));
  return dark;
}

}  // namespace

// quorvalen_screenshots FOLDER [--browse-only] [--dark] [--suffix TEXT]: every tab and
// view, or the Browse view alone, in the usual or a dark palette; names end in TEXT.
int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: quorvalen_screenshots FOLDER [--browse-only] [--dark] [--suffix TEXT]\n", stderr);
    return 2;
  }
  QApplication application(argc, argv);
  const QString folder = QString::fromLocal8Bit(argv[1]);
  bool browseOnly = false;
  std::string suffix;
  for (int i = 2; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--browse-only") browseOnly = true;
    if (option == "--dark") QApplication::setPalette(DarkPalette());
    if (option == "--suffix" && i + 1 < argc) suffix = argv[++i];
  }
  auto shoot = [&](QWidget& window, const std::string& name) {
    return Shoot(window, folder, (name + suffix).c_str());
  };
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
  for (int tab = 0; tab < 4 && !browseOnly; ++tab) {
    tabs.setCurrentIndex(tab);
    ok = shoot(window, names[tab]) && ok;
  }

  tabs.setCurrentIndex(1);
  auto& box = harness.Find<QLineEdit>("catalogueFileEdit");
  box.setText(QString::fromStdString(photos));
  QTest::keyClick(&box, Qt::Key_Return);
  ok = harness.WaitUntilIdle() && ok;
  ok = shoot(window, "browse-report") && ok;
  if (browseOnly) return ok ? 0 : 1;
  harness.StyleButton("navigationBar", "listAction").click();
  ok = shoot(window, "browse-list") && ok;
  harness.StyleButton("navigationBar", "smallIconsAction").click();
  ok = shoot(window, "browse-small-icons") && ok;
  harness.StyleButton("navigationBar", "reportAction").click();

  harness.Find<QToolButton>("searchModeButton").click();
  auto& find = harness.Find<QComboBox>("quickFindCombo");
  find.setEditText(QStringLiteral("t"));
  QTest::keyClick(find.lineEdit(), Qt::Key_Return);
  ok = harness.WaitUntilIdle() && ok;
  ok = shoot(window, "search-mode") && ok;
  harness.Find<QToolButton>("endSearchButton").click();

  tabs.setCurrentIndex(2);
  harness.Find<QLineEdit>("searchTextEdit").setText(QStringLiteral("pdf"));
  harness.Find<QPushButton>("startSearchButton").click();
  ok = harness.WaitUntilIdle() && ok;
  ok = shoot(window, "search-results") && ok;
  return ok ? 0 : 1;
}
