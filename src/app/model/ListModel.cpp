#include "app/model/ListModel.h"

#include <algorithm>
#include <array>
#include <limits>
#include <stdexcept>
#include <vector>

#include "app/QtText.h"
#include "platform/Locale.h"

namespace qvl::app {
namespace {

constexpr int kColumns = 4;

// Eight bytes of a key from `from` on, folded as CompareText folds them, big end
// first, zeros behind a shorter key. Two different prefixes order their keys as
// CompareText does; equal ones leave it to CompareText.
std::uint64_t FoldedPrefix(std::string_view key, std::size_t from) {
  std::uint64_t prefix = 0;
  for (std::size_t i = from; i < from + 8; ++i) {
    prefix <<= 8;
    if (i < key.size()) prefix |= static_cast<unsigned char>(AsciiUpper(key[i]));
  }
  return prefix;
}

// A row's key as the sort reads it, without touching the row again.
struct SortKey {
  std::uint64_t prefix;  // the first sixteen bytes, which decide most comparisons
  std::uint64_t prefix2;
  const char* key;
  std::uint32_t length;
  std::uint32_t row;  // the top bit: a file row that goes after the folder rows
};
constexpr std::uint32_t kAfterFolders = 0x8000'0000u;

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

void ListModel::StoreBatch(ListRowBatch& batch) {
  CheckRoomFor(batch.Size());
  store_.Append(batch.rows_);
  batch.ClearListView();
}

void ListModel::ShowStoredRows(std::size_t most) {
  const std::size_t count = std::min(RowsWaiting(), most);
  if (count == 0) return;
  beginInsertRows({}, static_cast<int>(shown_), static_cast<int>(shown_ + count) - 1);
  shown_ += count;
  endInsertRows();
}

void ListModel::TakeBatch(ListRowBatch& batch) {
  StoreBatch(batch);
  ShowStoredRows();
}

void ListModel::ReplaceRows(ListRowBatch& batch) {
  if (batch.Size() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
    throw std::length_error("The list holds as many rows as it can");
  BeginReset();
  store_.Clear();
  store_.Append(batch.rows_);
  EndReset();
  batch.ClearListView();
}

void ListModel::Sort(const RowOrder& order) {
  ShowStoredRows();
  std::size_t count = store_.Size();
  if (count < 2) return;
  std::vector<SortKey> keys(count);
  store_.ForEachView([&](std::size_t i, const ListRowView& row) {
    std::string_view key = order.KeyOf(row);
    std::uint32_t group = order.FoldersFirst() && !row.isFolder ? kAfterFolders : 0;
    keys[i] = {FoldedPrefix(key, 0), FoldedPrefix(key, 8), key.data(), static_cast<std::uint32_t>(key.size()),
               static_cast<std::uint32_t>(i) | group};
  });
  // RowOrder::Compare on keys at hand: folder rows first, then the first bytes, then
  // the whole keys.
  bool ascending = order.SortAscending(order.SortColumn());
  std::stable_sort(keys.begin(), keys.end(), [&](const SortKey& a, const SortKey& b) {
    if ((a.row ^ b.row) & kAfterFolders) return (a.row & kAfterFolders) == 0;
    if (a.prefix != b.prefix) return ascending ? a.prefix < b.prefix : a.prefix > b.prefix;
    if (a.prefix2 != b.prefix2) return ascending ? a.prefix2 < b.prefix2 : a.prefix2 > b.prefix2;
    return order.CompareKeys({a.key, a.length}, {b.key, b.length}) < 0;
  });
  std::vector<std::uint32_t> permutation(count);
  for (std::size_t i = 0; i < count; ++i) permutation[i] = keys[i].row & ~kAfterFolders;
  keys = {};

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
    }
  } else if (role == Qt::DecorationRole) {
    if (column == Column::Filename) return icons_.Icon(ImageOf(index.row()));
    if (column == Column::Path && !row.path.empty()) return icons_.Icon(FileTypeImages::kFolder);
  }
  return {};
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  static constexpr std::array<const char*, kColumns> kHeaders = {"Filename", "FileSize", "Path", "Archive"};
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumns) {
    return QAbstractTableModel::headerData(section, orientation, role);
  }
  return QString::fromLatin1(kHeaders[Index(section)]);
}

Qt::ItemFlags ListModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

}  // namespace qvl::app
