#include "browse/FolderIndex.h"

#include <algorithm>
#include <stdexcept>

namespace qvl {

void FolderIndex::Clear() {
  names_.clear();
  nameEnds_.clear();
  parents_.clear();
  positions_.clear();
  prepared_ = 0;
  classes_.clear();
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
  std::string path;
  AppendPath(i, path);
  return path;
}

void FolderIndex::AppendPath(std::size_t i, std::string& out) const {
  // Measured first, then filled from its end: a search makes one per hit.
  std::size_t length = 1;
  for (std::size_t folder = i; folder != kRoot; folder = parents_[folder]) length += Name(folder).size() + 1;
  const std::size_t start = out.size();
  out.resize(start + length, '\\');
  char* path = out.data() + start;
  for (std::size_t folder = i, end = length - 1; folder != kRoot; folder = parents_[folder]) {
    std::string_view name = Name(folder);
    end -= name.size();
    name.copy(path + end, name.size());
    path[--end] = '\\';
  }
}

void FolderIndex::Prepare() const {
  if (prepared_ == Count() && !classes_.empty()) return;
  prepared_ = Count();
  // Children of each folder, in folder order, by a counting sort on the parent.
  childStart_.assign(Count() + 1, 0);
  for (std::size_t folder = 1; folder < Count(); ++folder) ++childStart_[parents_[folder] + 1];
  for (std::size_t i = 1; i <= Count(); ++i) childStart_[i] += childStart_[i - 1];
  childList_.assign(Count(), 0);
  std::vector<std::uint32_t> next(childStart_.begin(), childStart_.end() - 1);
  for (std::size_t folder = 1; folder < Count(); ++folder)
    childList_[next[parents_[folder]]++] = static_cast<std::uint32_t>(folder);
  byKey_.Clear();
  classes_.assign(1, PathClass{0, 0});  // class 0 is the root's path, ""
  classes_.reserve(Count());
  nextMember_.assign(Count(), kNone);
  folderClass_.assign(Count(), kNone);
}

std::uint32_t FolderIndex::NewClass() const {
  classes_.emplace_back();
  return static_cast<std::uint32_t>(classes_.size() - 1);
}

void FolderIndex::AddMember(std::uint32_t pathClass, std::uint32_t folder) const {
  PathClass& added = classes_[pathClass];
  nextMember_[folder] = added.memberHead;
  added.memberHead = folder;
  if (added.firstFolder == kNone || folder < added.firstFolder) added.firstFolder = folder;
  folderClass_[folder] = pathClass;
}

std::uint32_t FolderIndex::Guess(std::uint32_t parent, std::string_view name) const {
  // Look-ups tend to go through a folder's subfolders in order, spelt as the
  // catalogue spells them: the subfolder after the last one found is tried first,
  // by its bytes. Only for a class of one folder, whose subfolders are one list.
  const PathClass& at = classes_[parent];
  const std::uint32_t member = at.memberHead;
  if (member == kNone || nextMember_[member] != kNone) return kNone;
  const std::uint32_t slot = childStart_[member] + at.nextGuess;
  if (slot >= childStart_[member + 1] || Name(childList_[slot]) != name) return kNone;
  ++classes_[parent].nextGuess;
  return folderClass_[childList_[slot]];
}

void FolderIndex::Guessed(std::uint32_t parent, std::uint32_t pathClass) const {
  const std::uint32_t member = classes_[parent].memberHead;
  const std::uint32_t found = classes_[pathClass].firstFolder;
  if (member == kNone || nextMember_[member] != kNone || found == kNone || parents_[found] != member) return;
  // Children are in folder order, so the one found is placed by a binary search.
  const auto begin = childList_.begin() + childStart_[member], end = childList_.begin() + childStart_[member + 1];
  classes_[parent].nextGuess = static_cast<std::uint32_t>(std::lower_bound(begin, end, found) - begin) + 1;
}

std::uint32_t FolderIndex::Intern(std::uint32_t parent, std::string_view name, bool create) const {
  if (!create) {
    std::uint32_t guessed = Guess(parent, name);
    if (guessed != kNone) return guessed;
  }
  key_.clear();
  AppendFoldKey(name, key_);
  std::uint32_t pathClass = byKey_.Find(parent, key_);
  if (pathClass == kNone) {
    if (!create) return kNone;
    pathClass = NewClass();
    byKey_.Insert(parent, key_, pathClass);
  } else if (!create) {
    Guessed(parent, pathClass);
  }
  return pathClass;
}

void FolderIndex::Expand(std::uint32_t pathClass) const {
  if (classes_[pathClass].expanded) return;
  classes_[pathClass].expanded = true;
  for (std::uint32_t member = classes_[pathClass].memberHead; member != kNone; member = nextMember_[member]) {
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
      AddMember(childClass, child);
    }
  }
}

std::optional<std::size_t> FolderIndex::Find(std::string_view path) const {
  if (Empty() || path.empty() || path.front() != '\\' || path.back() != '\\') return std::nullopt;
  if (path.size() == 1) return kRoot;
  auto pathClass = ChildClass(kRootClass, path.substr(1, path.size() - 2));
  return pathClass ? FirstOfClass(*pathClass) : std::nullopt;
}

std::optional<std::uint32_t> FolderIndex::ChildClass(std::uint32_t pathClass, std::string_view name) const {
  if (Empty()) return std::nullopt;
  Prepare();
  // A name holding a backslash stands for several names, as in Expand.
  for (std::size_t start = 0;;) {
    std::size_t end = name.find('\\', start);
    Expand(pathClass);
    pathClass = Intern(pathClass, name.substr(start, end - start), false);
    if (pathClass == kNone) return std::nullopt;
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return pathClass;
}

std::optional<std::size_t> FolderIndex::FirstOfClass(std::uint32_t pathClass) const {
  if (Empty()) return std::nullopt;
  Prepare();
  // A class made only for the names inside a name has no folder of its own.
  if (pathClass >= classes_.size() || classes_[pathClass].firstFolder == kNone) return std::nullopt;
  return classes_[pathClass].firstFolder;
}

std::span<const std::uint32_t> FolderIndex::Children(std::size_t i) const {
  Prepare();
  return std::span<const std::uint32_t>(childList_).subspan(childStart_[i], childStart_[i + 1] - childStart_[i]);
}

}  // namespace qvl
