#include "app/tabs/BrowseTab.h"

#include <QStyle>

namespace qvl::app {

BrowseTab::BrowseTab() {
  catalogueFileEdit_.setObjectName(QStringLiteral("catalogueFileEdit"));
  catalogueBrowseButton_.setObjectName(QStringLiteral("catalogueBrowseButton"));
  catalogueBrowseButton_.setToolTip(QStringLiteral("Browse for file"));
  catalogueBrowseButton_.setIcon(QIcon::fromTheme(QStringLiteral("document-open-folder"),
                                                  style()->standardIcon(QStyle::SP_DirOpenIcon)));
  // Opening catalogues comes with the browse view.
  catalogueBrowseButton_.setEnabled(false);
  loadProgress_.setRange(0, 100);
  loadProgress_.setVisible(false);
  layout_.addWidget(&loadLabel_, 0, 0);
  layout_.addWidget(&catalogueFileEdit_, 0, 1);
  layout_.addWidget(&catalogueBrowseButton_, 0, 2);
  layout_.setRowStretch(1, 1);
  layout_.addWidget(&loadProgress_, 2, 0, 1, 3);
}

}  // namespace qvl::app
