#include "app/tabs/SearchTab.h"

#include <QStyle>
#include <memory>

#include "app/ErrorReport.h"
#include "app/QtText.h"
#include "app/RowStream.h"
#include "settings/Settings.h"

namespace qvl::app {

void SearchSignals::Status(std::string_view text) { emit StatusChanged(FromCore(text)); }
void SearchSignals::Percent(int percent) { emit PercentChanged(percent); }
void SearchSignals::TotalPercent(int percent) { emit TotalPercentChanged(percent); }
void SearchSignals::FileLabel(std::string_view text) { emit FileLabelChanged(FromCore(text)); }
void SearchSignals::TotalLabel(std::string_view text) { emit TotalLabelChanged(FromCore(text)); }

SearchTab::SearchTab(Shared shared) : shared_(std::move(shared)) {
  setObjectName(QStringLiteral("searchTab"));
  searchTextEdit_.setObjectName(QStringLiteral("searchTextEdit"));
  searchFileCombo_.setObjectName(QStringLiteral("searchFileCombo"));
  startSearchButton_.setObjectName(QStringLiteral("startSearchButton"));
  fileProgressLabel_.setObjectName(QStringLiteral("fileProgressLabel"));
  totalProgressLabel_.setObjectName(QStringLiteral("totalProgressLabel"));
  fileProgress_.setObjectName(QStringLiteral("fileProgress"));
  totalProgress_.setObjectName(QStringLiteral("totalProgress"));
  searchFileCombo_.setEditable(true);
  searchFileCombo_.setInsertPolicy(QComboBox::NoInsert);
  startSearchButton_.setToolTip(QStringLiteral("Start Search"));
  startSearchButton_.setIcon(QIcon::fromTheme(QStringLiteral("edit-find"),
                                              style()->standardIcon(QStyle::SP_FileDialogContentsView)));
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
  connect(&progress_, &SearchSignals::PercentChanged, &fileProgress_, &QProgressBar::setValue);
  connect(&progress_, &SearchSignals::TotalPercentChanged, &totalProgress_, &QProgressBar::setValue);
  connect(&progress_, &SearchSignals::FileLabelChanged, &fileProgressLabel_, &QLabel::setText);
  connect(&progress_, &SearchSignals::TotalLabelChanged, &totalProgressLabel_, &QLabel::setText);
  connect(&progress_, &SearchSignals::StatusChanged, this,
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
  // A second start while a search runs (or the quick find fills the list) is ignored.
  if (task_.Running() || shared_.listBusy()) return;
  totalProgressLabel_.setText(QStringLiteral("Total progress"));
  totalProgress_.setValue(0);
  shared_.model.ClearListView();
  emit SearchStarted();
  const std::string text = ToCore(searchTextEdit_.text());
  const std::string choice = ToCore(searchFileCombo_.currentText());
  const bool allFiles = choice == kAllFiles;
  std::vector<std::string> files = allFiles ? shared_.history() : std::vector<std::string>{choice};
  if (allFiles && files.empty()) {
    ShowError(this, FromCore(kNoFilesToSearch));
    emit SearchEnded();
    return;
  }
  auto outcome = std::make_shared<SearchOutcome>();
  RowFeeder& feeder = shared_.feeder;
  task_.Start([&feeder, text, files = std::move(files), allFiles, outcome, this] {
    RowStream rows(feeder);
    *outcome = allFiles ? SearchCatalogues(text, files, rows, progress_)
                        : SearchNamedCatalogue(text, files.front(), rows, progress_);
    rows.Flush();
  });
  connect(
      &task_, &BackgroundTask::Finished, this,
      [this, outcome](const QString& error) {
        // The closing texts once the last rows are in.
        finishing_ = true;
        shared_.feeder.WhenIdle([this, outcome, error] {
          finishing_ = false;
          if (!error.isEmpty()) {
            ShowError(this, error);
          } else {
            shared_.showStatus(FromCore(kSearchComplete), FromCore(SearchResultText(*outcome)));
          }
          emit SearchEnded();
        });
      },
      Qt::SingleShotConnection);
}

}  // namespace qvl::app
