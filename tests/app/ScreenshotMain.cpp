// Pictures of the window for a person to look at: run under a real X server
// (make screenshots runs it under Xvfb). Writes one PNG per tab into the folder
// given, from a window on a drive and history of its own.
#include <QApplication>
#include <QScreen>
#include <QTabWidget>
#include <QThread>
#include <QTimer>
#include <cstdio>

#include "app/WindowHarness.h"

namespace {

void Settle() {
  for (int i = 0; i < 20; ++i) {
    QApplication::processEvents();
    QThread::msleep(10);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: quorvalen_screenshots FOLDER\n", stderr);
    return 2;
  }
  QApplication application(argc, argv);
  const QString folder = QString::fromLocal8Bit(argv[1]);
  qvl::test::WindowHarness harness(
      "LastOutPut=/home/me/catalogues/photos.qvl\nLastDrive=T\nMethod=3\n[History]\n"
      "Item1=/home/me/catalogues/photos.qvl\nItem2=/home/me/catalogues/backup-2026.qvl\n");
  auto& window = harness.Window();
  window.show();
  auto& tabs = harness.Find<QTabWidget>("tabs");
  const char* names[] = {"save", "browse", "search", "about"};
  for (int tab = 0; tab < 4; ++tab) {
    tabs.setCurrentIndex(tab);
    Settle();
    QPixmap picture = window.screen()->grabWindow(window.winId());
    QString path = folder + "/" + QString::fromLatin1(names[tab]) + ".png";
    if (!picture.save(path)) {
      std::fprintf(stderr, "quorvalen_screenshots: cannot write %s\n", qPrintable(path));
      return 1;
    }
  }
  return 0;
}
