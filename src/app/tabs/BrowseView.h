#pragma once

#include <QProgressBar>
#include <QVBoxLayout>
#include <QWidget>
#include <functional>
#include <string>

#include "app/WindowState.h"
#include "app/model/ListModel.h"
#include "app/tabs/BrowseBars.h"
#include "app/tabs/CatalogueWork.h"
#include "app/tabs/ListViews.h"
#include "app/tabs/QuickFindBar.h"
#include "app/work/RowFeed.h"
#include "browse/Catalogue.h"
#include "search/RowOrder.h"

namespace qvl::app {

// The browse area below the tabs: the navigation and search tool bars, the list in
// its three styles and the status bar. It lists the folders of the catalogue the
// main window holds open; every handler that changes the list does nothing while
// another activity owns it.
class BrowseView : public QWidget {
  Q_OBJECT
 public:
  struct Shared {
    Catalogue& catalogue;
    ListModel& model;
    RowFeed& feed;
    RowOrder& order;
    StateKeeper& state;
    std::function<bool()> skipComment;  // "Skip Comment" of the Save tab
  };
  explicit BrowseView(Shared shared);

  // Opens the catalogue `name` on the worker, then lists its root (in search mode,
  // once the mode ends); a name that is no file lists the open catalogue's root again.
  void OpenCatalogue(const std::string& name);
  // Lists a folder of the open catalogue; false when it has no such folder, or when
  // the list is busy.
  bool ShowFolder(const std::string& path);
  // Empties the list and closes the open catalogue (before it is written over).
  void CloseCatalogue();
  // Merges the catalogue file `source` into the open one, then lists the folder
  // shown again (the import button asks for the file first).
  void ImportFrom(const std::string& source);
  void EnterSearchMode();
  void EndSearchMode();
  // Searches the open catalogue for the text of the search box.
  void StartFind();
  // The status bar's first and last panels during a search across catalogues.
  void ShowSearchStatus(const QString& status, const QString& result);

  NavigationBar& Navigation() { return navigationBar_; }
  QuickFindBar& FindBar() { return quickFindBar_; }
  ListViews& Views() { return views_; }

 signals:
  // A catalogue has been opened for browsing (the window grows to show the list).
  void CatalogueOpened();
  // The Browse tab's bar follows the load.
  void LoadProgress(int percent, bool visible);

 private:
  void Back();
  void OpenFolderRow(const QModelIndex& index);
  void HeaderClicked(int column);
  void ShowOrigin();
  void AskImport();
  void Opened();
  void ShowWorkProgress(bool shown);
  bool CheckCatalogueFile();

  Shared shared_;
  CatalogueWork work_;
  std::string importShownPath_;  // the folder to list again after a merge

  QVBoxLayout layout_{this};
  ListViews views_;
  NavigationBar navigationBar_{views_.StyleActions()};
  QProgressBar workProgress_;  // the import's and the quick find's bar
  QuickFindBar quickFindBar_{views_.StyleActions()};
  StatusPanels statusPanels_;
};

}  // namespace qvl::app
