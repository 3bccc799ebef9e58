#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/ListRow.h"
#include "search/CatalogueScan.h"

namespace qvl {

// Called for each file of the list, in order, once its rows have all been added.
using FileSearched = std::function<void(const std::string& fileName, const CatalogueSearch& search)>;

// Searches the files of a list as ScanCatalogueFile does, one after the other as
// far as anyone can tell: rows are added to `rows`, and `watcher` and `searched`
// are told, on the calling thread, file by file in the list's order. Underneath,
// worker threads search a few files ahead and gather their rows in batches, so a
// search over many catalogues uses every core; the calling thread adds the
// batches and reports progress at least every tenth of a second.
//
// Memory stays bounded: only a few files are searched ahead, and a worker waits
// while its file holds many rows that are not yet added.
//
// When a file cannot be read, its error is thrown once the rows of the files
// before it and its own rows until then have been added; no later file's rows are.
//
// Threads: call it from one thread (a window's worker, say); `rows`, `watcher` and
// `searched` are called on that thread only, but for rows.NewBatch, which the
// workers call too.
void SearchFilesAhead(std::string_view text, const std::vector<std::string>& files, BatchedRowSink& rows,
                      ScanWatcher& watcher, const FileSearched& searched, const HitOptions& hits = {},
                      const ScanOptions& options = {});

}  // namespace qvl
