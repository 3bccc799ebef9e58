#include "listing/CompanionCollector.h"

namespace qvl {
namespace {

std::int64_t TimeAt(const std::vector<std::int64_t>& times, std::size_t i) {
  return i < times.size() ? times[i] : kUnknownTime;
}

}  // namespace

void CompanionCollector::BeginFolder(const WalkState& state) {
  writer_.BeginFolder(state);
  const WalkLevel& level = state.Current();
  data_.folderFirstEntry.push_back(data_.EntryCount());
  for (std::size_t i = 0; i < level.FolderNames.size(); ++i) data_.AddEntry(TimeAt(level.FolderTimes, i));
  for (std::size_t i = 0; i < level.FileNames.size(); ++i) {
    const Hash128* hash = i < level.FileHashes.size() && level.FileHashes[i] ? &*level.FileHashes[i] : nullptr;
    data_.AddEntry(TimeAt(level.FileTimes, i), hash);
  }
  data_.volume.files += level.FileNames.size();
  if (level.FolderBytes > 0) data_.volume.bytes += static_cast<std::uint64_t>(level.FolderBytes);
}

}  // namespace qvl
