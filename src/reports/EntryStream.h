#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "browse/FolderIndex.h"
#include "catalogue/CatalogueReader.h"
#include "platform/Progress.h"
#include "reports/ReportEntry.h"

namespace qvl {

// An entry as the stream meets it: where it stands, besides what it is.
struct StreamedEntry {
  ReportEntry entry;
  std::size_t folder = 0;  // its folder's number in the folder index
  std::string_view path;   // its folder's path: "\" or "\Docs\Old\"
  std::int64_t position = 0;  // the file offset of its tag
  bool runStart = false;      // the record before it is no entry: a run of entries begins
};

class EntryVisitor {
 public:
  virtual ~EntryVisitor() = default;
  // A folder record opened the folder `folder` of the index, below the innermost open one.
  virtual void FolderOpened(std::size_t folder) { (void)folder; }
  // Its FolderEnd closed it, or the data ended with it open. The root is never closed.
  virtual void FolderClosed(std::size_t folder) { (void)folder; }
  virtual void EntryRead(const StreamedEntry& entry) = 0;
};

struct EntryStreamOptions {
  // Without texts, entries come with empty names and no sizes, only their places.
  bool texts = true;
  const EntryFacts* facts = nullptr;
};

// Reads a catalogue file once, front to back, and hands every SubfolderEntry and
// FileEntry record to a visitor in file order, with its folder; builds the same
// folder index as the loader on the way (the index passed in is emptied first).
// Follows the one nesting rule of every reader: folders after the root's end go
// below the root, a file cut short ends where its data does. Entries after a
// folder's subfolders still belong to it.
//
// Progress: Percent as the position grows. Throws IoError
// when the file cannot be opened or read.
class EntryStream {
 public:
  EntryStream(const std::string& name, FolderIndex& folders, Progress& progress,
              const EntryStreamOptions& options = {});

  const std::string& Caption() const { return caption_; }
  const std::optional<std::string>& Comment() const { return comment_; }
  std::int64_t Size() const { return reader_.CatalogueSize(); }

  // Reads the records; once.
  void Run(EntryVisitor& visitor);
  // Entries read so far.
  std::uint64_t Entries() const { return ordinal_; }

 private:
  struct Level {
    std::size_t folder;
    std::size_t pathLength;
  };
  void ReportProgress();

  CatalogueReader reader_;
  FolderIndex& folders_;
  Progress& progress_;
  EntryStreamOptions options_;
  std::string caption_;
  std::optional<std::string> comment_;
  std::uint64_t ordinal_ = 0;
  int lastPercent_ = -1;
};

// Reads one run of entries (the records from `position`, the offset of the run's
// first tag, up to the first record that is no entry) with `reader`, numbering
// them from `firstOrdinal`; calls `read` with each.
template <class Read>
void ReadEntryRun(CatalogueReader& reader, std::int64_t position, std::uint64_t firstOrdinal,
                  const EntryFacts* facts, std::string& text, Read read);

}  // namespace qvl

#include "reports/EntryStream.inl"
