#include "app/model/ListModel.h"

#include <algorithm>
#include <array>
#include <limits>
#include <stdexcept>
#include <vector>

#include <QDateTime>
#include <QLocale>

#include "app/QtText.h"

namespace qvl::app {
namespace {

constexpr int kColumns = 5;

// A time in the user's local time, the locale's short date and time.
QString LocalTimeText(std::int64_t seconds) {
  if (seconds == kUnknownTime) return {};
  return QLocale().toString(QDateTime::fromSecsSinceEpoch(seconds), QLocale::ShortFormat);
}

}  // namespace

ListModel::ListModel(QObject* parent) : QAbstractTableModel(parent) {}

void ListModel::BeginReset() {
  if (resetDepth_++ == 0) beginResetModel();
}

void ListModel::EndReset() {
  if (resetDepth_ > 0 && --resetDepth_ == 0) {
    shown_ = store_.Size();
    endResetModel();
  }
}

void ListModel::ClearListView() {
  BeginReset();
  store_.Clear();
  EndReset();
}

void ListModel::CheckRoomFor(std::size_t rows) const {
  if (store_.Size() + rows > static_cast<std::size_t>(std::numeric_limits<int>::max()))
    throw std::length_error("The list holds as many rows as it can");
}

void ListModel::AddRow(const ListRowView& row) {
  CheckRoomFor(1);
  store_.Add(row, icons_.ImageFor(row.caption, row.isFolder));
  ShowStoredRows();
}

int ListModel::ImageOf(int row) const {
  const std::size_t index = Index(row);
  if (store_.At(index).image == RowStore::kUnnumbered)
    store_.SetImage(index, icons_.ImageFor(store_.View(index).caption, false));
  return store_.At(index).image;
}

void ListModel::StoreBatch(StagedRows& batch) {
  CheckRoomFor(batch.Size());
  store_.Append(batch);
}

void ListModel::ShowStoredRows(std::size_t most) {
  const std::size_t count = std::min(RowsWaiting(), most);
  if (count == 0) return;
  beginInsertRows({}, static_cast<int>(shown_), static_cast<int>(shown_ + count) - 1);
  shown_ += count;
  endInsertRows();
}

void ListModel::TakeBatch(StagedRows& batch) {
  StoreBatch(batch);
  ShowStoredRows();
}

void ListModel::Sort(const RowOrder& order) {
  ShowStoredRows();
  const std::size_t count = store_.Size();
  if (count < 2) return;
  const std::vector<std::uint32_t> permutation = store_.SortedOrder(order);
  if (resetDepth_ > 0) {
    store_.Reorder(permutation);
    return;
  }
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  QModelIndexList before = persistentIndexList();
  store_.Reorder(permutation);
  if (!before.isEmpty()) {
    std::vector<int> newRow(count);
    for (std::size_t i = 0; i < count; ++i) newRow[permutation[i]] = static_cast<int>(i);
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before) after.append(this->index(newRow[Index(index.row())], index.column()));
    changePersistentIndexList(before, after);
  }
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int ListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : RowCountFast(); }

int ListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

QVariant ListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= RowCountFast() || index.column() >= kColumns) return {};
  ListRowView row = store_.View(Index(index.row()));
  auto column = static_cast<Column>(index.column());
  if (role == Qt::DisplayRole) {
    switch (column) {
      case Column::Filename: return FromCore(row.caption);
      case Column::FileSize: return FromCore(row.fileSize);
      case Column::Path: return FromCore(row.path);
      case Column::Archive: return FromCore(row.archive);
      case Column::Modified: return LocalTimeText(row.modified);
    }
  } else if (role == Qt::DecorationRole) {
    if (column == Column::Filename) return icons_.Icon(ImageOf(index.row()));
    if (column == Column::Path && !row.path.empty()) return icons_.Icon(FileTypeImages::kFolder);
  }
  return {};
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  static constexpr std::array<const char*, kColumns> kHeaders = {
      QT_TR_NOOP("Filename"), QT_TR_NOOP("FileSize"), QT_TR_NOOP("Path"), QT_TR_NOOP("Archive"),
      QT_TR_NOOP("Modified")};
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumns) {
    return QAbstractTableModel::headerData(section, orientation, role);
  }
  return tr(kHeaders[Index(section)]);
}

Qt::ItemFlags ListModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

}  // namespace qvl::app
