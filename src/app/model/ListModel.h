#pragma once

#include <QAbstractTableModel>
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/model/FileTypeIcons.h"
#include "catalogue/ListRow.h"
#include "search/RowOrder.h"
#include "search/RowStore.h"

namespace qvl::app {

// The list view's rows as Qt sees them, for its three view styles: a folder of the
// open catalogue or the hits of a search, kept in the core's RowStore. It is the
// core's row sink, and takes rows one by one or a batch at once.
class ListModel : public QAbstractTableModel, public BatchedRowSinkOf<StagedRows> {
  Q_OBJECT
 public:
  explicit ListModel(QObject* parent = nullptr);

  // Rows cleared and added between BeginReset and EndReset reach the views with
  // one reset at its end: a folder is listed and sorted, then shown at once.
  void BeginReset();
  void EndReset();
  // Empties the list: FileCount starts from 0 again.
  void ClearListView() override;
  // Adds a batch's rows with one insert, and empties the batch.
  void TakeBatch(StagedRows& batch) override;
  // Stores a batch's rows, and empties the batch; the views learn of them with the
  // next ShowStoredRows, so that rows arriving fast reach them in few inserts.
  void StoreBatch(StagedRows& batch);
  void ShowStoredRows(std::size_t most = SIZE_MAX);
  // Rows stored that the views do not know of yet.
  std::size_t RowsWaiting() const { return resetDepth_ > 0 ? 0 : store_.Size() - shown_; }
  // Orders the rows as `order` says; rows whose keys are equal keep their order.
  void Sort(const RowOrder& order);

  bool IsFolderRow(int row) const { return store_.At(Index(row)).isFolder; }
  std::string Caption(int row) const { return std::string(store_.View(Index(row)).caption); }
  ListRowView Row(int row) const { return store_.View(Index(row)); }
  // The row's icon, chosen when first asked for: a search's millions of rows
  // mostly never show.
  int ImageOf(int row) const;
  // File rows added since the list was last emptied.
  std::int64_t FileCount() const { return store_.FileCount(); }
  // Whether any row has a known modification time: the Modified column shows then.
  bool HasDates() const { return store_.DatedCount() > 0; }
  std::size_t MemoryBytes() const { return store_.MemoryBytes(); }
  std::size_t TextBytes() const { return store_.TextBytes(); }
  // The rows the views know of.
  int RowCountFast() const { return static_cast<int>(resetDepth_ > 0 ? store_.Size() : shown_); }
  const FileTypeIcons& Icons() const { return icons_; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  void AddRow(const ListRowView& row) override;
  void CheckRoomFor(std::size_t rows) const;
  static std::size_t Index(int row) { return static_cast<std::size_t>(row); }

  // Mutable for the icons, numbered as rows are first shown.
  mutable RowStore store_;
  mutable FileTypeIcons icons_;
  std::size_t shown_ = 0;  // rows stored beyond it wait for ShowStoredRows
  int resetDepth_ = 0;
};

}  // namespace qvl::app
