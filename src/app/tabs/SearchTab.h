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

#include "app/BackgroundTask.h"
#include "app/RowStream.h"
#include "app/model/ListModel.h"
#include "search/SearchCatalogues.h"

namespace qvl::app {

// The search's reports as signals, queued to the window's thread.
class SearchSignals : public QObject, public SearchProgress {
  Q_OBJECT
 public:
  void Status(std::string_view text) override;
  void Percent(int percent) override;
  void TotalPercent(int percent) override;
  void FileLabel(std::string_view text) override;
  void TotalLabel(std::string_view text) override;

 signals:
  void StatusChanged(const QString& text);
  void PercentChanged(int percent);
  void TotalPercentChanged(int percent);
  void FileLabelChanged(const QString& text);
  void TotalLabelChanged(const QString& text);
};

// The Search tab: a text, and the catalogue file to search or "All Files" (every
// catalogue of the history list, in its order), with a bar for the file being
// searched and one for all files. Hits stream into the list below as they are found.
class SearchTab : public QWidget {
  Q_OBJECT
 public:
  struct Shared {
    ListModel& model;
    RowFeeder& feeder;
    std::function<std::vector<std::string>()> history;  // the history list, in its order
    std::function<bool()> listBusy;                     // another search fills the list
    std::function<void(const QString& status, const QString& result)> showStatus;
  };
  explicit SearchTab(Shared shared);
  // The file choice's list: the history's catalogues, newest first, then "All Files".
  void ShowFileItems(const std::vector<std::string>& items);
  // A catalogue that has joined the history goes to the top of the list.
  void AddFileItem(const std::string& name);
  bool Searching() const { return task_.Running() || finishing_; }

 signals:
  // A search begins (the window grows to show the list) or ends.
  void SearchStarted();
  void SearchEnded();

 private:
  void StartSearch();

  Shared shared_;
  bool finishing_ = false;  // the search has ended; its last rows are going in
  BackgroundTask task_;
  SearchSignals progress_;
  QGridLayout layout_{this};
  QLabel searchTextLabel_{QStringLiteral("Search for:")};
  QLineEdit searchTextEdit_;
  QLabel searchFileLabel_{QStringLiteral("in file(s):")};
  QComboBox searchFileCombo_;
  QPushButton startSearchButton_;
  QLabel fileProgressLabel_;
  QProgressBar fileProgress_;
  QLabel totalProgressLabel_;
  QProgressBar totalProgress_;
};

}  // namespace qvl::app
