#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qvl {

// What the walk knows about one level of the current path.
struct WalkLevel {
  std::vector<std::string> FolderNames;  // subfolders, sorted once the folder is listed
  std::vector<std::string> FileNames;    // bare names, or entry texts for a catalogue
  std::size_t NextFolder = 0;            // how many of FolderNames have been walked
  std::int64_t FolderBytes = 0;          // sum of the file sizes
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
