#include "browse/FolderIndex.h"

#include <cstring>
#include <stdexcept>

namespace qvl {

void FolderIndex::Clear() {
  names_.clear();
  nameEnds_.clear();
  parents_.clear();
  positions_.clear();
  prepared_ = 0;
  firstFolder_.clear();
}

void FolderIndex::Reserve(std::size_t folders, std::size_t nameBytes) {
  names_.reserve(nameBytes);
  nameEnds_.reserve(folders);
  parents_.reserve(folders);
  positions_.reserve(folders);
}

void FolderIndex::AppendRoot(std::int64_t position) { AppendFolder(kRoot, {}, position); }

void FolderIndex::AppendFolder(std::size_t parent, std::string_view name, std::int64_t position) {
  if (Count() >= kNone) throw std::length_error("A catalogue has more folders than the folder index can hold");
  names_.append(name);
  nameEnds_.push_back(names_.size());
  parents_.push_back(static_cast<std::uint32_t>(parent < Count() ? parent : kRoot));
  positions_.push_back(position);
}

std::string_view FolderIndex::Name(std::size_t i) const {
  std::size_t start = i == 0 ? 0 : nameEnds_[i - 1];
  return std::string_view(names_).substr(start, nameEnds_[i] - start);
}

std::string FolderIndex::Path(std::size_t i) const {
  // Measured first, then filled from its end: a search makes one per hit.
  std::size_t length = 1;
  for (std::size_t folder = i; folder != kRoot; folder = parents_[folder]) length += Name(folder).size() + 1;
  std::string path(length, '\\');
  for (std::size_t folder = i, end = length - 1; folder != kRoot; folder = parents_[folder]) {
    std::string_view name = Name(folder);
    end -= name.size();
    name.copy(path.data() + end, name.size());
    --end;
  }
  return path;
}

void FolderIndex::Prepare() const {
  if (prepared_ == Count() && !firstFolder_.empty()) return;
  prepared_ = Count();
  // Children of each folder, in folder order, by a counting sort on the parent.
  childStart_.assign(Count() + 1, 0);
  for (std::size_t folder = 1; folder < Count(); ++folder) ++childStart_[parents_[folder] + 1];
  for (std::size_t i = 1; i <= Count(); ++i) childStart_[i] += childStart_[i - 1];
  childList_.assign(Count(), 0);
  std::vector<std::uint32_t> next(childStart_.begin(), childStart_.end() - 1);
  for (std::size_t folder = 1; folder < Count(); ++folder)
    childList_[next[parents_[folder]]++] = static_cast<std::uint32_t>(folder);
  classes_.clear();
  firstFolder_.assign(1, 0);  // class 0 is the root's path, ""
  memberHead_.assign(1, 0);
  expanded_.assign(1, false);
  nextMember_.assign(Count(), kNone);
}

std::uint32_t FolderIndex::Intern(std::uint32_t parent, std::string_view name, bool create) const {
  std::string key(sizeof parent, '\0');
  std::memcpy(key.data(), &parent, sizeof parent);
  key += collator_.SortKey(name);
  if (!create) {
    auto found = classes_.find(key);
    return found == classes_.end() ? kNone : found->second;
  }
  auto [entry, added] = classes_.try_emplace(std::move(key), static_cast<std::uint32_t>(firstFolder_.size()));
  if (added) {
    firstFolder_.push_back(kNone);
    memberHead_.push_back(kNone);
    expanded_.push_back(false);
  }
  return entry->second;
}

void FolderIndex::Expand(std::uint32_t pathClass) const {
  if (expanded_[pathClass]) return;
  expanded_[pathClass] = true;
  for (std::uint32_t member = memberHead_[pathClass]; member != kNone; member = nextMember_[member]) {
    for (std::uint32_t i = childStart_[member]; i < childStart_[member + 1]; ++i) {
      std::uint32_t child = childList_[i];
      // A name holding a backslash stands for several names of a path.
      std::string_view name = Name(child);
      std::uint32_t childClass = pathClass;
      for (std::size_t start = 0;;) {
        std::size_t end = name.find('\\', start);
        childClass = Intern(childClass, name.substr(start, end - start), true);
        if (end == std::string_view::npos) break;
        start = end + 1;
      }
      nextMember_[child] = memberHead_[childClass];
      memberHead_[childClass] = child;
      if (firstFolder_[childClass] == kNone || child < firstFolder_[childClass]) firstFolder_[childClass] = child;
    }
  }
}

std::optional<std::size_t> FolderIndex::Find(std::string_view path) const {
  if (Empty() || path.empty() || path.front() != '\\' || path.back() != '\\') return std::nullopt;
  Prepare();
  std::uint32_t pathClass = 0;
  for (std::size_t start = 1; start < path.size() && pathClass != kNone;) {
    std::size_t end = path.find('\\', start);
    Expand(pathClass);
    pathClass = Intern(pathClass, path.substr(start, end - start), false);
    start = end + 1;
  }
  if (pathClass == kNone || firstFolder_[pathClass] == kNone) return std::nullopt;
  return firstFolder_[pathClass];
}

}  // namespace qvl
