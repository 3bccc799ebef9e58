#pragma once

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>
#include <string>
#include <vector>

namespace qvl::app {

// The Search tab: a text, and the catalogue file to search or "All Files" (every
// catalogue of the history list), with a bar for the file and one for all files.
class SearchTab : public QWidget {
  Q_OBJECT
 public:
  SearchTab();
  // The file choice's list: the history's catalogues, newest first, then "All Files".
  void ShowFileItems(const std::vector<std::string>& items);
  // A catalogue that has joined the history goes to the top of the list.
  void AddFileItem(const std::string& name);

 private:
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
