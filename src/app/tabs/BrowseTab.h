#pragma once

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QToolButton>
#include <QWidget>
#include <string>

namespace qvl::app {

// The Browse tab: the catalogue to open, typed (Enter opens it) or chosen, and the
// bar of its load.
class BrowseTab : public QWidget {
  Q_OBJECT
 public:
  BrowseTab();
  QLineEdit& CatalogueFileEdit() { return catalogueFileEdit_; }
  QToolButton& CatalogueBrowseButton() { return catalogueBrowseButton_; }
  void ShowLoadProgress(int percent, bool visible);

 signals:
  void OpenRequested(const std::string& name);

 private:
  void BrowseForCatalogue();

  QGridLayout layout_{this};
  QLabel loadLabel_{QStringLiteral("Load from file:")};
  QLineEdit catalogueFileEdit_;
  QToolButton catalogueBrowseButton_;
  QProgressBar loadProgress_;
};

}  // namespace qvl::app
