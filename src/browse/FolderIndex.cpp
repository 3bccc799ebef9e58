#include "browse/FolderIndex.h"

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
  byName_.Clear();
  classes_.assign(1, PathClass{0, 0});  // class 0 is the root's path, ""
  classes_.reserve(Count());
  nextMember_.assign(Count(), kNone);
  folderClass_.assign(Count(), kNone);
}

std::uint32_t FolderIndex::NewClass(std::uint32_t parent) const {
  classes_[parent].hasChildClasses = true;
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

std::uint32_t FolderIndex::Intern(std::uint32_t parent, std::string_view name, bool create) const {
  if (classes_[parent].sorted) return FindSorted(parent, name);
  // Names met before in the same letters need no sort key: most look-ups find
  // the very name that the catalogue holds. Names being classed are rarely met
  // twice.
  std::uint32_t pathClass = create ? kNone : byName_.Find(parent, name);
  if (pathClass != kNone) return pathClass;
  key_.clear();
  collator_.AppendSortKey(name, key_);
  pathClass = byKey_.Find(parent, key_);
  if (pathClass == kNone) {
    if (!create) return kNone;
    pathClass = NewClass(parent);
    byKey_.Insert(parent, key_, pathClass);
  }
  byName_.Insert(parent, name, pathClass);
  return pathClass;
}

void FolderIndex::Expand(std::uint32_t pathClass) const {
  if (classes_[pathClass].expanded) return;
  classes_[pathClass].expanded = true;
  if (!ExpandSorted(pathClass)) ExpandKeyed(pathClass);
}

// The usual case: a folder alone in its class whose subfolders come in sorted
// order, as a listing writes them. Equal names stand side by side, so one
// comparison per name classes them, and look-ups search the names themselves:
// no sort keys, no table.
bool FolderIndex::ExpandSorted(std::uint32_t pathClass) const {
  std::uint32_t member = classes_[pathClass].memberHead;
  if (member == kNone || nextMember_[member] != kNone || classes_[pathClass].hasChildClasses) return false;
  const std::uint32_t begin = childStart_[member], end = childStart_[member + 1];
  orders_.assign(end - begin, -1);
  for (std::uint32_t i = begin; i < end; ++i) {
    if (Name(childList_[i]).find('\\') != std::string_view::npos) return false;
    if (i == begin) continue;
    int order = collator_.Compare(Name(childList_[i - 1]), Name(childList_[i]));
    if (order > 0) return false;
    orders_[i - begin] = static_cast<signed char>(order);
  }
  std::uint32_t childClass = kNone;
  for (std::uint32_t i = begin; i < end; ++i) {
    if (orders_[i - begin] < 0) childClass = NewClass(pathClass);
    AddMember(childClass, childList_[i]);
  }
  classes_[pathClass].sorted = true;
  return true;
}

std::uint32_t FolderIndex::FindSorted(std::uint32_t pathClass, std::string_view name) const {
  const std::uint32_t member = classes_[pathClass].memberHead;
  const std::uint32_t* children = childList_.data() + childStart_[member];
  const std::uint32_t count = childStart_[member + 1] - childStart_[member];
  // Look-ups tend to go through a folder's subfolders in order: the one after
  // the last found is tried first.
  std::uint32_t& next = classes_[pathClass].nextGuess;
  if (next < count && Name(children[next]) == name) return folderClass_[children[next++]];
  std::uint32_t low = 0, high = count;
  while (low < high) {
    std::uint32_t middle = low + (high - low) / 2;
    int order = collator_.Compare(Name(children[middle]), name);
    if (order == 0) {
      next = middle + 1;
      return folderClass_[children[middle]];
    }
    if (order < 0)
      low = middle + 1;
    else
      high = middle;
  }
  return kNone;
}

void FolderIndex::ExpandKeyed(std::uint32_t pathClass) const {
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
