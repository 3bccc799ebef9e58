#include "search/SearchCatalogues.h"

#include <algorithm>

#include "browse/Catalogue.h"
#include "catalogue/Fields.h"
#include "catalogue/Tags.h"
#include "platform/File.h"
#include "search/SearchPattern.h"

namespace qvl {
namespace {

// The rows are emptied and the bars labelled before anything is searched.
void StartSearch(ListRowSink& rows, SearchProgress& progress) {
  progress.TotalLabel("Total progress");
  rows.ClearListView();
  progress.TotalPercent(0);
}

void AddSearched(SearchOutcome& outcome, const std::string& fileName, const CatalogueSearch& search) {
  if (search.skipped) outcome.skipped.push_back(fileName);
  outcome.fileCount += search.fileCount;
  outcome.found = outcome.found || search.fileCount > 0 || search.folderHits > 0;
}

}  // namespace

CatalogueSearch SearchCatalogueFile(std::string_view text, const std::string& fileName, ListRowSink& rows,
                                    SearchProgress& progress, std::size_t blockSize) {
  CatalogueSearch result;
  if (text.empty() || !FileExists(fileName)) return result;
  result.skipped = false;
  progress.FileLabel("Progress of " + fileName);
  SearchPattern pattern(text);
  EntryScan scan(fileName, pattern, true, blockSize);
  progress.Status("Searching...");
  const std::string archive = FileTitleOf(fileName);
  for (auto event = scan.Next(); event != EntryScan::Event::End; event = scan.Next()) {
    if (event == EntryScan::Event::Block) {
      progress.Pump();
      progress.Percent(scan.Percent());
      continue;
    }
    EntryParts parts = SplitEntryText(scan.Text());
    bool isFolder = scan.Tag() == tag::SubfolderEntry;
    rows.AddListRow(isFolder, parts.name, archive, scan.Path(), isFolder ? std::string_view() : parts.sizeText);
    ++(isFolder ? result.folderHits : result.fileCount);
  }
  return result;
}

SearchOutcome SearchCatalogues(std::string_view text, const std::vector<std::string>& files, ListRowSink& rows,
                               SearchProgress& progress) {
  SearchOutcome outcome;
  StartSearch(rows, progress);
  if (files.empty()) {
    outcome.noFilesToSearch = true;
    return outcome;
  }
  const int step = 100 / static_cast<int>(std::min<std::size_t>(files.size(), 101));
  int total = 0;
  for (const std::string& file : files) {
    AddSearched(outcome, file, SearchCatalogueFile(text, file, rows, progress));
    total += step;
    progress.TotalPercent(total);
  }
  progress.Percent(100);
  progress.TotalPercent(100);
  progress.Status(kSearchComplete);
  return outcome;
}

SearchOutcome SearchNamedCatalogue(std::string_view text, const std::string& fileName, ListRowSink& rows,
                                   SearchProgress& progress) {
  SearchOutcome outcome;
  StartSearch(rows, progress);
  CatalogueSearch search = SearchCatalogueFile(text, fileName, rows, progress);
  AddSearched(outcome, fileName, search);
  if (!search.skipped) progress.TotalPercent(100);
  progress.Status(kSearchComplete);
  return outcome;
}

std::string SearchResultText(const SearchOutcome& outcome) {
  return "Found " + std::to_string(outcome.fileCount) + " matching files";
}

}  // namespace qvl
