#pragma once

#include <string>
#include <vector>

#include "catalogue/WalkState.h"
#include "platform/Directory.h"
#include "platform/Locale.h"
#include "platform/Progress.h"

namespace qvl {

// Told of each folder once it is listed and written, before the walk goes into its
// subfolders: it may take them, to be walked elsewhere, and the walk goes on past them.
class SubfolderHandOff {
 public:
  virtual ~SubfolderHandOff() = default;
  // True when the subfolders of the folder being listed (`pathNames` lead to it)
  // are taken.
  virtual bool TakeSubfolders(const WalkState& state, const std::vector<std::string>& pathNames) = 0;
};

// Visits every folder of a drive depth first from its root, sorts each folder's
// subfolders and files, and hands the folder to the writer before walking its
// subfolders in sorted order. Depth is not limited and needs no stack.
//
// Threads: runs on the thread that calls Run, and calls the source, the writer and
// the progress on it; it may be a worker thread.
class DriveWalk {
 public:
  struct Options {
    // The catalogue method with sizes: FileNames hold "name/size" entry texts.
    bool entryTextWithSize = false;
    // The levels keep FolderTimes and FileTimes beside the names.
    bool keepTimes = false;
    // Every regular file is read for FileHashes (with keepTimes).
    bool hashFiles = false;
    // The progress hears "Listing <folder>" as each folder is entered and left.
    bool reportFolders = true;
  };

  DriveWalk(DirectorySource& source, const Collator& collator, FolderWriter& writer,
            Progress& progress, Options options);

  // Walks the drive whose root is `driveLetter`:\ (the letter is upper-cased).
  void Run(char driveLetter);
  // Walks one folder below the root and everything below it: `pathNames` lead to
  // it from the root and `listPath` is its listed path ("C:\Docs\Old\").
  void RunFolder(const std::vector<std::string>& pathNames, const std::string& listPath);
  void SetHandOff(SubfolderHandOff* handOff) { handOff_ = handOff; }

  // Lists the folder ListPath at level ListDepth and everything below it; on return
  // ListDepth is one less and ListPath has lost its last component.
  void WalkFolder();
  void EnterFolder(const std::string& name);
  void LeaveFolder();
  // Files one directory entry of the folder being listed as subfolder or file; its
  // name is taken, not copied.
  void ClassifyEntry(DirEntry& entry);

  const WalkState& State() const { return state_; }
  // Bytes read for content hashes so far.
  std::uint64_t BytesHashed() const { return bytesHashed_; }

 private:
  void ListCurrentFolder();
  // Sorts the level's names, with their times and hashes when kept.
  void SortLevel(WalkLevel& level);
  std::optional<Hash128> HashEntry(const DirEntry& entry);
  void ReportListing();
  WalkLevel& CurrentLevel() { return state_.Level(state_.ListDepth); }

  DirectorySource& source_;
  const Collator& collator_;
  FolderWriter& writer_;
  Progress& progress_;
  Options options_;
  SubfolderHandOff* handOff_ = nullptr;
  WalkState state_;
  std::vector<std::string> pathNames_;  // folder names from the root to ListPath
  std::vector<DirEntry> entries_;       // reused for every folder
  std::vector<std::uint32_t> order_;    // reused by SortLevel
  std::uint64_t bytesHashed_ = 0;
  std::uint64_t bytesReported_ = 0;
};

}  // namespace qvl
