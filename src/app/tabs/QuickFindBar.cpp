#include "app/tabs/QuickFindBar.h"

#include <QLineEdit>
#include <QStyle>

#include "app/tabs/StyleButtons.h"

namespace qvl::app {

QuickFindBar::QuickFindBar() {
  setObjectName(QStringLiteral("quickFindBar"));
  setIconSize(QSize(16, 16));
  AddStyleButtons(*this, styleButtons_, styleGroup_, QStringLiteral("2"));
  addSeparator();
  QFont bold = findLabel_.font();
  bold.setBold(true);
  findLabel_.setFont(bold);
  addWidget(&findLabel_);
  searchCombo_.setObjectName(QStringLiteral("quickFindCombo"));
  searchCombo_.setEditable(true);
  searchCombo_.setInsertPolicy(QComboBox::NoInsert);
  searchCombo_.setMinimumContentsLength(20);
  searchCombo_.setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  addWidget(&searchCombo_);
  startButton_.setObjectName(QStringLiteral("startFindButton"));
  startButton_.setToolTip(QStringLiteral("Start search"));
  startButton_.setIcon(QIcon::fromTheme(QStringLiteral("edit-find"), style()->standardIcon(QStyle::SP_MediaPlay)));
  endButton_.setObjectName(QStringLiteral("endSearchButton"));
  endButton_.setToolTip(QStringLiteral("End search mode"));
  endButton_.setIcon(QIcon::fromTheme(QStringLiteral("window-close"),
                                      style()->standardIcon(QStyle::SP_DialogCloseButton)));
  addWidget(&startButton_);
  addWidget(&endButton_);

  connect(&startButton_, &QToolButton::clicked, this, &QuickFindBar::StartRequested);
  connect(searchCombo_.lineEdit(), &QLineEdit::returnPressed, this, &QuickFindBar::StartRequested);
  connect(&endButton_, &QToolButton::clicked, this, &QuickFindBar::EndRequested);
}

void QuickFindBar::RememberText(const QString& text) {
  // (The box's own completion would put the text back; the list is kept here.)
  if (searchCombo_.findText(text, Qt::MatchFixedString) >= 0) return;
  QString shown = searchCombo_.currentText();
  searchCombo_.insertItem(0, text);
  searchCombo_.setCurrentText(shown);
}

void QuickFindBar::SetRunning(bool running) {
  running_ = running;
  endButton_.setEnabled(!running);
}

}  // namespace qvl::app
