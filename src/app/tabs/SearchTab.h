#pragma once

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>
#include <functional>
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
  // The file choice's list: the history's catalogues, newest first, then "All Files".
  void ShowFileItems(const std::vector<std::string>& items);
  // A catalogue that has joined the history goes to the top of the list.
  void AddFileItem(const std::string& name);
  QPushButton& StartButton() { return startSearchButton_; }

 signals:
  // A search begins: the window grows to show the list.
  void SearchStarted();

 private:
  void StartSearch();

  Shared shared_;
  Worker worker_;
  WorkProgress progress_;
  QGridLayout layout_{this};
  QLabel searchTextLabel_{QStringLiteral("Search for:")};
  QLineEdit searchTextEdit_;
  QLabel searchFileLabel_{QStringLiteral("in file(s):")};
  QComboBox searchFileCombo_;
  QPushButton startSearchButton_;
  OneLineLabel fileProgressLabel_;
  QProgressBar fileProgress_;
  OneLineLabel totalProgressLabel_;
  QProgressBar totalProgress_;
};

}  // namespace qvl::app
