#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/FolderNesting.h"
#include "catalogue/ListRow.h"
#include "platform/File.h"
#include "platform/Progress.h"
#include "search/SearchPattern.h"

namespace qvl {

// How a scan reads and marks its blocks. Tests try small blocks, and the 16-byte
// vectors on processors that have 32-byte ones; 32-byte vectors are only used
// where the processor has them.
struct ScanOptions {
  std::size_t blockSize = std::size_t{64} << 10;  // larger reads copy out of the page cache slower
  bool wideVectors = true;
  // Hits learn their entry's number (EntryNumber): every entry tag is counted,
  // a pass over the whole file of its own.
  bool countEntries = false;
  // A fresh search index of the catalogue may pick the parts to read; off, the
  // whole file is read (qvl's --no-index).
  bool useIndex = true;
};

// A stretch of a catalogue that a scan reads on its own, with the state a scan
// from the first byte would be in at its start, as the search index keeps it.
struct ScanRange {
  std::int64_t from = 0;  // a tag's offset, or 0 (the header's mark)
  std::int64_t to = 0;    // past the tag that ends its last field, or the file's end
  std::string path = "\\";  // the folder path at `from`: "" once the root has closed
  std::vector<std::size_t> levels{1};  // the path's length with each open folder, the root's first
  bool rootOpen = true;
  std::uint64_t entriesBefore = 0;  // entry tags in [1, from)
};

// Reads a catalogue file once, front to back in large blocks, and yields in file
// order the entries whose text matches; on request it follows the folder records
// for the path of each. Matches are looked for in the raw blocks; only the fields
// that hold one are looked at as fields.
//
// An entry is the text after a FileEntry or SubfolderEntry tag; the caption, the
// comment, folder names and stray text never match, and an entry is yielded once
// however often it matches. The first byte is the header's mark whatever its value.
// A field runs to the next tag byte or to the end of the data, so a file cut short
// or no catalogue at all is scanned by the same rules and ends where its data ends.
// Bytes beyond the size taken at the open are not read.
//
// The path of a folder is "\" and the names from the root down, each followed by
// "\". Whole names are removed, even those holding a backslash, and a folder after
// the root's end goes below the root: the paths are those of the loader's index.
//
// Memory stays near one block: a field longer than a block is only kept whole when
// it may be needed, a matching entry (whose text becomes a row) or a folder name
// that is being followed.
class EntryScan {
 public:
  enum class Event {
    Hit,    // Tag, Text, EndPosition and Path describe the entry
    Block,  // a block has been read: a moment to report progress
    End,
  };

  // Throws IoError when the file cannot be opened or read.
  EntryScan(const std::string& name, const SearchPattern& pattern, bool followFolders,
            const ScanOptions& options = {});
  // Reads only the ranges, in order (rising, not overlapping), and yields what a
  // scan of the whole file would yield in them; a Block event between two.
  EntryScan(const std::string& name, const SearchPattern& pattern, bool followFolders, const ScanOptions& options,
            std::vector<ScanRange> ranges);

  Event Next();

  // FileEntry or SubfolderEntry, after a Hit.
  unsigned char Tag() const { return tag_; }
  // The entry's text, valid until the next call of Next.
  std::string_view Text() const { return text_; }
  // The folder that holds the entry, when folders are followed: "" once the root
  // has ended.
  const std::string& Path() const { return path_; }
  // After a Hit, with countEntries: the entry's number, counting the FileEntry and
  // SubfolderEntry tags from the file's second byte (the first is the header's).
  std::uint64_t EntryNumber() const { return hitEntry_; }
  // After a Hit: the file position just past the tag that ends the entry (the end
  // of the data for an entry cut off by it), as the catalogue reader would stand.
  std::int64_t EndPosition() const { return endPosition_; }
  // How far the scan has come, and the size of the file when it was opened.
  std::int64_t Position() const;
  std::int64_t Size() const { return size_; }
  const FileState& OpenedState() const { return openedState_; }
  int Percent() const { return PercentOf(static_cast<double>(Position()), static_cast<double>(size_)); }

 private:
  std::int64_t FileOffset(std::size_t index) const {
    return textOffset_ + static_cast<std::int64_t>(index) - 1;
  }
  void Fill();
  void StartRange(const ScanRange& range);
  void FindLimit(std::size_t newFrom);
  std::size_t Padding() const { return pattern_.Padding() + 64; }
  void Refill();
  bool FindHit();
  template <class Vectors>
  bool FindHitWith();
#if QVL_WIDE_VECTORS
  bool FindHitWide();
#endif
  void FollowFolders(std::size_t at, std::uint64_t records);
  void AddPendingFolders();
  void FolderStart(std::string_view name);
  void FolderEnd();
  std::string_view RereadField(std::int64_t from, std::int64_t to);

  const SearchPattern& pattern_;
  const SearchPattern::Candidates candidates_;
  const bool wideVectors_;
  bool followFolders_;
  std::size_t blockSize_;
  File file_;
  FileState openedState_;
  std::int64_t size_ = 0;
  std::int64_t read_ = 0;  // where the bytes read so far end in the file
  std::int64_t stop_ = 0;  // where reading stops: the file's size, or the range's end
  std::vector<ScanRange> ranges_;
  std::size_t nextRange_ = 0;
  bool dataEnded_ = false;

  // buffer_[0] is always a tag byte: the one before the first field in the buffer
  // (for the header, a SectionMark in place of the first byte). Zero bytes follow
  // the data, so every search over it stops at its end.
  std::vector<unsigned char> buffer_;
  std::size_t end_ = 0;    // bytes of data in the buffer
  std::size_t limit_ = 0;  // the tag before the field that is still being read; end_ once the data has ended
  std::size_t pos_ = 0;    // what lies before has been handled
  std::int64_t textOffset_ = 1;  // file offset of buffer_[1]
  // The field at buffer_[0] was too long to keep; its text began at lostStart_.
  bool lost_ = false;
  std::int64_t lostStart_ = 0;

  std::size_t hitField_ = 0, hitEnd_ = 0;  // the tag and the end of the hit's field

  // The 64 bytes being scanned: what is left of their folder records and possible
  // match starts, and where the scan goes on after them.
  struct Chunk {
    bool loaded = false;
    std::size_t at = 0, next = 0;
    std::uint64_t folders = 0, starts = 0;
  } chunk_;

  std::string path_ = "\\";
  FolderNesting<std::size_t> nesting_{1};  // the path's length with each open folder, "\\" the root's
  // Where in buffer_ the names of the folders opened since the path was last made
  // up to date begin; still open, in order.
  std::vector<std::size_t> pendingNames_;

  // Entry tags counted in the data before buffer_[countFrom_], with countEntries.
  bool countEntries_;
  std::uint64_t entriesBefore_ = 0;
  std::size_t countFrom_ = 0;
  std::uint64_t hitEntry_ = 0;

  unsigned char tag_ = 0;
  std::string_view text_;
  std::int64_t endPosition_ = 0;
  std::string reread_;
};

// The row of the scan's hit: its name and size text, the folder `path` that holds
// it, `archive` (a search across catalogues names the catalogue there) and the
// entry's time.
ListRowView HitRow(const EntryScan& scan, std::string_view path, std::string_view archive = {},
                   std::int64_t modified = kUnknownTime);

}  // namespace qvl
