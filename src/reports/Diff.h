#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Progress.h"
#include "reports/ReportEntry.h"

namespace qvl {

enum class DiffKind { Added, Removed, Changed, Moved };
std::string_view DiffKindName(DiffKind kind);  // "added", "removed", "changed", "moved"

// One difference between two catalogues. Paths are the entry's folder path and its
// name ("\Docs\a.txt"), a folder's with a closing "\" ("\Docs\Old\").
struct DiffRow {
  DiffKind kind = DiffKind::Added;
  bool isFolder = false;
  std::string_view path{};   // in the old catalogue for removed and moved, else in the new
  std::string_view newPath{};  // moved: where it is in the new catalogue
  std::optional<std::int64_t> oldSize{}, newSize{};
  unsigned changed = 0;  // ChangedPart bits, for a changed file
};

class DiffRows {
 public:
  virtual ~DiffRows() = default;
  virtual void Row(const DiffRow& row) = 0;
};

struct DiffCounts {
  std::int64_t added = 0, removed = 0, changed = 0, moved = 0;
  bool Any() const { return added + removed + changed + moved > 0; }
};

struct DiffSources {
  const EntryFacts* oldFacts = nullptr;
  const EntryFacts* newFacts = nullptr;
};

// Compares two catalogue files. Folders are paired by path as the loader builds it,
// letter case ignored; folders whose paths compare equal within one catalogue count
// as one folder. Their entries are paired by name (PairEntries); a file removed from
// one folder and added in another is moved when PairMoves says so.
//
// Rows come folder by folder, in the order of the new catalogue's folders, then the
// folders only the old one has: in each, the removed entries, then the changed and
// added ones in the new catalogue's order. Memory grows with the folders of both and
// with the differences, never with the entries that are the same.
//
// Progress: Status names the file being read, Percent how far. Throws IoError when
// a file cannot be opened or read.
DiffCounts DiffCatalogues(const std::string& oldName, const std::string& newName, DiffRows& rows,
                          Progress& progress, const DiffSources& sources = {});

}  // namespace qvl
