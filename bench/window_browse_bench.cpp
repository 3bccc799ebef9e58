// Drives the window offscreen over a big catalogue and reports, beside the core doing
// the same work without a window: opening it and showing its root, showing its
// biggest folder, a header click there, the quick find of "readme", the search of
// "readme" across the copies given (as the history list), the memory the list model
// holds after it, and the longest time the event loop went without running a timer
// that should fire every 10 ms.
//
//   window_browse_bench CATALOGUE [COPY...]
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTableView>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "app/MainWindow.h"
#include "app/tabs/BrowseView.h"
#include "app/model/ListModel.h"
#include "browse/FolderView.h"
#include "search/QuickFind.h"

namespace {

double CpuSeconds(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

template <class Work>
double Seconds(Work work) {
  auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The longest stall of each phase of the window's work, for the report.
std::string stalls;

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: window_browse_bench CATALOGUE [COPY...]\n", stderr);
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const std::string name = argv[1];

  // The core alone: load, the biggest folder's rows, the quick find.
  qvl::Collator collator;
  qvl::Catalogue core;
  qvl::Progress quiet;
  double coreLoad = Seconds([&] { core.LoadCatalogue(name, true, quiet); });
  std::string bigPath = "\\";
  std::size_t bigRows = 0;
  for (std::size_t i = 0; i < core.Folders().Count(); ++i) {
    qvl::ListRows rows;
    std::string path = core.Folders().Path(i);
    qvl::ShowFolder(core, path, rows);
    if (rows.rows.size() > bigRows) {
      bigRows = rows.rows.size();
      bigPath = path;
    }
  }
  double coreFolder = 1e9;
  for (int i = 0; i < 3; ++i) {
    qvl::ListRows rows;
    coreFolder = std::min(coreFolder, Seconds([&] { qvl::ShowFolder(core, bigPath, rows); }));
  }

  // The quick find into a sink that keeps nothing, as qvl find's printer.
  struct CountingSink final : qvl::ListRowSink {
    std::size_t rows = 0;
    void ClearListView() override {}
    void AddRow(const qvl::ListRowView&) override { ++rows; }
  } counted;
  double coreFind = 1e9;
  for (int i = 0; i < 3; ++i) {
    coreFind = std::min(coreFind, Seconds([&] { qvl::QuickFind(core, "readme", counted, quiet); }));
  }

  const std::string settings = (std::filesystem::temp_directory_path() / "window_browse_bench.ini").string();
  {
    std::ofstream out(settings);
    out << "[Main]\nReggedFileTypes=1\n[History]\n";
    for (int i = 2; i < argc; ++i) out << "Item" << (i - 1) << "=" << argv[i] << "\n";
  }
  qvl::app::WindowEnvironment environment;
  environment.settingsPath = settings;
  qvl::app::MainWindow window(environment);
  window.show();

  auto find = [&](const char* objectName) { return window.findChild<QWidget*>(QString::fromLatin1(objectName)); };

  QElapsedTimer sinceTick;
  qint64 longestStall = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] { longestStall = std::max(longestStall, sinceTick.restart()); });
  sinceTick.start();
  ticker.start(10);
  QTest::qWait(50);

  auto* box = static_cast<QLineEdit*>(find("catalogueFileEdit"));
  auto* view = window.findChild<qvl::app::BrowseView*>("browseView");
  // Work has ended, and its last rows are in the list, once the window is idle again.
  auto idle = [&] { return window.State().activity == qvl::app::Activity::Idle; };
  auto phase = [&](const char* what, auto work) {
    longestStall = 0;
    sinceTick.restart();
    double seconds = Seconds(work);
    QTest::qWait(30);
    stalls += std::string(stalls.empty() ? "" : ", ") + what + " " + std::to_string(longestStall) + " ms";
    return seconds;
  };
  double open = phase("open", [&] {
    box->setText(QString::fromStdString(name));
    QTest::keyClick(box, Qt::Key_Return);
    (void)QTest::qWaitFor(idle, 600000);
  });
  double folder = phase("big folder", [&] { view->ShowFolder(bigPath); });
  auto* report = static_cast<QTableView*>(find("reportView"));
  auto* model = static_cast<qvl::app::ListModel*>(report->model());
  auto* header = report->horizontalHeader();
  double click = phase("header click", [&] { emit header->sectionClicked(1); });
  QTest::qWait(50);

  static_cast<QToolButton*>(find("searchModeButton"))->click();
  auto* findBox = static_cast<QComboBox*>(find("quickFindCombo"));
  auto* endButton = find("endSearchButton");
  double quickFind = phase("quick find", [&] {
    findBox->setEditText(QStringLiteral("readme"));
    QTest::keyClick(findBox->lineEdit(), Qt::Key_Return);
    (void)QTest::qWaitFor(idle, 600000);
  });
  int quickRows = model->RowCountFast();
  static_cast<QToolButton*>(endButton)->click();

  double search = 0, windowCpu = 0, allCpu = 0, styles = 0;
  std::size_t memory = 0, textBytes = 0;
  int searchRows = 0;
  if (argc > 2) {
    static_cast<QLineEdit*>(find("searchTextEdit"))->setText(QStringLiteral("readme"));
    windowCpu = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
    allCpu = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    search = phase("search", [&] {
      static_cast<QPushButton*>(find("startSearchButton"))->click();
      (void)QTest::qWaitFor(idle, 600000);
    });
    windowCpu = CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - windowCpu;
    allCpu = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - allCpu;
    memory = model->MemoryBytes();
    textBytes = model->TextBytes();
    searchRows = model->RowCountFast();
    // The search's rows in the other two view styles, and back.
    styles = phase("view styles", [&] {
      for (const char* style : {"listAction", "smallIconsAction", "reportAction"}) {
        window.findChild<QAction*>(QString::fromLatin1(style))->trigger();
        QTest::qWait(0);
      }
    });
  }
  ticker.stop();
  std::printf("core: load %.3f s; folder %s (%zu rows) %.3f s\n", coreLoad, bigPath.c_str(), bigRows, coreFolder);
  std::printf("window: open+root %.3f s; big folder %.3f s (%.2fx the core); header click %.3f s\n", open, folder,
              folder / coreFolder, click);
  std::printf("window: quick find readme %.3f s (%d rows); the core alone %.3f s\n", quickFind, quickRows, coreFind);
  if (argc > 2)
    std::printf("window: search readme over %d files %.3f s (%d rows); model %zu bytes, %.1f bytes a row beyond the texts\n",
                argc - 2, search, searchRows, memory, searchRows ? double(memory - textBytes) / searchRows : 0.0);
  if (argc > 2) std::printf("window: the search's rows in each view style %.3f s\n", styles);
  if (argc > 2) std::printf("search: processor time %.3f s, of it the window's thread %.3f s\n", allCpu, windowCpu);
  std::printf("longest event-loop stalls: %s\n", stalls.c_str());
  std::filesystem::remove(settings);
  return 0;
}
