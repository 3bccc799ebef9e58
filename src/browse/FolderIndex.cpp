#include "browse/FolderIndex.h"

#include <cstring>
#include <stdexcept>

namespace qvl {

void FolderIndex::Clear() {
  names_.clear();
  nameEnds_.clear();
  parents_.clear();
  positions_.clear();
  classes_.clear();
  firstFolder_.clear();
  folderClass_.clear();
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
  std::vector<std::size_t> chain;
  for (std::size_t folder = i; folder != kRoot; folder = parents_[folder]) chain.push_back(folder);
  std::string path = "\\";
  for (auto folder = chain.rbegin(); folder != chain.rend(); ++folder) {
    path += Name(*folder);
    path += '\\';
  }
  return path;
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
  if (added) firstFolder_.push_back(kNone);
  return entry->second;
}

void FolderIndex::KeyFolders() const {
  if (firstFolder_.empty() && !Empty()) {
    firstFolder_.push_back(0);  // the root's class
    folderClass_.push_back(0);
  }
  while (folderClass_.size() < Count()) {
    auto folder = static_cast<std::uint32_t>(folderClass_.size());
    // A name holding a backslash stands for several names of a path.
    std::uint32_t pathClass = folderClass_[parents_[folder]];
    std::string_view name = Name(folder);
    for (std::size_t start = 0;;) {
      std::size_t end = name.find('\\', start);
      pathClass = Intern(pathClass, name.substr(start, end - start), true);
      if (end == std::string_view::npos) break;
      start = end + 1;
    }
    if (firstFolder_[pathClass] == kNone) firstFolder_[pathClass] = folder;
    folderClass_.push_back(pathClass);
  }
}

std::optional<std::size_t> FolderIndex::Find(std::string_view path) const {
  if (Empty() || path.empty() || path.front() != '\\' || path.back() != '\\') return std::nullopt;
  KeyFolders();
  std::uint32_t pathClass = 0;
  for (std::size_t start = 1; start < path.size() && pathClass != kNone;) {
    std::size_t end = path.find('\\', start);
    pathClass = Intern(pathClass, path.substr(start, end - start), false);
    start = end + 1;
  }
  if (pathClass == kNone || firstFolder_[pathClass] == kNone) return std::nullopt;
  return firstFolder_[pathClass];
}

}  // namespace qvl
