#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Hash.h"

namespace qvl {

// What the walk knows about one level of the current path.
struct WalkLevel {
  // The folder's own name; empty for the root. Kept apart from ListPath because a
  // name may itself hold a backslash.
  std::string FolderName;
  std::vector<std::string> FolderNames;  // subfolders, sorted once the folder is listed
  std::vector<std::string> FileNames;    // bare names, or entry texts for a catalogue
  std::size_t NextFolder = 0;            // how many of FolderNames have been walked
  std::int64_t FolderBytes = 0;          // sum of the file sizes
  // When the walk keeps them (a catalogue with its companion): beside FolderNames
  // and FileNames, in the same order, the modification times and, when files are
  // hashed, their content hashes (none for a file that could not be read).
  std::vector<std::int64_t> FolderTimes;
  std::vector<std::int64_t> FileTimes;
  std::vector<std::optional<Hash128>> FileHashes;
};

// The walk state that the writers read: the folder being listed and one level of
// lists per folder on its path. Only the folders on the current path are held.
struct WalkState {
  std::string ListPath;       // "C:\Docs\Old\": drive letter, ":\", names each with "\"
  std::size_t ListDepth = 0;  // 1 for the drive's root
  std::vector<WalkLevel> levels;  // levels[d - 1] is level d; grows with depth

  WalkLevel& Level(std::size_t depth) { return levels[depth - 1]; }
  const WalkLevel& Level(std::size_t depth) const { return levels[depth - 1]; }
  const WalkLevel& Current() const { return Level(ListDepth); }
  // The name of the folder being listed; the drive ("C:") for the root.
  std::string_view CurrentName() const {
    if (ListDepth > 1) return Current().FolderName;
    return std::string_view(ListPath).substr(0, ListPath.empty() ? 0 : ListPath.size() - 1);
  }
};

// A writer of one listing method. The walk calls BeginFolder for each folder once
// its lists are sorted, before its subfolders, and EndFolder after all of them.
class FolderWriter {
 public:
  virtual ~FolderWriter() = default;
  virtual void BeginFolder(const WalkState& state) = 0;
  virtual void EndFolder(const WalkState& state) = 0;
};

}  // namespace qvl
