#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "app/MainWindow.h"
#include "app/QtText.h"
#include "settings/Version.h"

namespace {

// Without a display the window cannot open: say so plainly rather than let the
// toolkit abort with its own words.
bool DisplayAvailable() {
  for (const char* variable : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  // Answered before the display is looked for, so that it works anywhere.
  if (argc == 2 && std::string_view(argv[1]) == "--version") {
    std::fputs(qvl::VersionLine("quorvalen").c_str(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 2;
  }
  if (!DisplayAvailable()) {
    std::fputs("quorvalen: no display to open the window on; qvl does the same work from a terminal\n", stderr);
    return 2;
  }
  QApplication application(argc, argv);
  application.setApplicationName(QStringLiteral("Quorvalen"));
  application.setApplicationDisplayName(qvl::app::FromCore(qvl::kVersionText));
  application.setWindowIcon(QIcon(QStringLiteral(":/quorvalen.svg")));
  QStringList arguments = QApplication::arguments();
  arguments.removeFirst();
  qvl::app::MainWindow window(qvl::app::SystemEnvironment(arguments));
  window.show();
  return QApplication::exec();
}
