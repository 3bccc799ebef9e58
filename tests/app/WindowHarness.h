#pragma once

#include <QApplication>
#include <QStringList>
#include <QTimer>
#include <QToolButton>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "app/MainWindow.h"
#include "support/TempDir.h"

namespace qvl::test {

// A window on a settings file, a drive T: and a read-me of the test's own. The
// settings file says the file type is registered, so nothing leaves the folder.
class WindowHarness {
 public:
  // `settings` is the settings file's text after the [Main] section's first line.
  explicit WindowHarness(const std::string& settings = {}, bool withReadme = true);

  app::MainWindow& Window() { return *window_; }
  const TempDir& Folder() const { return folder_; }
  std::string SettingsText() const;
  // Drive T: is this folder.
  std::string DriveFolder() const { return folder_ / "drive"; }

  // The texts of one column of the list, top to bottom.
  QStringList ListTexts(int column);
  // The whole text of a status panel of the browse area, or of a status line.
  QString PanelText(const char* name);
  // The button that a tool bar shows for a view style's action.
  QToolButton& StyleButton(const char* bar, const char* action);
  // Opens a catalogue from the Browse tab's box, as Enter there does, and waits for it.
  void OpenCatalogue(const std::string& name);
  // Waits until no work fills the list (its last rows are in then) and no listing runs.
  bool WaitUntilIdle(int timeoutMs = 30000);

  template <class Widget>
  Widget& Find(const char* name) {
    auto* found = window_->findChild<Widget*>(QString::fromLatin1(name));
    if (found == nullptr) throw std::runtime_error(std::string("no control named ") + name);
    return *found;
  }

 private:
  TempDir folder_;
  std::unique_ptr<app::MainWindow> window_;
};

// Runs `answer` on the next modal dialog or message box once it is open; the test
// goes on meanwhile. The dialog must be closed by `answer`.
void WhenDialogOpens(std::function<void(QWidget& dialog)> answer);

// Presses a key on a widget.
void PressKey(QWidget& widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

}  // namespace qvl::test
