#include "listing/Walk.h"

#include <algorithm>
#include <tuple>

#include "catalogue/Fields.h"
#include "catalogue/TextHelpers.h"

namespace qvl {
namespace {

// Folders are told apart by a range test on the whole attribute word, not by the
// folder bit: 0x0A to 0x16 is a folder, anything else a file. So a folder that
// carries other bits (a reparse point, a mount point) is listed as a file and never
// entered.
bool IsFolderWord(std::uint32_t attributes) { return attributes >= 10 && attributes <= 22; }

// A regular file: what the enumeration marks with the archive bit alone, besides
// hidden and read-only.
bool IsRegularFile(std::uint32_t attributes) {
  return (attributes & ~(attr::Hidden | attr::ReadOnly)) == attr::Archive;
}

// Puts the items of each list into the order `order` gives (position i gets the
// item at order[i]), in place, one cycle of the permutation at a time; `order`
// is used up.
template <class... Lists>
void PermuteTogether(std::vector<std::uint32_t>& order, Lists&... lists) {
  for (std::uint32_t i = 0; i < order.size(); ++i) {
    if (order[i] == i) continue;
    auto held = std::make_tuple(std::move(lists[i])...);
    for (std::uint32_t j = i;;) {
      const std::uint32_t k = order[j];
      order[j] = j;
      if (k == i) {
        std::apply([&](auto&... item) { ((lists[j] = std::move(item)), ...); }, held);
        break;
      }
      ((lists[j] = std::move(lists[k])), ...);
      j = k;
    }
  }
}

constexpr std::uint64_t kHashReportBytes = std::uint64_t{32} << 20;

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

void DriveWalk::RunFolder(const std::vector<std::string>& pathNames, const std::string& listPath) {
  state_.ListPath = listPath;
  state_.ListDepth = pathNames.size() + 1;
  if (state_.levels.size() < state_.ListDepth) state_.levels.resize(state_.ListDepth);
  WalkLevel& level = CurrentLevel();
  level = WalkLevel{};
  if (!pathNames.empty()) level.FolderName = pathNames.back();
  pathNames_ = pathNames;
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
    for (DirEntry& entry : entries_) ClassifyEntry(entry);
  } else {
    progress_.FolderUnreadable(state_.ListPath, source_.FailureReason());
  }
  WalkLevel& level = CurrentLevel();
  SortLevel(level);
  source_.ExpectFolders(pathNames_, level.FolderNames);
  writer_.BeginFolder(state_);
  if (handOff_ != nullptr && !level.FolderNames.empty() && handOff_->TakeSubfolders(state_, pathNames_))
    level.NextFolder = level.FolderNames.size();
}

void DriveWalk::SortLevel(WalkLevel& level) {
  if (!options_.keepTimes) {
    collator_.Sort(level.FileNames);
    collator_.Sort(level.FolderNames);
    return;
  }
  // The order Collator::Sort gives, found once and applied to the times and
  // hashes as well as the names.
  auto sortOrder = [this](const std::vector<std::string>& names) {
    order_.resize(names.size());
    for (std::size_t i = 0; i < order_.size(); ++i) order_[i] = static_cast<std::uint32_t>(i);
    std::sort(order_.begin(), order_.end(), [&](std::uint32_t a, std::uint32_t b) {
      int order = collator_.Compare(names[a], names[b]);
      if (order != 0) return order < 0;
      return names[a] != names[b] ? names[a] < names[b] : a < b;
    });
  };
  sortOrder(level.FileNames);
  if (level.FileHashes.size() == level.FileNames.size())
    PermuteTogether(order_, level.FileNames, level.FileTimes, level.FileHashes);
  else
    PermuteTogether(order_, level.FileNames, level.FileTimes);
  sortOrder(level.FolderNames);
  PermuteTogether(order_, level.FolderNames, level.FolderTimes);
}

std::optional<Hash128> DriveWalk::HashEntry(const DirEntry& entry) {
  Hash128 hash;
  auto read = [this](std::uint64_t bytes) {
    bytesHashed_ += bytes;
    if (bytesHashed_ - bytesReported_ >= kHashReportBytes) ReportListing();
  };
  if (source_.HashFile(pathNames_, entry.name, hash, read)) return hash;
  progress_.FileUnreadable(state_.ListPath + entry.name, source_.FailureReason());
  return std::nullopt;
}

void DriveWalk::ReportListing() {
  if (!options_.reportFolders) return;
  if (!options_.hashFiles) {
    progress_.Status("Listing " + state_.ListPath);
    return;
  }
  bytesReported_ = bytesHashed_;
  progress_.Status("Listing " + state_.ListPath + " (" + GroupDigits(std::to_string(bytesHashed_ / 1000000)) +
                   " MB read)");
}

void DriveWalk::ClassifyEntry(DirEntry& entry) {
  if (entry.name == "." || entry.name == "..") return;
  WalkLevel& level = CurrentLevel();
  if (IsFolderWord(entry.attributes)) {
    level.FolderNames.push_back(std::move(entry.name));
    if (options_.keepTimes) level.FolderTimes.push_back(entry.modified);
    return;
  }
  level.FolderBytes = AddBytes(level.FolderBytes, entry.size);
  // The hash reads the file by its name, so the name goes to the list last.
  std::optional<Hash128> hash;
  const bool hashed = options_.keepTimes && options_.hashFiles;
  if (hashed && IsRegularFile(entry.attributes)) hash = HashEntry(entry);
  if (options_.entryTextWithSize)
    level.FileNames.push_back(EntryText(entry.name, entry.size));
  else
    level.FileNames.push_back(std::move(entry.name));
  if (!options_.keepTimes) return;
  level.FileTimes.push_back(entry.modified);
  if (hashed) level.FileHashes.push_back(hash);
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
  ReportListing();
}

void DriveWalk::LeaveFolder() {
  WalkLevel& level = CurrentLevel();
  level.FileNames.clear();
  level.FolderNames.clear();
  level.FileTimes.clear();
  level.FolderTimes.clear();
  level.FileHashes.clear();
  // Back by the folder's own name, not to the last backslash: a name may hold one.
  if (state_.ListDepth > 1)
    state_.ListPath.resize(state_.ListPath.size() - level.FolderName.size() - 1);
  else
    state_.ListPath.clear();
  --state_.ListDepth;
  if (!pathNames_.empty()) pathNames_.pop_back();
  ReportListing();
}

}  // namespace qvl
