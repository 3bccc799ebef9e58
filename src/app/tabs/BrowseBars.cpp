#include "app/tabs/BrowseBars.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QStyle>

namespace qvl::app {

QIcon ThemeIcon(std::initializer_list<const char*> names, QStyle::StandardPixmap fallback, const QWidget& widget) {
  for (const char* name : names) {
    const QString plain = QString::fromLatin1(name);
    // The symbolic forms first: one dark ink for every tool bar picture.
    for (const QString& tried : {plain + QStringLiteral("-symbolic"), plain})
      if (QIcon::hasThemeIcon(tried)) return QIcon::fromTheme(tried);
  }
  return widget.style()->standardIcon(fallback);
}

void SetUpTypedBox(QComboBox& box, const char* objectName, int letters) {
  box.setObjectName(QString::fromLatin1(objectName));
  box.setEditable(true);
  box.setInsertPolicy(QComboBox::NoInsert);
  box.setCompleter(nullptr);
  box.setMinimumContentsLength(letters);
  box.setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
}

NavigationBar::NavigationBar(const std::array<QAction*, 3>& styleActions) {
  setObjectName(QStringLiteral("navigationBar"));
  setIconSize(QSize(16, 16));
  backButton_.setObjectName(QStringLiteral("backButton"));
  backButton_.setToolTip(QStringLiteral("Back"));
  backButton_.setIcon(ThemeIcon({"go-up"}, QStyle::SP_ArrowUp, *this));
  importButton_.setObjectName(QStringLiteral("importButton"));
  importButton_.setToolTip(QStringLiteral("Import a catalogue into this one"));
  importButton_.setIcon(ThemeIcon({"document-import", "insert-object"}, QStyle::SP_ArrowDown, *this));
  searchModeButton_.setObjectName(QStringLiteral("searchModeButton"));
  searchModeButton_.setToolTip(QStringLiteral("Search this catalogue"));
  searchModeButton_.setIcon(ThemeIcon({"edit-find"}, QStyle::SP_FileDialogStart, *this));
  SetUpTypedBox(pathBox_, "pathCombo", 24);
  pathBox_.setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

  addWidget(&backButton_);
  addSeparator();
  for (QAction* action : styleActions) addAction(action);
  addSeparator();
  addWidget(&importButton_);
  addWidget(&searchModeButton_);
  addSeparator();
  addWidget(&pathBox_);

  connect(&backButton_, &QToolButton::clicked, this, &NavigationBar::BackRequested);
  connect(&importButton_, &QToolButton::clicked, this, &NavigationBar::ImportRequested);
  connect(&searchModeButton_, &QToolButton::clicked, this, &NavigationBar::SearchModeRequested);
  connect(pathBox_.lineEdit(), &QLineEdit::returnPressed, this,
          [this] { emit PathChosen(pathBox_.lineEdit()->text()); });
  connect(&pathBox_, &QComboBox::activated, this, [this](int index) { emit PathChosen(pathBox_.itemText(index)); });
}

void NavigationBar::ShowPath(const QString& path) {
  if (pathBox_.findText(path, Qt::MatchFixedString) < 0) pathBox_.insertItem(0, path);
  pathBox_.setEditText(path);
}

StatusPanels::StatusPanels() {
  setObjectName(QStringLiteral("browseStatusBar"));
  setToolTip(QStringLiteral("Click to see where the catalogue came from"));
  const char* names[] = {"catalogueNamePanel", "drivePanel", "folderPanel"};
  for (std::size_t i = 0; i < panels_.size(); ++i) {
    OneLineLabel& panel = panels_[i];
    panel.setObjectName(QString::fromLatin1(names[i]));
    panel.setFrameStyle(QFrame::Panel | QFrame::Sunken);
    layout_.addWidget(&panel, i == 2 ? 1 : 0);
  }
  Of(Panel::CatalogueName).setFixedWidth(110);
  Of(Panel::Drive).setFixedWidth(120);
  Of(Panel::Folder).setMinimumWidth(50);
  layout_.setContentsMargins(0, 1, 0, 0);
  layout_.setSpacing(2);
}

void StatusPanels::mouseReleaseEvent(QMouseEvent* event) {
  QWidget::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton) emit Clicked();
}

}  // namespace qvl::app
