#include "app/tabs/QuickFindBar.h"

#include <QLineEdit>
#include <QStyle>

#include "app/tabs/BrowseBars.h"

namespace qvl::app {

QuickFindBar::QuickFindBar(const std::array<QAction*, 3>& styleActions) {
  setObjectName(QStringLiteral("quickFindBar"));
  setIconSize(QSize(16, 16));
  for (QAction* action : styleActions) addAction(action);
  addSeparator();
  QFont bold = findLabel_.font();
  bold.setBold(true);
  findLabel_.setFont(bold);
  addWidget(&findLabel_);
  // Typed text is searched as typed; the texts searched before stay in the list.
  SetUpTypedBox(searchCombo_, "quickFindCombo", 20);
  searchCombo_.setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  addWidget(&searchCombo_);
  startButton_.setObjectName(QStringLiteral("startFindButton"));
  startButton_.setToolTip(QStringLiteral("Start search"));
  startButton_.setIcon(ThemeIcon({"media-playback-start"}, QStyle::SP_MediaPlay, *this));
  endButton_.setObjectName(QStringLiteral("endSearchButton"));
  endButton_.setToolTip(QStringLiteral("End search mode"));
  endButton_.setIcon(ThemeIcon({"window-close"}, QStyle::SP_DialogCloseButton, *this));
  addWidget(&startButton_);
  addWidget(&endButton_);

  connect(&startButton_, &QToolButton::clicked, this, &QuickFindBar::StartRequested);
  connect(searchCombo_.lineEdit(), &QLineEdit::returnPressed, this, &QuickFindBar::StartRequested);
  connect(&endButton_, &QToolButton::clicked, this, &QuickFindBar::EndRequested);
}

void QuickFindBar::RememberText(const QString& text) {
  if (searchCombo_.findText(text, Qt::MatchFixedString) >= 0) return;
  const QString shown = searchCombo_.currentText();
  searchCombo_.insertItem(0, text);
  searchCombo_.setCurrentText(shown);
}

}  // namespace qvl::app
