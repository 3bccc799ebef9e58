#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Progress.h"

namespace qvl {

struct FolderTotal {
  std::string path;
  std::int64_t bytes = 0;  // the stored sizes of every file in it and below, added up in 64 bits
  std::int64_t files = 0;
  std::size_t depth = 0;  // 0 for the folder asked for, 1 for its subfolders...
};

// The totals of the folder `path` of a catalogue file ("\" or "\Docs\", letter case
// ignored, the first of equal paths) and of the folders below it down to `depth`
// levels (all without one), largest first, then by path. None when the catalogue
// has no such folder. Memory grows with the number of folders.
//
// Throws IoError when the file cannot be opened or read.
std::optional<std::vector<FolderTotal>> FolderTotals(const std::string& name, std::string_view path,
                                                     std::optional<std::size_t> depth, Progress& progress);

}  // namespace qvl
