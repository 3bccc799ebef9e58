#pragma once

#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QToolBar>
#include <QToolButton>
#include <array>
#include <string>

namespace qvl::app {

// The search tool bar of the Browse view's search mode: the three view-style
// buttons, " Find:  ", the search box with the texts searched in this run of the
// program, and the buttons that start a search and end search mode.
class QuickFindBar : public QToolBar {
  Q_OBJECT
 public:
  QuickFindBar();
  // The style buttons of this bar: 1 small icons, 2 list, 3 report.
  QButtonGroup& StyleGroup() { return styleGroup_; }
  QString SearchText() const { return searchCombo_.currentText(); }
  // A text searched goes to the top of the box's list, once whatever its letter case.
  void RememberText(const QString& text);
  void SetRunning(bool running);

 signals:
  void StartRequested();
  void EndRequested();

 private:
  QButtonGroup styleGroup_;
  std::array<QToolButton, 3> styleButtons_;
  QLabel findLabel_{QStringLiteral(" Find:  ")};
  QComboBox searchCombo_;
  QToolButton startButton_;
  QToolButton endButton_;
  bool running_ = false;
};

}  // namespace qvl::app
