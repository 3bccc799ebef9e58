#include "app/tabs/SearchTab.h"

#include <QStyle>

#include "app/QtText.h"
#include "settings/Settings.h"

namespace qvl::app {

SearchTab::SearchTab() {
  searchTextEdit_.setObjectName(QStringLiteral("searchTextEdit"));
  searchFileCombo_.setObjectName(QStringLiteral("searchFileCombo"));
  startSearchButton_.setObjectName(QStringLiteral("startSearchButton"));
  searchFileCombo_.setEditable(true);
  searchFileCombo_.setInsertPolicy(QComboBox::NoInsert);
  startSearchButton_.setToolTip(QStringLiteral("Start Search"));
  startSearchButton_.setIcon(QIcon::fromTheme(QStringLiteral("edit-find"),
                                              style()->standardIcon(QStyle::SP_FileDialogContentsView)));
  // Searching comes with the search view.
  startSearchButton_.setEnabled(false);
  for (QProgressBar* bar : {&fileProgress_, &totalProgress_}) {
    bar->setRange(0, 100);
    bar->setValue(0);
  }
  layout_.addWidget(&searchTextLabel_, 0, 0);
  layout_.addWidget(&searchTextEdit_, 0, 1);
  layout_.addWidget(&searchFileLabel_, 1, 0);
  layout_.addWidget(&searchFileCombo_, 1, 1);
  layout_.addWidget(&startSearchButton_, 0, 2, 2, 1);
  layout_.setRowStretch(2, 1);
  layout_.addWidget(&fileProgressLabel_, 3, 0, 1, 3);
  layout_.addWidget(&fileProgress_, 4, 0, 1, 3);
  layout_.addWidget(&totalProgressLabel_, 5, 0, 1, 3);
  layout_.addWidget(&totalProgress_, 6, 0, 1, 3);
  layout_.setVerticalSpacing(2);
}

void SearchTab::ShowFileItems(const std::vector<std::string>& items) {
  searchFileCombo_.clear();
  for (const std::string& item : items) searchFileCombo_.addItem(FromCore(item));
  searchFileCombo_.setCurrentText(FromCore(kAllFiles));
}

void SearchTab::AddFileItem(const std::string& name) {
  QString text = searchFileCombo_.currentText();
  searchFileCombo_.insertItem(0, FromCore(name));
  searchFileCombo_.setCurrentText(text);
}

}  // namespace qvl::app
