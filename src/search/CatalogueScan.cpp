#include "search/CatalogueScan.h"

#include "browse/Catalogue.h"
#include "catalogue/Tags.h"
#include "platform/File.h"
#include "search/SearchPattern.h"

namespace qvl {

CatalogueSearch ScanCatalogueFile(std::string_view text, const std::string& fileName, ListRowSink& rows,
                                  ScanWatcher& watcher, const ScanOptions& options) {
  CatalogueSearch result;
  if (text.empty() || !FileExists(fileName)) return result;
  result.skipped = false;
  watcher.Starting(fileName);
  SearchPattern pattern(text);
  EntryScan scan(fileName, pattern, true, options);
  watcher.Opened();
  const std::string archive = FileTitleOf(fileName);
  for (auto event = scan.Next(); event != EntryScan::Event::End; event = scan.Next()) {
    if (event == EntryScan::Event::Block) {
      watcher.Block(scan.Percent());
      continue;
    }
    const ListRowView row = HitRow(scan, scan.Path(), archive);
    rows.AddListRow(row);
    ++(row.isFolder ? result.folderHits : result.fileCount);
  }
  return result;
}

}  // namespace qvl
