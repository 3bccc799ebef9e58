#pragma once

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/WindowState.h"
#include "app/tabs/OneLineLabel.h"
#include "app/work/RowFeed.h"
#include "app/work/WorkProgress.h"
#include "app/work/Worker.h"
#include "search/SearchCatalogues.h"

namespace qvl::app {

// The Search tab: a text, and the catalogue file to search or "All Files" (every
// catalogue of the history list, in its order), with a bar for the file being
// searched and one for all files. Hits stream into the list below as they are found.
// When every catalogue to be searched has a fresh search index, results follow the
// text as it is typed: a pause starts the search, a new pause gives the last one up.
class SearchTab : public QWidget {
  Q_OBJECT
 public:
  struct Shared {
    ListModel& model;
    RowFeed& feed;
    StateKeeper& state;
    std::function<std::vector<std::string>()> history;  // the history list, in its order
    std::function<void(const QString& status, const QString& result)> showStatus;
  };
  explicit SearchTab(Shared shared);
  ~SearchTab() override;
  // The file choice's list: the history's catalogues, newest first, then "All Files".
  void ShowFileItems(const std::vector<std::string>& items);
  // A catalogue that has joined the history goes to the top of the list.
  void AddFileItem(const std::string& name);
  QPushButton& StartButton() { return startSearchButton_; }
  // Whether typing searches: every catalogue the file choice names has a fresh
  // index. Learnt off the window's thread whenever the choice or the history
  // changes and after each search.
  bool SearchesAsTyped() const { return searchesAsTyped_; }
  static constexpr int kTypingPauseMs = 150;

 signals:
  // A search begins: the window grows to show the list.
  void SearchStarted();

 private:
  void StartSearch();
  void SearchAsTyped();
  void RunSearch();
  std::vector<std::string> FilesChosen(bool& allFiles) const;
  // Off the window's thread: indexes for the catalogues searched that had none
  // (`build`), then whether typing may search.
  void LookAtIndexes(bool build);

  Shared shared_;
  Worker worker_;
  std::shared_ptr<std::atomic<bool>> givenUp_;  // set to give the running search up
  bool searchAgain_ = false;                     // the text changed while it ran
  bool searchesAsTyped_ = false;
  Worker indexWorker_;
  std::shared_ptr<std::atomic<bool>> stopIndexing_ = std::make_shared<std::atomic<bool>>(false);
  bool lookAgain_ = false, buildAgain_ = false;
  QTimer typingPause_;
  WorkProgress progress_;
  QGridLayout layout_{this};
  QLabel searchTextLabel_{tr("Search for:")};
  QLineEdit searchTextEdit_;
  QLabel searchFileLabel_{tr("in file(s):")};
  QComboBox searchFileCombo_;
  QPushButton startSearchButton_;
  OneLineLabel fileProgressLabel_;
  QProgressBar fileProgress_;
  OneLineLabel totalProgressLabel_;
  QProgressBar totalProgress_;
};

}  // namespace qvl::app
