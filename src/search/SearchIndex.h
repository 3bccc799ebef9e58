#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/File.h"
#include "search/EntryScan.h"
#include "search/SearchPattern.h"

namespace qvl {

// The search index of a catalogue: which blocks of the file (about 8 KB each,
// cut at tags) hold an entry with a given three bytes, folded as the match rule
// folds them, plus what a scan needs to start at each block (folder path, open
// folders, entries before it). A search reads the lists of its text's rarest
// three-byte groups first, keeps the blocks that hold them all, and scans only
// those: the index is a filter that may let too much through, never too little,
// and the scan decides as it always has.
//
// One file per catalogue in the cache folder, named after its absolute path,
// written whole and renamed into place. It records the catalogue's size, times,
// inode, a hash of its first and last 4 KB and one of all its bytes. Every part
// a search reads carries a checksum; one that does not add up, or an index of a
// file that has changed, is never used.
enum class IndexFreshness { Fresh, Stale, Missing };

// $XDG_CACHE_HOME/Quorvalen/ (from the root), else ~/.cache/Quorvalen/. Throws
// IoError when neither is known.
std::string IndexFolder();
// The index file of a catalogue, whether there is one or not.
std::string IndexFileOf(const std::string& catalogueFile);

// A few system calls and two pages of the catalogue: its state and the hash of
// its first and last 4 KB against what the index recorded. Missing also for a
// catalogue that is not there.
IndexFreshness IndexStatus(const std::string& catalogueFile);
// Whether a search of these catalogues reads through indexes alone: each one that
// is there has a fresh index (a search passes over those that are gone), and one
// at least is there.
bool AllIndexesFresh(const std::vector<std::string>& catalogueFiles);

// Builds (or builds again) the index of one catalogue. Throws IoError naming the
// file that could not be read or written.
void BuildSearchIndex(const std::string& catalogueFile);
// Builds the index of each file that exists and has none that is fresh. Each
// failure is told (its message), and the other files are still done. For
// searches that met catalogues without one; safe on any thread.
std::vector<std::string> BuildMissingIndexes(const std::vector<std::string>& catalogueFiles);
// The same for every file that exists, fresh or not (qvl index); files are
// built a few at a time, one a core.
std::vector<std::string> BuildSearchIndexes(const std::vector<std::string>& catalogueFiles, bool onlyMissing);

// What the index tells a search to read.
struct IndexAnswer {
  FileState catalogue;  // the file as indexed: the scan must have opened this one
  std::vector<ScanRange> ranges;
};

// None when the index cannot answer: none that is fresh, a damaged one (which is
// removed, to be built again), or a text that is shorter than three bytes or
// holds a tag byte.
std::optional<IndexAnswer> AskIndex(const std::string& catalogueFile, const SearchPattern& pattern);

// The scan of a search: through the index when `options` allow it and it
// answers, otherwise over the whole file.
void OpenSearchScan(std::optional<EntryScan>& scan, const std::string& fileName, const SearchPattern& pattern,
                    bool followFolders, const ScanOptions& options);

// The parts beneath, for the tests and the fuzz target: an index of
// `catalogueFile` written to `indexFile` (with at most `blockBytes` bytes a
// block, roughly), and a question put to one without checking that it is the
// catalogue's, nor, with `checkSums` off, its checksums. Damage gives none.
void WriteSearchIndex(const std::string& catalogueFile, const std::string& indexFile,
                      std::size_t blockBytes = std::size_t{8} << 10);
std::optional<IndexAnswer> AskIndexFile(const std::string& indexFile, const SearchPattern& pattern, bool checkSums);

}  // namespace qvl
