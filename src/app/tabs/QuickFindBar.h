#pragma once

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QToolBar>
#include <QToolButton>
#include <array>

namespace qvl::app {

// The search tool bar of the Browse view's search mode: the three view styles,
// " Find:  ", the search box with the texts searched in this run of the program,
// and the buttons that start a search and end search mode.
class QuickFindBar : public QToolBar {
  Q_OBJECT
 public:
  explicit QuickFindBar(const std::array<QAction*, 3>& styleActions);
  QComboBox& SearchBox() { return searchCombo_; }
  QToolButton& StartButton() { return startButton_; }
  QToolButton& EndButton() { return endButton_; }
  // The text as typed.
  QString SearchText() const { return searchCombo_.currentText(); }
  // A text searched goes to the top of the box's list, once whatever its letter case.
  void RememberText(const QString& text);

 signals:
  void StartRequested();
  void EndRequested();

 private:
  QLabel findLabel_{QStringLiteral(" Find:  ")};
  QComboBox searchCombo_;
  QToolButton startButton_;
  QToolButton endButton_;
};

}  // namespace qvl::app
