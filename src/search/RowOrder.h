#pragma once

#include <array>
#include <string_view>
#include <vector>

#include "catalogue/ListRow.h"

namespace qvl {

// The list view's columns, left to right; Modified shows only where the listed rows
// have dates (from the catalogue's companion).
enum class Column { Filename = 0, FileSize = 1, Path = 2, Archive = 3, Modified = 4 };

// Compares two texts byte by byte with only a to z folded to A to Z; a text that is
// the beginning of another comes first. Sizes compare as text: "10" before "9".
int CompareText(std::string_view a, std::string_view b);

// The order of the list view's rows: one column orders them, and each column keeps
// its own direction. All directions start descending; a header click flips the
// direction of its column only.
class RowOrder {
 public:
  Column SortColumn() const { return sortColumn_; }
  bool SortAscending(Column column) const { return ascending_[Index(column)]; }

  // A click on a column's header (the caller sorts the rows again).
  void ColumnClick(Column column);
  // Sets the column and its direction directly.
  void SetOrder(Column column, bool ascending);

  // Negative when `first` goes before `second`. Ordered by Filename or Modified,
  // folder rows come before file rows in both directions; Modified orders the
  // times, an unknown one before any known.
  int Compare(const ListRowView& first, const ListRowView& second) const;
  int Compare(const ListRow& first, const ListRow& second) const;
  // Whether folder rows go before file rows whatever the direction.
  bool FoldersFirst() const { return sortColumn_ == Column::Filename || sortColumn_ == Column::Modified; }
  // Whether the sort column holds times rather than texts.
  bool ByTime() const { return sortColumn_ == Column::Modified; }
  // The text of the sort column, which Compare compares (none for Modified).
  std::string_view KeyOf(const ListRowView& row) const;
  // Compare of two rows of one kind (or not ordered by Filename) by their keys.
  int CompareKeys(std::string_view first, std::string_view second) const {
    int order = CompareText(first, second);
    return SortAscending(sortColumn_) ? order : -order;
  }
  // Sorts with Compare; rows whose keys are equal keep their order.
  void Sort(std::vector<ListRow>& rows) const;

 private:
  static std::size_t Index(Column column) { return static_cast<std::size_t>(column); }

  Column sortColumn_ = Column::Filename;
  std::array<bool, 5> ascending_{};
};

}  // namespace qvl
