#include "search/CatalogueScan.h"

#include "browse/Catalogue.h"
#include "catalogue/CompanionFile.h"
#include "catalogue/Tags.h"
#include "platform/File.h"
#include "search/SearchPattern.h"

namespace qvl {

CatalogueSearch ScanCatalogueFile(std::string_view text, const std::string& fileName, ListRowSink& rows,
                                  ScanWatcher& watcher, const ScanOptions& givenOptions, const HitOptions& hits) {
  CatalogueSearch result;
  if (text.empty() || !FileExists(fileName)) return result;
  result.skipped = false;
  watcher.Starting(fileName);
  SearchPattern pattern(text);
  // Whether there are dates is known before the first row: the companion is
  // checked against the file that the scan has open.
  CatalogueCompanion companion;
  std::optional<FileState> checked;
  if (hits.DatesWanted()) {
    checked = StateOf(fileName);
    if (checked) companion = ReadCompanionFor(fileName, *checked);
  }
  const CompanionData* dates = companion.Data();
  ScanOptions options = givenOptions;
  options.countEntries = options.countEntries || dates != nullptr;
  EntryScan scan(fileName, pattern, true, options);
  // Dates of a file replaced since it was hashed would be another file's.
  if (dates != nullptr && scan.OpenedState() != *checked) dates = nullptr;
  watcher.Opened();
  const std::string archive = FileTitleOf(fileName);
  for (auto event = scan.Next(); event != EntryScan::Event::End; event = scan.Next()) {
    if (event == EntryScan::Event::Block) {
      watcher.Block(scan.Percent());
      continue;
    }
    const ListRowView row =
        HitRow(scan, scan.Path(), archive, dates != nullptr ? dates->Time(scan.EntryNumber()) : kUnknownTime);
    if (hits.filter != nullptr && !hits.filter->Passes(row)) continue;
    rows.AddListRow(row);
    ++(row.isFolder ? result.folderHits : result.fileCount);
  }
  return result;
}

}  // namespace qvl
