#pragma once

#include <QAction>
#include <QComboBox>
#include <QHBoxLayout>
#include <QToolBar>
#include <QToolButton>
#include <QWidget>
#include <array>
#include <initializer_list>

#include "app/tabs/OneLineLabel.h"

namespace qvl::app {

// An editable box whose text is taken as typed (never completed into another text
// from its list) and which never widens the window, however long its items.
void SetUpTypedBox(QComboBox& box, const char* objectName, int letters);

// The first of the named icons the desktop's theme has (its symbolic form first),
// else one of the style's.
QIcon ThemeIcon(std::initializer_list<const char*> names, QStyle::StandardPixmap fallback, const QWidget& widget);

// The Browse view's navigation tool bar: Back, the three view styles, the import,
// search mode, and the path box with the folders visited since the catalogue was
// opened. A path typed goes on Enter, as typed; one chosen from the list at once.
class NavigationBar : public QToolBar {
  Q_OBJECT
 public:
  explicit NavigationBar(const std::array<QAction*, 3>& styleActions);

  QToolButton& BackButton() { return backButton_; }
  QToolButton& ImportButton() { return importButton_; }
  QToolButton& SearchModeButton() { return searchModeButton_; }
  QComboBox& PathBox() { return pathBox_; }
  // The folder shown, entered in the list of visited ones once.
  void ShowPath(const QString& path);
  void ClearPaths() { pathBox_.clear(); }

 signals:
  void BackRequested();
  void ImportRequested();
  void SearchModeRequested();
  void PathChosen(const QString& path);

 private:
  QToolButton backButton_;
  QToolButton importButton_;
  QToolButton searchModeButton_;
  QComboBox pathBox_;
};

// The Browse view's status bar, its panels named by what they show: the open
// catalogue's name (or the search's state), its drive caption, and the folder's
// text (or a search's result). A click shows where the catalogue came from.
enum class Panel { CatalogueName = 0, Drive = 1, Folder = 2 };

class StatusPanels : public QWidget {
  Q_OBJECT
 public:
  StatusPanels();
  void Set(Panel panel, const QString& text) { Of(panel).SetText(text); }
  const QString& Text(Panel panel) { return Of(panel).FullText(); }

 signals:
  void Clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  OneLineLabel& Of(Panel panel) { return panels_[static_cast<std::size_t>(panel)]; }
  QHBoxLayout layout_{this};
  std::array<OneLineLabel, 3> panels_;
};

}  // namespace qvl::app
