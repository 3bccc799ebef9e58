#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "catalogue/Tags.h"

namespace qvl {

class CatalogueReader;

// How a reader follows the folders of a catalogue, odd and malformed files
// included. The loader, the replay, the import and the search each keep their own
// loop (a skip, a copy, a vector scan: their costs differ), but follow this one
// rule, so that they agree on the folder every record stands in:
//
// - the root is open from the start of the records;
// - a FolderStart opens a folder below the innermost open one;
// - a FolderEnd closes the innermost open one;
// - once the root has closed, a folder that still follows goes below the root, and
//   a FolderEnd with no folder open closes nothing;
// - a FolderStart that is the last byte has no name (a file cut short): nothing
//   opens (OpensFolder);
// - a SectionMark before the last byte is no end mark: it is passed over
//   (EndsRecords).
//
// Where the readers differ, on purpose:
//
//                                    loader        replay        import        search
//   a folder's entries               passed over   listed        copied        matched
//   entries after its subfolders     passed over   left out      copied        matched
//   the root, after its FolderEnd    closed        written last  written last  closed (path "")
//   folders open at the end          path kept     closed        closed        -
//
// A reader keeps one Level per open folder (a folder number, a path length, what a
// merge knows of it), the root's at the bottom, kept once the root has closed, as
// folders opened then go below it.
template <class Level>
class FolderNesting {
 public:
  explicit FolderNesting(Level root) : levels_{std::move(root)} {}
  // Picks up where another reader stood: `levels` from the root's on, never empty.
  FolderNesting(std::vector<Level> levels, bool rootOpen) : levels_(std::move(levels)), rootOpen_(rootOpen) {}
  const std::vector<Level>& Levels() const { return levels_; }
  bool RootOpen() const { return rootOpen_; }

  // The innermost open folder; the root once it and all after it have closed.
  Level& Innermost() { return levels_.back(); }
  const Level& Innermost() const { return levels_.back(); }
  // False once the root has closed and no folder opened after it is open.
  bool AnyOpen() const { return rootOpen_ || levels_.size() > 1; }
  // The folders open below the root.
  std::size_t Depth() const { return levels_.size() - 1; }

  // A FolderStart that OpensFolder: `level` is the folder's, below Innermost().
  void Open(Level level) { levels_.push_back(std::move(level)); }
  // A FolderEnd: the Level of the folder it closed; none when it closed the root
  // or nothing at all.
  std::optional<Level> Close() {
    if (levels_.size() > 1) {
      std::optional<Level> closed(std::move(levels_.back()));
      levels_.pop_back();
      return closed;
    }
    rootOpen_ = false;
    return std::nullopt;
  }

 private:
  std::vector<Level> levels_;
  bool rootOpen_ = true;
};

// `tag` read where `lastByte` tells whether it was the file's last byte.
constexpr bool OpensFolder(unsigned char tag, bool lastByte) { return tag == tag::FolderStart && !lastByte; }
constexpr bool EndsRecords(unsigned char tag, bool lastByte) { return tag == tag::SectionMark && lastByte; }

// Seeks to the records of the folder whose position the index keeps (just past
// the tag that ended its name) and reads that tag again, so that it is
// CurrentTag: the first record, or what ends the folder's entries. A position
// below 1 has nothing to read (an empty file's root, a folder a merge has
// copied): false, and the reader is left where it was.
bool SeekFolderRecords(CatalogueReader& reader, std::int64_t position);

}  // namespace qvl
