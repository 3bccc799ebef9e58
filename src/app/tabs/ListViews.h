#pragma once

#include <QAction>
#include <QActionGroup>
#include <QListView>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QTableView>
#include <array>

#include "app/model/ListModel.h"

namespace qvl::app {

// The three ways the list shows its rows.
enum class ViewStyle { SmallIcons = 0, List = 1, Report = 2 };

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

// The list of the Browse view in its three styles: three views over one model and
// one selection, and the style as one group of three checkable actions, which both
// tool bars show.
class ListViews : public QStackedWidget {
  Q_OBJECT
 public:
  explicit ListViews(ListModel& model);

  void SetViewStyle(ViewStyle style);
  ViewStyle CurrentViewStyle() const { return static_cast<ViewStyle>(currentIndex()); }
  // Small icons, list, report: for the tool bars.
  const std::array<QAction*, 3>& StyleActions() const { return styleActions_; }
  QTableView& ReportView() { return reportView_; }
  // Header clicks sort only while nothing else fills the list.
  void SetHeaderClickable(bool clickable);

 signals:
  void RowActivated(const QModelIndex& index);  // a double click
  void HeaderClicked(int column);

 private:
  ListModel& model_;
  FixedWidthCells iconCells_{116};
  FixedWidthCells listCells_{196};
  QListView iconView_;
  QListView listView_;
  QTableView reportView_;  // a table keeps little per row: searches add millions
  QActionGroup styleGroup_{this};
  std::array<QAction*, 3> styleActions_{};
};

}  // namespace qvl::app
