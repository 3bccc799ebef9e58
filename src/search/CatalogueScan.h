#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "catalogue/ListRow.h"
#include "search/EntryScan.h"
#include "search/HitFilter.h"

namespace qvl {

struct CatalogueSearch {
  bool skipped = true;  // no such file, or an empty text: nothing was read
  std::int64_t fileCount = 0;
  std::int64_t folderHits = 0;
};

// Told how the scan of one catalogue file goes, on the thread that scans it.
class ScanWatcher {
 public:
  virtual ~ScanWatcher() = default;
  // The file is about to be opened (a skipped file is not).
  virtual void Starting(const std::string& fileName) { (void)fileName; }
  // It is open and being searched.
  virtual void Opened() {}
  // A block of it has been searched; `percent` tells how far the scan has come.
  virtual void Block(int percent) { (void)percent; }
};

// Searches one catalogue file, following its folder records for the path of each
// hit, so no folder index is needed. Rows get the hit's folder path and, as
// archive, the file's name without its folder. Folders after the root's end go
// below the root, as the loader puts them. With dates wanted, rows get their
// entries' times from the file's companion when it is the file's own (the file is
// hashed for that first); rows that do not pass the filter are left out and not
// counted. Throws IoError when the file exists but cannot be opened or read.
CatalogueSearch ScanCatalogueFile(std::string_view text, const std::string& fileName, ListRowSink& rows,
                                  ScanWatcher& watcher, const ScanOptions& options = {},
                                  const HitOptions& hits = {});

}  // namespace qvl
