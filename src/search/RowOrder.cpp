#include "search/RowOrder.h"

#include <algorithm>

#include "platform/Locale.h"

namespace qvl {
namespace {

unsigned char Folded(char c) { return static_cast<unsigned char>(AsciiUpper(c)); }

ListRowView ViewOf(const ListRow& row) {
  return {.isFolder = row.isFolder, .caption = row.caption, .fileSize = row.fileSize, .path = row.path,
          .archive = row.archive, .modified = row.modified};
}

}  // namespace

int CompareText(std::string_view a, std::string_view b) {
  std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    unsigned char x = Folded(a[i]), y = Folded(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

void RowOrder::ColumnClick(Column column) {
  sortColumn_ = column;
  ascending_[Index(column)] = !ascending_[Index(column)];
}

void RowOrder::SetOrder(Column column, bool ascending) {
  sortColumn_ = column;
  ascending_[Index(column)] = ascending;
}

std::string_view RowOrder::KeyOf(const ListRowView& row) const {
  switch (sortColumn_) {
    case Column::Filename: return row.caption;
    case Column::FileSize: return row.fileSize;
    case Column::Path: return row.path;
    case Column::Archive: return row.archive;
    case Column::Modified: break;
  }
  return {};
}

int RowOrder::Compare(const ListRowView& first, const ListRowView& second) const {
  if (FoldersFirst() && first.isFolder != second.isFolder) return first.isFolder ? -1 : 1;
  if (ByTime()) {
    const int order = first.modified < second.modified ? -1 : first.modified > second.modified ? 1 : 0;
    return SortAscending(sortColumn_) ? order : -order;
  }
  return CompareKeys(KeyOf(first), KeyOf(second));
}

int RowOrder::Compare(const ListRow& first, const ListRow& second) const {
  return Compare(ViewOf(first), ViewOf(second));
}

void RowOrder::Sort(std::vector<ListRow>& rows) const {
  std::stable_sort(rows.begin(), rows.end(),
                   [this](const ListRow& a, const ListRow& b) { return Compare(a, b) < 0; });
}

}  // namespace qvl
