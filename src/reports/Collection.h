#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Progress.h"
#include "reports/ReportEntry.h"

namespace qvl {

// One catalogue of a collection, with what is known of its entries besides.
struct CollectionFile {
  std::string name;
  const EntryFacts* facts = nullptr;
};

struct DuplicateGroupHead {
  std::int64_t size = 0;
  std::size_t copies = 0;
  std::int64_t wasted = 0;  // size * (copies - 1)
};
struct DuplicateCopy {
  std::string_view catalogue;  // its name as given
  std::string_view path;       // "\Docs\a.txt"
};
class DuplicateRows {
 public:
  virtual ~DuplicateRows() = default;
  virtual void Group(const DuplicateGroupHead& head) = 0;
  virtual void Copy(const DuplicateCopy& copy) = 0;
};
struct DuplicateCounts {
  std::int64_t groups = 0, copies = 0, wasted = 0;
};

// The files of the catalogues that are copies of one another (GroupDuplicates),
// in groups, the most wasted space first, then the larger size; copies in the
// order of the catalogues and of their entries. Each file is read twice: first to
// learn which keys occur more than once, then to keep only the files that may have
// copies, so that memory grows with those and with the folders.
//
// Progress: Status names the file being read, Percent how far. Throws IoError when
// a file cannot be opened or read.
DuplicateCounts FindDuplicates(const std::vector<CollectionFile>& catalogues, std::int64_t minSize,
                               DuplicateRows& rows, Progress& progress);

struct UniqueFile {
  std::string_view path;
  std::optional<std::int64_t> size;
};
class UniqueRows {
 public:
  virtual ~UniqueRows() = default;
  virtual void File(const UniqueFile& file) = 0;
};
struct UniqueCounts {
  std::int64_t files = 0, bytes = 0;
};

// The files of `catalogue` of which no file of `others` is a copy, by the rule of
// GroupDuplicates, in file order. Files without a size cannot be matched and are
// listed; files below `minSize` are not. Memory grows with the files of
// `catalogue`, however many the others hold.
UniqueCounts FindUnique(const CollectionFile& catalogue, const std::vector<CollectionFile>& others,
                        std::int64_t minSize, UniqueRows& rows, Progress& progress);

}  // namespace qvl
