#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/ListRow.h"
#include "platform/Progress.h"
#include "search/CatalogueScan.h"
#include "search/EntryScan.h"

namespace qvl {

// What the search across catalogues tells while it runs. Status is the search's
// state ("Searching...", "Search complete"), Percent the bar of the file being
// searched, TotalPercent the bar of all files; the labels name the two bars.
class SearchProgress : public Progress {
 public:
  // "Progress of " and the file's name.
  virtual void FileLabel(std::string_view text) { (void)text; }
  // "Total progress".
  virtual void TotalLabel(std::string_view text) { (void)text; }
};

// Searches one catalogue file as ScanCatalogueFile does; FileLabel gets "Progress
// of " and the file's name, Status "Searching..." once it is open, and Percent how
// far the scan has come.
CatalogueSearch SearchCatalogueFile(std::string_view text, const std::string& fileName, ListRowSink& rows,
                                    SearchProgress& progress, const ScanOptions& options = {},
                                    const HitOptions& hits = {});

inline constexpr std::string_view kSearchComplete = "Search complete";
inline constexpr std::string_view kNoFilesToSearch = "No files to search!";

struct SearchOutcome {
  bool noFilesToSearch = false;  // the list was empty: nothing was done but emptying the rows
  std::int64_t fileCount = 0;    // file rows of all catalogues; folder rows are not counted
  bool found = false;            // any row at all
  std::vector<std::string> skipped;  // names that were not searched
};

// The search of every catalogue of a list (the history list) in its order: the
// rows are emptied, then each file is searched; the total bar steps by 100 / the
// number of files per file and ends at 100. Status ends as "Search complete",
// unless the list is empty, when nothing is searched (kNoFilesToSearch). Rows and
// progress come file by file in the list's order, though several files are
// searched at once.
// Rows carry their dates (HitOptions) unless asked not to; the filter leaves
// out the rows that do not pass it, uncounted.
SearchOutcome SearchCatalogues(std::string_view text, const std::vector<std::string>& files,
                               BatchedRowSink& rows, SearchProgress& progress, const HitOptions& hits = {},
                               const ScanOptions& options = {});

// The same for the one catalogue file the user named.
SearchOutcome SearchNamedCatalogue(std::string_view text, const std::string& fileName, ListRowSink& rows,
                                   SearchProgress& progress, const HitOptions& hits = {},
                                   const ScanOptions& options = {});

// "Found 3 matching files".
std::string SearchResultText(const SearchOutcome& outcome);

}  // namespace qvl
