#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/Locale.h"

namespace qvl {

// The folder index of a catalogue: every folder in the order of its records, with
// the file position at which its records begin (just past the tag that ends its
// name). Positions only grow along the list. A folder's path is "\" for the root,
// else "\" and the names from the root down, each followed by "\".
//
// Folders are kept as a tree of names, not as whole paths: deep trees have paths
// many times longer than the catalogue itself.
//
// Find ignores letter case as the collator does, comparing paths name by name,
// and finds the first of several equal paths. Its keys are made by look-ups, as
// they need them, not during the load, which only appends.
class FolderIndex {
 public:
  static constexpr std::size_t kRoot = 0;

  explicit FolderIndex(const Collator& collator) : collator_(collator) {}

  void Clear();
  // Room for `folders` folders whose names take `nameBytes`, so that a load does
  // not copy the index as it grows.
  void Reserve(std::size_t folders, std::size_t nameBytes);
  // The root comes first, into an empty index; every other folder names its
  // parent, which came before it.
  void AppendRoot(std::int64_t position);
  void AppendFolder(std::size_t parent, std::string_view name, std::int64_t position);

  std::size_t Count() const { return positions_.size(); }
  bool Empty() const { return positions_.empty(); }
  std::string Path(std::size_t i) const;
  std::string_view Name(std::size_t i) const;
  std::int64_t Position(std::size_t i) const { return positions_[i]; }
  // The merge marks a folder whose records it has copied with position 0.
  void SetPosition(std::size_t i, std::int64_t position) { positions_[i] = position; }
  const std::vector<std::int64_t>& Positions() const { return positions_; }

  // The first folder whose path is equal to `path`.
  std::optional<std::size_t> Find(std::string_view path) const;

 private:
  static constexpr std::uint32_t kNone = UINT32_MAX;
  void Prepare() const;
  void Expand(std::uint32_t pathClass) const;
  // The class of the paths of class `parent` plus "" and `name`; kNone when there
  // is none and `create` is false.
  std::uint32_t Intern(std::uint32_t parent, std::string_view name, bool create) const;

  const Collator& collator_;
  std::string names_;                  // all names back to back
  std::vector<std::size_t> nameEnds_;  // where each name ends in names_
  std::vector<std::uint32_t> parents_;
  std::vector<std::int64_t> positions_;

  // Paths that compare equal form a class. Classes are made level by level as
  // look-ups go down, so a look-up keys only the folders beside its way.
  mutable std::size_t prepared_ = 0;                  // folders when Prepare ran
  mutable std::vector<std::uint32_t> childStart_;     // children of folder i: childList_
  mutable std::vector<std::uint32_t> childList_;      //   [childStart_[i], childStart_[i + 1])
  mutable std::unordered_map<std::string, std::uint32_t> classes_;  // parent class + name key
  mutable std::vector<std::uint32_t> firstFolder_;    // per class: its first folder, or kNone
  mutable std::vector<std::uint32_t> memberHead_;     // per class: a folder of it, or kNone
  mutable std::vector<std::uint32_t> nextMember_;     // per folder: the next of its class
  mutable std::vector<bool> expanded_;                // per class: its children have classes
};

}  // namespace qvl
