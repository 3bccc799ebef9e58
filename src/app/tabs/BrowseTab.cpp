#include "app/tabs/BrowseTab.h"

#include <QFileDialog>
#include <QStyle>

#include "app/QtText.h"
#include "app/tabs/BrowseBars.h"

namespace qvl::app {

BrowseTab::BrowseTab() {
  catalogueFileEdit_.setObjectName(QStringLiteral("catalogueFileEdit"));
  catalogueBrowseButton_.setObjectName(QStringLiteral("catalogueBrowseButton"));
  loadProgress_.setObjectName(QStringLiteral("loadProgress"));
  catalogueBrowseButton_.setToolTip(QStringLiteral("Browse for file"));
  catalogueBrowseButton_.setIcon(ThemeIcon({"folder-open"}, QStyle::SP_DirOpenIcon, *this));
  loadProgress_.setRange(0, 100);
  loadProgress_.setVisible(false);
  layout_.addWidget(&loadLabel_, 0, 0);
  layout_.addWidget(&catalogueFileEdit_, 0, 1);
  layout_.addWidget(&catalogueBrowseButton_, 0, 2);
  layout_.setRowStretch(1, 1);
  layout_.addWidget(&loadProgress_, 2, 0, 1, 3);

  connect(&catalogueFileEdit_, &QLineEdit::returnPressed, this,
          [this] { emit OpenRequested(ToCore(catalogueFileEdit_.text())); });
  connect(&catalogueBrowseButton_, &QToolButton::clicked, this, &BrowseTab::BrowseForCatalogue);
}

void BrowseTab::BrowseForCatalogue() {
  // The window's own file dialog matches ".QVL" in any letter case.
  QString chosen = QFileDialog::getOpenFileName(this, QString(), catalogueFileEdit_.text(),
                                                QStringLiteral("Quorval File (*.QVL)"), nullptr,
                                                QFileDialog::DontUseNativeDialog);
  if (chosen.isEmpty()) return;
  catalogueFileEdit_.setText(chosen);
  emit OpenRequested(ToCore(chosen));
}

void BrowseTab::ShowLoadProgress(int percent, bool visible) {
  loadProgress_.setValue(percent);
  loadProgress_.setVisible(visible);
}

}  // namespace qvl::app
