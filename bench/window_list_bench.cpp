// Drives the window offscreen: lists a folder as drive T: into a catalogue from the
// Save tab, and measures how long that takes and the longest time the window's
// event loop went without running a timer that should fire every 10 ms.
//
//   window_list_bench TREE_DIR OUTPUT_FILE
// prints: "<milliseconds> <longest stall in milliseconds>"
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <fstream>
#include <filesystem>

#include "app/MainWindow.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: window_list_bench TREE_DIR OUTPUT_FILE\n", stderr);
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const std::string output = argv[2];
  const std::string settings = output + ".ini";
  std::filesystem::remove(output);
  std::ofstream(settings) << "[Main]\nReggedFileTypes=1\nLastDrive=T\nMethod=3\nSkipComment=1\nLastOutPut=" << output
                          << "\n[Drives]\nT=" << argv[1] << "\n";
  qvl::app::WindowEnvironment environment;
  environment.settingsPath = settings;
  qvl::app::MainWindow window(environment);
  window.show();
  auto* button = window.findChild<QPushButton*>(QStringLiteral("createListButton"));

  QElapsedTimer clock, sinceTick;
  qint64 longestStall = 0;
  QTimer ticker;
  ticker.setInterval(10);
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    longestStall = std::max(longestStall, sinceTick.restart());
    if (clock.isValid() && button->isEnabled()) application.quit();
  });
  QTimer::singleShot(0, [&] {
    clock.start();
    sinceTick.start();
    ticker.start();
    button->click();
  });
  application.exec();
  std::printf("%lld %lld\n", static_cast<long long>(clock.elapsed()), static_cast<long long>(longestStall));
  std::filesystem::remove(settings);
  return std::filesystem::exists(output) ? 0 : 1;
}
