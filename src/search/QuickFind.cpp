#include "search/QuickFind.h"

#include "catalogue/Tags.h"
#include "platform/IoError.h"
#include "search/SearchIndex.h"
#include "search/SearchPattern.h"

namespace qvl {

std::size_t FolderAt(const FolderIndex& folders, std::int64_t position) {
  // The first folder whose position is above `position`; the hit lies in the one
  // before it. Positions a merge has set to 0 break the order: the search stays
  // in bounds and gives some folder.
  const auto& positions = folders.Positions();
  std::size_t low = 0, high = positions.size();
  while (low < high) {
    std::size_t middle = low + (high - low) / 2;
    if (positions[middle] > position)
      high = middle;
    else
      low = middle + 1;
  }
  return low == 0 ? 0 : low - 1;
}

QuickFindResult FindEntries(Catalogue& catalogue, std::string_view text, ListRowSink& rows, Progress& progress,
                            const ScanOptions& givenOptions, const HitOptions& hits) {
  QuickFindResult result;
  rows.ClearListView();
  progress.Status("Searching...");
  progress.Percent(0);
  const CatalogueReader& reader = catalogue.Reader();
  const std::string& name = reader.OpenCatalogueName();
  if (name.empty()) throw IoError("There is no catalogue to search: none has been opened");

  SearchPattern pattern(text);
  // Entries are only counted where there are dates to give them.
  const bool dated = hits.DatesWanted() && catalogue.CompanionInfo() != nullptr;
  ScanOptions options = givenOptions;
  options.countEntries = options.countEntries || dated;
  std::optional<EntryScan> opened;
  OpenSearchScan(opened, name, pattern, false, options);
  EntryScan& scan = *opened;
  // The folders of the hits come from the index of the file as it was loaded.
  if (scan.OpenedState() != reader.OpenedState()) throw IoError(ReplacedCatalogueText(name));
  const FolderIndex& folders = catalogue.Folders();
  // Hits come in runs from one folder: its path is made once per run.
  std::size_t pathFolder = SIZE_MAX;
  std::string path;
  for (auto event = scan.Next(); event != EntryScan::Event::End; event = scan.Next()) {
    if (event == EntryScan::Event::Block) {
      progress.Percent(scan.Percent());
      continue;
    }
    if (!folders.Empty()) {
      std::size_t folder = FolderAt(folders, scan.EndPosition());
      if (folder != pathFolder) {
        path = folders.Path(folder);
        pathFolder = folder;
      }
    }
    const ListRowView row = HitRow(scan, path, {}, dated ? catalogue.EntryTime(scan.EntryNumber()) : kUnknownTime);
    if (hits.filter != nullptr && !hits.filter->Passes(row)) continue;
    rows.AddListRow(row);
    ++(row.isFolder ? result.folderHits : result.fileCount);
  }
  return result;
}

std::optional<QuickFindResult> QuickFind(Catalogue& catalogue, std::string_view text, ListRowSink& rows,
                                         Progress& progress) {
  if (text.empty()) return std::nullopt;
  QuickFindResult result = FindEntries(catalogue, text, rows, progress);
  if (!result.Found()) rows.AddListRow({.caption = kNoMatchingItems});
  return result;
}

std::string QuickFindText(const QuickFindResult& result) {
  if (!result.Found()) return "No files found";
  return "Found " + std::to_string(result.fileCount) + " matching files and " + std::to_string(result.folderHits) +
         " folders";
}

}  // namespace qvl
