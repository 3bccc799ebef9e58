#include "app/tabs/SearchTab.h"

#include <QStyle>
#include <memory>

#include "app/ErrorReport.h"
#include "app/QtText.h"
#include "app/tabs/BrowseBars.h"
#include "settings/Settings.h"

namespace qvl::app {

SearchTab::SearchTab(Shared shared) : shared_(std::move(shared)) {
  setObjectName(QStringLiteral("searchTab"));
  searchTextEdit_.setObjectName(QStringLiteral("searchTextEdit"));
  startSearchButton_.setObjectName(QStringLiteral("startSearchButton"));
  fileProgressLabel_.setObjectName(QStringLiteral("fileProgressLabel"));
  totalProgressLabel_.setObjectName(QStringLiteral("totalProgressLabel"));
  fileProgress_.setObjectName(QStringLiteral("fileProgress"));
  totalProgress_.setObjectName(QStringLiteral("totalProgress"));
  // A long catalogue name in the history must not widen the window.
  SetUpTypedBox(searchFileCombo_, "searchFileCombo", 20);
  startSearchButton_.setToolTip(QStringLiteral("Start Search"));
  startSearchButton_.setIcon(ThemeIcon({"edit-find"}, QStyle::SP_FileDialogStart, *this));
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

  connect(&startSearchButton_, &QPushButton::clicked, this, &SearchTab::StartSearch);
  connect(&searchTextEdit_, &QLineEdit::returnPressed, this, &SearchTab::StartSearch);
  connect(&progress_, &WorkProgress::PercentChanged, &fileProgress_, &QProgressBar::setValue);
  connect(&progress_, &WorkProgress::TotalPercentChanged, &totalProgress_, &QProgressBar::setValue);
  connect(&progress_, &WorkProgress::FileLabelChanged, &fileProgressLabel_, &OneLineLabel::SetText);
  connect(&progress_, &WorkProgress::TotalLabelChanged, &totalProgressLabel_, &OneLineLabel::SetText);
  connect(&progress_, &WorkProgress::StatusChanged, this,
          [this](const QString& text) { shared_.showStatus(text, QString()); });
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

void SearchTab::StartSearch() {
  // A second start while anything fills the list is ignored.
  if (!shared_.state.Controls().startSearch) return;
  const std::string text = ToCore(searchTextEdit_.text());
  const std::string choice = ToCore(searchFileCombo_.currentText());
  const bool allFiles = choice == kAllFiles;
  std::vector<std::string> files = allFiles ? shared_.history() : std::vector<std::string>{choice};
  totalProgressLabel_.SetText(QStringLiteral("Total progress"));
  totalProgress_.setValue(0);
  shared_.model.ClearListView();
  emit SearchStarted();
  if (allFiles && files.empty()) {
    ShowError(this, FromCore(kNoFilesToSearch));
    return;
  }
  if (!shared_.state.Begin(Activity::Searching)) return;
  progress_.Reset();
  auto outcome = std::make_shared<SearchOutcome>();
  RowFeed& feed = shared_.feed;
  worker_.Start(
      [&feed, text, files = std::move(files), allFiles, outcome, this] {
        RowFeed::Writer rows(feed);
        *outcome = allFiles ? SearchCatalogues(text, files, rows, progress_)
                            : SearchNamedCatalogue(text, files.front(), rows, progress_);
      },
      [this, outcome](const QString& error) {
        // The closing texts once the last rows are in.
        shared_.feed.WhenIdle([this, outcome, error] {
          shared_.state.End(Activity::Searching);
          if (!error.isEmpty()) {
            ShowError(this, error);
          } else {
            shared_.showStatus(FromCore(kSearchComplete), FromCore(SearchResultText(*outcome)));
          }
        });
      });
}

}  // namespace qvl::app
