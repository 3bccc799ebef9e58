#include "search/CatalogueScan.h"

#include "browse/Catalogue.h"
#include "catalogue/CompanionFile.h"
#include "catalogue/Tags.h"
#include "platform/File.h"
#include "search/SearchIndex.h"
#include "search/SearchPattern.h"

namespace qvl {

CatalogueSearch ScanCatalogueFile(std::string_view text, const std::string& fileName, ListRowSink& rows,
                                  ScanWatcher& watcher, const ScanOptions& givenOptions, const HitOptions& hits) {
  CatalogueSearch result;
  if (text.empty() || !FileExists(fileName)) return result;
  result.skipped = false;
  watcher.Starting(fileName);
  SearchPattern pattern(text);
  // Whether the companion is the file's own is known before the first row: the
  // file is hashed first, and must be the one the scan then opens. Its data are
  // decoded at the first hit, so a catalogue without hits costs no more.
  CompanionCandidate candidate;
  std::optional<FileState> checked;
  if (hits.DatesWanted() && (checked = StateOf(fileName))) {
    candidate = ReadCompanionCandidate(fileName, checked->size);
    if (candidate.state == CompanionState::Valid && HashCatalogueFile(fileName, *checked) != candidate.fingerprint.hash)
      candidate.state = CompanionState::Stale;
  }
  bool verified = candidate.state == CompanionState::Valid;
  ScanOptions options = givenOptions;
  options.countEntries = options.countEntries || verified;
  std::optional<EntryScan> opened;
  OpenSearchScan(opened, fileName, pattern, true, options);
  EntryScan& scan = *opened;
  // Dates of a file replaced since it was hashed would be another file's.
  if (verified && scan.OpenedState() != *checked) verified = false;
  std::optional<CatalogueCompanion> companion;
  auto dateOf = [&](std::uint64_t entry) {
    if (!verified) return kUnknownTime;
    if (!companion) {
      const std::uint64_t hash = candidate.fingerprint.hash;
      companion = CheckCompanion(std::move(candidate), hash);
    }
    const CompanionData* dates = companion->Data();
    return dates != nullptr ? dates->Time(entry) : kUnknownTime;
  };
  watcher.Opened();
  const std::string archive = FileTitleOf(fileName);
  for (auto event = scan.Next(); event != EntryScan::Event::End; event = scan.Next()) {
    if (event == EntryScan::Event::Block) {
      watcher.Block(scan.Percent());
      continue;
    }
    const ListRowView row = HitRow(scan, scan.Path(), archive, dateOf(scan.EntryNumber()));
    if (hits.filter != nullptr && !hits.filter->Passes(row)) continue;
    rows.AddListRow(row);
    ++(row.isFolder ? result.folderHits : result.fileCount);
  }
  return result;
}

}  // namespace qvl
