#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "browse/Catalogue.h"
#include "catalogue/ListRow.h"
#include "platform/Progress.h"
#include "search/EntryScan.h"
#include "search/HitFilter.h"

namespace qvl {

struct QuickFindResult {
  std::int64_t fileCount = 0;   // FileEntry hits
  std::int64_t folderHits = 0;  // SubfolderEntry hits
  bool Found() const { return fileCount > 0 || folderHits > 0; }
};

// The quick find of the Browse view over the open catalogue: nothing at all for an
// empty text; otherwise the list is emptied and gets a row for each hit, in file
// order, or the single row "No matching items found". Status gets "Searching...",
// Percent the progress through the file. The closing text is QuickFindText's.
//
// The file is opened again by the catalogue's name and read from its first byte;
// the folder of each hit comes from the folder index, its date from the companion
// checked by the load. Throws IoError when no
// catalogue has been loaded, its file cannot be opened or read, or it is no longer
// the file as loaded (ReplacedCatalogueText).
std::optional<QuickFindResult> QuickFind(Catalogue& catalogue, std::string_view text, ListRowSink& rows,
                                         Progress& progress);

// The rows of the hits alone, without the row for none, for callers that tell it
// their own way.
// Rows that do not pass `hits.filter` are left out and not counted.
QuickFindResult FindEntries(Catalogue& catalogue, std::string_view text, ListRowSink& rows, Progress& progress,
                            const ScanOptions& options = {}, const HitOptions& hits = {});

// "Found 12 matching files and 1 folders", or "No files found".
std::string QuickFindText(const QuickFindResult& result);

inline constexpr std::string_view kNoMatchingItems = "No matching items found";

// The folder that holds an entry whose record ends at `position` (where the reader
// stands after it): the last folder whose position is not above it. Folder
// positions rise in file order, so a binary search finds it.
std::size_t FolderAt(const FolderIndex& folders, std::int64_t position);

}  // namespace qvl
