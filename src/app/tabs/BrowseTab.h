#pragma once

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QToolButton>
#include <QWidget>

namespace qvl::app {

// The Browse tab: the catalogue to open, and the bar of its load.
class BrowseTab : public QWidget {
  Q_OBJECT
 public:
  BrowseTab();
  QLineEdit& CatalogueFileEdit() { return catalogueFileEdit_; }

 private:
  QGridLayout layout_{this};
  QLabel loadLabel_{QStringLiteral("Load from file:")};
  QLineEdit catalogueFileEdit_;
  QToolButton catalogueBrowseButton_;
  QProgressBar loadProgress_;
};

}  // namespace qvl::app
