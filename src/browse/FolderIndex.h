#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "browse/ClassTable.h"
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
// Find ignores letter case (EqualIgnoringCase), comparing paths name by name,
// and finds the first of several equal paths. Its keys are made by look-ups, as
// they need them, not during the load, which only appends.
//
// Threads: even const look-ups fill caches, so an index is not shared across
// threads; it goes with its catalogue's one operation at a time.
class FolderIndex {
 public:
  static constexpr std::size_t kRoot = 0;

  // Names are matched by EqualIgnoringCase alone, not by the collation: names it
  // holds equal may still differ in more than letter case.

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
  // Path(i) appended to `out`, for callers that make many paths into one buffer.
  void AppendPath(std::size_t i, std::string& out) const;
  std::string_view Name(std::size_t i) const;
  // The folder that holds folder i; the root for the root.
  std::size_t Parent(std::size_t i) const { return parents_[i]; }
  std::int64_t Position(std::size_t i) const { return positions_[i]; }
  // The merge marks a folder whose records it has copied with position 0.
  void SetPosition(std::size_t i, std::int64_t position) { positions_[i] = position; }
  const std::vector<std::int64_t>& Positions() const { return positions_; }

  // The first folder whose path is equal to `path`.
  std::optional<std::size_t> Find(std::string_view path) const;

  // Find one name at a time, for a walk down a tree: paths that compare equal form
  // a class; the root's path is class kRootClass, and ChildClass gives the class of
  // a path one name longer, none when no folder's path begins so.
  static constexpr std::uint32_t kRootClass = 0;
  std::optional<std::uint32_t> ChildClass(std::uint32_t pathClass, std::string_view name) const;
  // The first folder of a class; none for a class made only for the names inside
  // a name that holds a backslash.
  std::optional<std::size_t> FirstOfClass(std::uint32_t pathClass) const;

  // The folders whose parent is `i`, in folder order.
  std::span<const std::uint32_t> Children(std::size_t i) const;

 private:
  static constexpr std::uint32_t kNone = UINT32_MAX;
  void Prepare() const;
  void Expand(std::uint32_t pathClass) const;
  std::uint32_t NewClass() const;
  void AddMember(std::uint32_t pathClass, std::uint32_t folder) const;
  // The class of a subfolder of `parent` named `name` byte for byte, tried where
  // the last look-up left off; kNone when that is not it.
  std::uint32_t Guess(std::uint32_t parent, std::string_view name) const;
  void Guessed(std::uint32_t parent, std::uint32_t pathClass) const;
  // The class of the paths of class `parent` plus "\" and `name`; kNone when there
  // is none and `create` is false.
  std::uint32_t Intern(std::uint32_t parent, std::string_view name, bool create) const;

  std::string names_;                  // all names back to back
  std::vector<std::size_t> nameEnds_;  // where each name ends in names_
  std::vector<std::uint32_t> parents_;
  std::vector<std::int64_t> positions_;

  // Paths that compare equal form a class. Classes are made level by level as
  // look-ups go down, so a look-up keys only the folders beside its way.
  struct PathClass {
    std::uint32_t firstFolder = kNone;  // its first folder, or kNone
    std::uint32_t memberHead = kNone;   // a folder of it, or kNone
    std::uint32_t nextGuess = 0;        // one member: the subfolder a look-up tries first
    bool expanded = false;              // its children have classes
  };
  mutable std::size_t prepared_ = 0;                  // folders when Prepare ran
  mutable std::vector<std::uint32_t> childStart_;     // children of folder i: childList_
  mutable std::vector<std::uint32_t> childList_;      //   [childStart_[i], childStart_[i + 1])
  mutable std::vector<PathClass> classes_;
  mutable std::vector<std::uint32_t> nextMember_;     // per folder: the next of its class
  mutable std::vector<std::uint32_t> folderClass_;    // per folder: its class, once made
  // The classes made so far, by parent class and the name's fold key.
  mutable ClassTable byKey_;
  mutable std::string key_;    // room for one fold key
};

}  // namespace qvl
