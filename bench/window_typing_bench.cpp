// Types texts into the Search tab of the window (driven offscreen) over indexed
// catalogues (the history list) and reports, for each text, how long after the
// typing pause its first rows were in the list and its closing texts were shown,
// and the longest time the event loop went without running a timer that should
// fire every 5 ms. Index the catalogues first (qvl index FILE...).
// Targets: rows within 100 ms of the pause; no stall over 50 ms.
//
//   window_typing_bench TEXT[,TEXT...] CATALOGUE...
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/MainWindow.h"
#include "app/model/ListModel.h"
#include "app/tabs/SearchTab.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: window_typing_bench TEXT[,TEXT...] CATALOGUE...\n", stderr);
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const std::string settings = (std::filesystem::temp_directory_path() / "window_typing_bench.ini").string();
  {
    std::ofstream out(settings);
    out << "[Main]\nReggedFileTypes=1\n[History]\n";
    for (int i = 2; i < argc; ++i) out << "Item" << (i - 1) << "=" << argv[i] << "\n";
  }
  qvl::app::WindowEnvironment environment;
  environment.settingsPath = settings;
  qvl::app::MainWindow window(environment);
  window.show();
  auto* tab = window.findChild<qvl::app::SearchTab*>("searchTab");
  auto* edit = window.findChild<QLineEdit*>("searchTextEdit");
  auto* model = static_cast<qvl::app::ListModel*>(window.findChild<QTableView*>("reportView")->model());
  if (!QTest::qWaitFor([&] { return tab->SearchesAsTyped(); }, 60000)) {
    std::fputs("window_typing_bench: not every catalogue has a fresh index (qvl index FILE...)\n", stderr);
    return 1;
  }

  QElapsedTimer sinceTick;
  qint64 longestStall = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] { longestStall = std::max(longestStall, sinceTick.restart()); });
  int worstRows = 0, worstStall = 0;
  std::stringstream texts(argv[1]);
  for (std::string text; std::getline(texts, text, ',');) {
    edit->clear();
    QTest::qWait(400);  // the list emptied, nothing running
    sinceTick.start();
    ticker.start(5);
    longestStall = 0;
    QElapsedTimer sincePause;
    QTest::keyClicks(edit, QString::fromStdString(text));
    QTest::qWait(qvl::app::SearchTab::kTypingPauseMs);
    sincePause.start();
    bool started = QTest::qWaitFor([&] { return window.State().activity != qvl::app::Activity::Idle; }, 1000);
    qint64 firstRows = -1;
    while (window.State().activity != qvl::app::Activity::Idle || !started) {
      if (firstRows < 0 && model->RowCountFast() > 0) firstRows = sincePause.elapsed();
      QTest::qWait(1);
      if (sincePause.elapsed() > 600000) break;
    }
    const qint64 done = sincePause.elapsed();
    if (firstRows < 0 && model->RowCountFast() > 0) firstRows = done;
    QTest::qWait(30);
    ticker.stop();
    std::printf("typed %-12s first rows %4lld ms after the pause, complete %5lld ms, %d rows; longest stall %lld ms\n",
                ("\"" + text + "\"").c_str(), static_cast<long long>(firstRows), static_cast<long long>(done),
                model->RowCountFast(), static_cast<long long>(longestStall));
    worstRows = std::max(worstRows, static_cast<int>(firstRows));
    worstStall = std::max(worstStall, static_cast<int>(longestStall));
  }
  std::printf("worst: first rows %d ms after the pause (target 100), stall %d ms (target 50)\n", worstRows,
              worstStall);
  std::filesystem::remove(settings);
  return 0;
}
