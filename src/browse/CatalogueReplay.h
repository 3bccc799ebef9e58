#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "browse/Catalogue.h"
#include "catalogue/WalkState.h"
#include "platform/Progress.h"

namespace qvl {

struct ReplayOptions {
  // FileNames get the entry texts as stored (for the catalogue writer) rather than
  // the bare names (for the plain lists).
  bool entryTexts = false;
};

// The ListPath of a replayed catalogue's root: the caption's drive letter in upper
// case and ":\" ("c: [data]" gives "C:\"), or "C:\" when the caption has none.
std::string ReplayRootPath(std::string_view caption);

// Hands the folders of a loaded catalogue to a listing writer as the drive walk
// would: BeginFolder with the folder's subfolder names and files at the current
// level (FolderBytes summed from the stored sizes, 0 without them) before its
// subfolders, EndFolder after them. Names keep the catalogue's order.
//
// A catalogue cut short has its open folders closed at the end of the data.
// Records that a well-formed catalogue never has (entries after a folder's
// subfolders, folders after the root's FolderEnd) are treated as the browser
// sees them: the entries are left out, the folders go below the root.
void ReplayCatalogue(Catalogue& catalogue, FolderWriter& writer, const ReplayOptions& options,
                     Progress& progress);

struct CatalogueTotals {
  std::int64_t folders = 0;  // the root included
  std::int64_t files = 0;
  std::int64_t bytes = 0;  // from the stored sizes
};
// Counts what a loaded catalogue holds, by a replay.
CatalogueTotals CountCatalogue(Catalogue& catalogue, Progress& progress);

}  // namespace qvl
