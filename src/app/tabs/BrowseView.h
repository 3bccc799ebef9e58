#pragma once

#include <QButtonGroup>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QItemSelectionModel>
#include <QListView>
#include <QProgressBar>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QToolBar>
#include <QToolButton>
#include <QTableView>
#include <QVBoxLayout>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "app/BackgroundTask.h"
#include "app/RowStream.h"
#include "app/tabs/QuickFindBar.h"
#include "app/model/ListModel.h"
#include "browse/Catalogue.h"
#include "platform/File.h"
#include "search/RowOrder.h"

namespace qvl::app {

// Cells of one width for the two list styles: they measure only their first row
// (a search may show millions), which must not make every name as short as it.
class FixedWidthCells : public QStyledItemDelegate {
 public:
  explicit FixedWidthCells(int width) : width_(width) {}
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return {width_, QStyledItemDelegate::sizeHint(option, index).height()};
  }

 private:
  int width_;
};

// The three ways the list shows its rows, numbered as the style buttons are.
enum class ViewStyle { SmallIcons = 1, List = 2, Report = 3 };

// The browse area below the tabs: the navigation tool bar, the list of the folder
// shown (in three view styles over one model and one selection) and the status bar
// with the catalogue's name, its drive and the folder's text. It works on the
// catalogue the main window holds open.
class BrowseView : public QWidget {
  Q_OBJECT
 public:
  struct Shared {
    Catalogue& catalogue;
    ListModel& model;
    RowFeeder& feeder;
    RowOrder& order;
    std::function<bool()> skipComment;  // "Skip Comment" of the Save tab
    std::function<bool()> listBusy;     // the Search tab fills the list
  };
  explicit BrowseView(Shared shared);

  // Loads the catalogue `name` on a worker thread and then lists its root; a name
  // that is no file changes nothing. `then` runs once it has been listed.
  void OpenCatalogue(const std::string& name, std::function<void()> then = {});
  // Lists a folder of the open catalogue; false when it has no such folder.
  bool ShowFolder(const std::string& path);
  bool CatalogueOpen() const;
  bool Busy() const { return task_.Running() || finishing_; }
  // Empties the list and closes the open catalogue (before it is written over).
  void CloseCatalogue();
  // Merges the catalogue file `source` into the open one, then lists the folder
  // shown again (the import button asks for the file first).
  void ImportFrom(const std::string& source);
  void SetViewStyle(ViewStyle style);
  ViewStyle CurrentViewStyle() const;
  void UpdateActions();
  bool SearchMode() const { return searchMode_; }
  void EnterSearchMode();
  void EndSearchMode();
  // Searches the open catalogue for the text of the search box.
  void StartFind();
  // The status bar's first and last panels during a search across catalogues.
  void ShowSearchStatus(const QString& status, const QString& result);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 signals:
  // A catalogue has been loaded for browsing (the window grows to show the list).
  void CatalogueLoaded();
  void BusyChanged();
  // The Browse tab's own controls follow the load (disabled while it runs).
  void LoadProgress(int percent, bool visible);

 private:
  void BuildToolBar();
  void BuildStatusBar();
  void Back();
  void OpenFolderRow(const QModelIndex& index);
  void HeaderClicked(int column);
  void ShowOrigin();
  void Import();
  void RememberPath(const QString& path);
  bool CheckCatalogueFile();
  void SetPanels(const QString& title, const QString& caption, const QString& text);

  Shared shared_;
  bool searchMode_ = false;
  bool finishing_ = false;  // a search has ended; its last rows are going in
  std::optional<FileIdentity> loadedIdentity_;  // which file the open catalogue was read from
  BackgroundTask task_;
  SignalProgress progress_;

  QVBoxLayout layout_{this};
  QToolBar navigationBar_;
  QToolButton backButton_;
  std::array<QToolButton, 3> styleButtons_;
  QButtonGroup styleGroup_;
  QToolButton importButton_;
  QToolButton searchModeButton_;
  QComboBox pathCombo_;
  QProgressBar importProgress_;  // the import's and the quick find's bar
  QuickFindBar quickFindBar_;
  QStackedWidget views_;
  FixedWidthCells iconCells_{116};
  FixedWidthCells listCells_{196};
  QListView iconView_;
  QListView listView_;
  QTableView reportView_;  // a table keeps little per row: searches add millions
  QWidget statusBar_;
  QHBoxLayout statusLayout_{&statusBar_};
  std::array<QLabel, 3> statusPanels_;
};

}  // namespace qvl::app
