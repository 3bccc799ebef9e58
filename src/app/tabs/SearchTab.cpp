#include "app/tabs/SearchTab.h"

#include <QSignalBlocker>
#include <QStyle>
#include <memory>

#include "app/ErrorReport.h"
#include "app/QtText.h"
#include "app/tabs/BrowseBars.h"
#include "search/SearchIndex.h"
#include "settings/Settings.h"

namespace qvl::app {
namespace {

// Thrown on the search's thread once the search is given up for a newer text.
struct SearchGivenUp {};

// The search's progress, which the core reports at least every tenth of a second
// and after every batch of rows: where a search given up stops.
class GivingUpProgress final : public SearchProgress {
 public:
  GivingUpProgress(SearchProgress& shown, const std::atomic<bool>& givenUp) : shown_(shown), givenUp_(givenUp) {}
  void Status(std::string_view text) override { Check(), shown_.Status(text); }
  void Percent(int percent) override { Check(), shown_.Percent(percent); }
  void TotalPercent(int percent) override { Check(), shown_.TotalPercent(percent); }
  void FileLabel(std::string_view text) override { Check(), shown_.FileLabel(text); }
  void TotalLabel(std::string_view text) override { Check(), shown_.TotalLabel(text); }

 private:
  void Check() const {
    if (givenUp_.load(std::memory_order_relaxed)) throw SearchGivenUp{};
  }
  SearchProgress& shown_;
  const std::atomic<bool>& givenUp_;
};

}  // namespace

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
  startSearchButton_.setToolTip(tr("Start Search"));
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

  typingPause_.setSingleShot(true);
  typingPause_.setInterval(kTypingPauseMs);
  connect(&typingPause_, &QTimer::timeout, this, &SearchTab::SearchAsTyped);
  connect(&searchTextEdit_, &QLineEdit::textEdited, this, [this] {
    if (searchesAsTyped_) typingPause_.start();
  });
  connect(&searchFileCombo_, &QComboBox::currentTextChanged, this, [this] { LookAtIndexes(false); });
  connect(&startSearchButton_, &QPushButton::clicked, this, &SearchTab::StartSearch);
  connect(&searchTextEdit_, &QLineEdit::returnPressed, this, &SearchTab::StartSearch);
  connect(&progress_, &WorkProgress::PercentChanged, &fileProgress_, &QProgressBar::setValue);
  connect(&progress_, &WorkProgress::TotalPercentChanged, &totalProgress_, &QProgressBar::setValue);
  connect(&progress_, &WorkProgress::FileLabelChanged, &fileProgressLabel_, &OneLineLabel::SetText);
  connect(&progress_, &WorkProgress::TotalLabelChanged, &totalProgressLabel_, &OneLineLabel::SetText);
  connect(&progress_, &WorkProgress::StatusChanged, this,
          [this](const QString& text) { shared_.showStatus(text, QString()); });
}

SearchTab::~SearchTab() {
  // Neither a search nor the indexing after one holds the window's end up.
  stopIndexing_->store(true);
  if (givenUp_) givenUp_->store(true);
}

void SearchTab::ShowFileItems(const std::vector<std::string>& items) {
  {
    // Filling the list changes its text many times: the indexes are looked at once.
    const QSignalBlocker quiet(searchFileCombo_);
    searchFileCombo_.clear();
    for (const std::string& item : items) searchFileCombo_.addItem(FromCore(item));
    searchFileCombo_.setCurrentText(FromCore(kAllFiles));
  }
  LookAtIndexes(false);
}

void SearchTab::AddFileItem(const std::string& name) {
  {
    const QSignalBlocker quiet(searchFileCombo_);
    QString text = searchFileCombo_.currentText();
    searchFileCombo_.insertItem(0, FromCore(name));
    searchFileCombo_.setCurrentText(text);
  }
  LookAtIndexes(false);
}

std::vector<std::string> SearchTab::FilesChosen(bool& allFiles) const {
  const std::string choice = ToCore(searchFileCombo_.currentText());
  allFiles = choice == kAllFiles;
  return allFiles ? shared_.history() : std::vector<std::string>{choice};
}

void SearchTab::StartSearch() {
  typingPause_.stop();
  // A second start while anything fills the list is ignored.
  if (!shared_.state.Controls().startSearch) return;
  RunSearch();
}

void SearchTab::SearchAsTyped() {
  if (!searchesAsTyped_ || searchTextEdit_.text().isEmpty()) return;
  if (givenUp_) {
    // The search of the text before is given up; this one starts once it has stopped.
    givenUp_->store(true);
    searchAgain_ = true;
    return;
  }
  if (shared_.state.Controls().startSearch) RunSearch();
}

void SearchTab::RunSearch() {
  const std::string text = ToCore(searchTextEdit_.text());
  bool allFiles = false;
  std::vector<std::string> files = FilesChosen(allFiles);
  totalProgressLabel_.SetText(tr("Total progress"));
  totalProgress_.setValue(0);
  shared_.model.ClearListView();
  emit SearchStarted();
  if (allFiles && files.empty()) {
    ShowError(this, FromCore(kNoFilesToSearch));
    return;
  }
  if (!shared_.state.Begin(Activity::Searching)) return;
  // The closing texts of the search before do not stand beside this one's rows.
  shared_.showStatus(QString(), QString());
  progress_.Reset();
  auto outcome = std::make_shared<SearchOutcome>();
  auto givenUp = std::make_shared<std::atomic<bool>>(false);
  givenUp_ = givenUp;
  RowFeed& feed = shared_.feed;
  worker_.Start(
      [&feed, text, files = std::move(files), allFiles, outcome, givenUp, this] {
        RowFeed::Writer rows(feed);
        GivingUpProgress progress(progress_, *givenUp);
        try {
          *outcome = allFiles ? SearchCatalogues(text, files, rows, progress)
                              : SearchNamedCatalogue(text, files.front(), rows, progress);
        } catch (const SearchGivenUp&) {
        }
      },
      [this, outcome, givenUp](const QString& error) {
        // The closing texts once the last rows are in.
        shared_.feed.WhenIdle([this, outcome, givenUp, error] {
          shared_.state.End(Activity::Searching);
          givenUp_.reset();
          if (std::exchange(searchAgain_, false)) {
            SearchAsTyped();
            return;
          }
          if (!error.isEmpty()) {
            ShowError(this, error);
          } else if (!givenUp->load()) {
            shared_.showStatus(FromCore(kSearchComplete), FromCore(SearchResultText(*outcome)));
          }
          LookAtIndexes(true);
        });
      });
}

void SearchTab::LookAtIndexes(bool build) {
  bool allFiles = false;
  std::vector<std::string> files = FilesChosen(allFiles);
  if (indexWorker_.Running()) {
    lookAgain_ = true;
    buildAgain_ = buildAgain_ || build;
    return;
  }
  auto fresh = std::make_shared<bool>(false);
  const std::shared_ptr<std::atomic<bool>> stop = stopIndexing_;
  indexWorker_.Start(
      [files = std::move(files), build, fresh, stop] {
        // One catalogue at a time, so that the window's end waits for one at most.
        if (build) {
          for (const std::string& file : files) {
            if (stop->load()) return;
            BuildMissingIndexes({file});
          }
        }
        *fresh = AllIndexesFresh(files);
      },
      [this, fresh](const QString&) {
        searchesAsTyped_ = *fresh;
        if (std::exchange(lookAgain_, false)) LookAtIndexes(std::exchange(buildAgain_, false));
      });
}

}  // namespace qvl::app
