#include "listing/Walk.h"

#include "catalogue/Fields.h"

namespace qvl {
namespace {

// Folders are told apart by a range test on the whole attribute word, not by the
// folder bit: 0x0A to 0x16 is a folder, anything else a file. So a folder that
// carries other bits (a reparse point, a mount point) is listed as a file and never
// entered.
bool IsFolderWord(std::uint32_t attributes) { return attributes >= 10 && attributes <= 22; }

}  // namespace

DriveWalk::DriveWalk(DirectorySource& source, const Collator& collator, FolderWriter& writer,
                     Progress& progress, Options options)
    : source_(source), collator_(collator), writer_(writer), progress_(progress), options_(options) {}

void DriveWalk::Run(char driveLetter) {
  state_.ListPath = std::string(1, AsciiUpper(driveLetter)) + ":\\";
  state_.ListDepth = 1;
  if (state_.levels.empty()) state_.levels.emplace_back();
  state_.levels[0] = WalkLevel{};
  pathNames_.clear();
  WalkFolder();
}

void DriveWalk::WalkFolder() {
  // The recursion of the walk, kept in the levels of the walk state instead of on
  // the stack, so that no depth can overflow it.
  const std::size_t startDepth = state_.ListDepth;
  ListCurrentFolder();
  for (;;) {
    WalkLevel& level = CurrentLevel();
    if (level.NextFolder < level.FolderNames.size()) {
      std::string name = level.FolderNames[level.NextFolder++];
      EnterFolder(name);
      ListCurrentFolder();
      continue;
    }
    writer_.EndFolder(state_);
    bool finished = state_.ListDepth == startDepth;
    LeaveFolder();
    if (finished) return;
  }
}

void DriveWalk::ListCurrentFolder() {
  // An unreadable folder is listed as an empty one, and said to be unreadable.
  if (source_.Enumerate(pathNames_, entries_)) {
    for (const DirEntry& entry : entries_) ClassifyEntry(entry);
  } else {
    progress_.FolderUnreadable(state_.ListPath, source_.FailureReason());
  }
  WalkLevel& level = CurrentLevel();
  collator_.Sort(level.FileNames);
  collator_.Sort(level.FolderNames);
  source_.ExpectFolders(pathNames_, level.FolderNames);
  writer_.BeginFolder(state_);
}

void DriveWalk::ClassifyEntry(const DirEntry& entry) {
  if (entry.name == "." || entry.name == "..") return;
  WalkLevel& level = CurrentLevel();
  if (IsFolderWord(entry.attributes)) {
    level.FolderNames.push_back(entry.name);
    return;
  }
  level.FolderBytes = AddBytes(level.FolderBytes, entry.size);
  level.FileNames.push_back(options_.entryTextWithSize ? EntryText(entry.name, entry.size) : entry.name);
}

void DriveWalk::EnterFolder(const std::string& name) {
  ++state_.ListDepth;
  if (state_.levels.size() < state_.ListDepth) state_.levels.emplace_back();
  WalkLevel& level = CurrentLevel();
  level.FolderName = name;
  level.FolderBytes = 0;
  level.NextFolder = 0;
  state_.ListPath += name;
  state_.ListPath += '\\';
  pathNames_.push_back(name);
  progress_.Status("Listing " + state_.ListPath);
}

void DriveWalk::LeaveFolder() {
  WalkLevel& level = CurrentLevel();
  level.FileNames.clear();
  level.FolderNames.clear();
  // Back by the folder's own name, not to the last backslash: a name may hold one.
  if (state_.ListDepth > 1)
    state_.ListPath.resize(state_.ListPath.size() - level.FolderName.size() - 1);
  else
    state_.ListPath.clear();
  --state_.ListDepth;
  if (!pathNames_.empty()) pathNames_.pop_back();
  progress_.Status("Listing " + state_.ListPath);
}

}  // namespace qvl
