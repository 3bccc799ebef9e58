#include "app/WindowHarness.h"

#include "app/tabs/OneLineLabel.h"

#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QToolBar>
#include <QTest>

namespace qvl::test {

WindowHarness::WindowHarness(const std::string& settings, bool withReadme) {
  folder_.MakeFolder("drive/Docs");
  folder_.MakeFile("drive/readme.txt", "hello");
  folder_.MakeFile("drive/Docs/a.txt", "0123456789ab");
  WriteFile(folder_ / "Quorvalen.ini",
            "[Main]\nReggedFileTypes=1\n" + settings + "\n[Drives]\nT=" + DriveFolder() + "\n");
  if (withReadme) folder_.MakeFile("Readme.txt", "How to use Quorvalen\n");
  app::WindowEnvironment environment;
  environment.settingsPath = folder_ / "Quorvalen.ini";
  environment.desktop.dataHome = folder_ / "share";
  environment.readmePath = folder_ / "Readme.txt";
  window_ = std::make_unique<app::MainWindow>(std::move(environment));
}

QStringList WindowHarness::ListTexts(int column) {
  QAbstractItemModel* model = Find<QTableView>("reportView").model();
  QStringList texts;
  for (int row = 0; row < model->rowCount(); ++row) texts << model->index(row, column).data().toString();
  return texts;
}

QString WindowHarness::PanelText(const char* name) { return Find<app::OneLineLabel>(name).FullText(); }

QToolButton& WindowHarness::StyleButton(const char* bar, const char* action) {
  auto* button = qobject_cast<QToolButton*>(Find<QToolBar>(bar).widgetForAction(&Find<QAction>(action)));
  if (button == nullptr) throw std::runtime_error(std::string("no button for ") + action + " on " + bar);
  return *button;
}

void WindowHarness::OpenCatalogue(const std::string& name) {
  auto& box = Find<QLineEdit>("catalogueFileEdit");
  box.setText(QString::fromStdString(name));
  PressKey(box, Qt::Key_Return);
  QVERIFY(WaitUntilIdle());
}

bool WindowHarness::WaitUntilIdle(int timeoutMs) {
  return QTest::qWaitFor(
      [this] { return window_->State().activity == app::Activity::Idle && !window_->State().listing; }, timeoutMs);
}

std::string WindowHarness::SettingsText() const { return ReadFile(folder_ / "Quorvalen.ini"); }

void WhenDialogOpens(std::function<void(QWidget& dialog)> answer) {
  QTimer::singleShot(10, qApp, [answer = std::move(answer)]() mutable {
    QWidget* dialog = QApplication::activeModalWidget();
    if (dialog == nullptr || !dialog->isVisible()) {
      WhenDialogOpens(std::move(answer));
      return;
    }
    answer(*dialog);
  });
}

void PressKey(QWidget& widget, int key, Qt::KeyboardModifiers modifiers) {
  QTest::keyClick(&widget, static_cast<Qt::Key>(key), modifiers);
}

}  // namespace qvl::test
