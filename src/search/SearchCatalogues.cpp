#include "search/SearchCatalogues.h"

#include <algorithm>

#include "search/SearchAhead.h"

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

// The file's bar and label follow the scan.
class ProgressWatcher final : public ScanWatcher {
 public:
  explicit ProgressWatcher(SearchProgress& progress) : progress_(progress) {}
  void Starting(const std::string& fileName) override { progress_.FileLabel("Progress of " + fileName); }
  void Opened() override { progress_.Status("Searching..."); }
  void Block(int percent) override {
    progress_.Percent(percent);
  }

 private:
  SearchProgress& progress_;
};

}  // namespace

CatalogueSearch SearchCatalogueFile(std::string_view text, const std::string& fileName, ListRowSink& rows,
                                    SearchProgress& progress, const ScanOptions& options, const HitOptions& hits) {
  ProgressWatcher watcher(progress);
  return ScanCatalogueFile(text, fileName, rows, watcher, options, hits);
}

SearchOutcome SearchCatalogues(std::string_view text, const std::vector<std::string>& files,
                               BatchedRowSink& rows, SearchProgress& progress, const HitOptions& hits,
                               const ScanOptions& options) {
  SearchOutcome outcome;
  StartSearch(rows, progress);
  if (files.empty()) {
    outcome.noFilesToSearch = true;
    return outcome;
  }
  const int step = 100 / static_cast<int>(std::min<std::size_t>(files.size(), 101));
  int total = 0;
  ProgressWatcher watcher(progress);
  SearchFilesAhead(text, files, rows, watcher, [&](const std::string& file, const CatalogueSearch& search) {
    AddSearched(outcome, file, search);
    total += step;
    progress.TotalPercent(total);
  }, hits, options);
  progress.Percent(100);
  progress.TotalPercent(100);
  progress.Status(kSearchComplete);
  return outcome;
}

SearchOutcome SearchNamedCatalogue(std::string_view text, const std::string& fileName, ListRowSink& rows,
                                   SearchProgress& progress, const HitOptions& hits,
                                   const ScanOptions& options) {
  SearchOutcome outcome;
  StartSearch(rows, progress);
  CatalogueSearch search = SearchCatalogueFile(text, fileName, rows, progress, options, hits);
  AddSearched(outcome, fileName, search);
  if (!search.skipped) progress.TotalPercent(100);
  progress.Status(kSearchComplete);
  return outcome;
}

std::string SearchResultText(const SearchOutcome& outcome) {
  return "Found " + std::to_string(outcome.fileCount) + " matching files";
}

}  // namespace qvl
