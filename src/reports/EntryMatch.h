#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "reports/ReportEntry.h"

namespace qvl {

// The rules by which the reports take two entries for the same file. Sizes, dates
// and hashes count only where both entries know them; names are compared as the
// catalogue's look-ups compare them (letter case ignored, EqualIgnoringCase).

// What differs between an entry and the entry of the same name in another
// catalogue: bits of ChangedPart, 0 when nothing known to both differs.
enum ChangedPart : unsigned { kSizeChanged = 1, kDateChanged = 2, kHashChanged = 4 };
unsigned ChangedParts(const ReportEntry& before, const ReportEntry& after);
// "size", "size,date", ...
std::string ChangedPartsText(unsigned parts);

// The entries of one folder in two catalogues, paired by name (a file and a folder
// of one name are two things). A name that stands several times on a side (a
// merged catalogue) pairs first with copies the same on the other side, then in
// order of appearance; what is left over was removed or added.
struct EntryPairing {
  std::vector<std::pair<std::size_t, std::size_t>> same;     // (before, after)
  std::vector<std::pair<std::size_t, std::size_t>> changed;  // (before, after)
  std::vector<std::size_t> removed;                          // of before, in order
  std::vector<std::size_t> added;                            // of after, in order
};
EntryPairing PairEntries(std::span<const ReportEntry> before, std::span<const ReportEntry> after);

// Files removed from one folder and added in another that are one file moved: the
// same name and size (both known), the same hash where both have one, and the only
// such pair: no other removed or added file has that name and size. Pairs of
// (removed, added) indices, in the order of the added.
std::vector<std::pair<std::size_t, std::size_t>> PairMoves(std::span<const ReportEntry> removed,
                                                           std::span<const ReportEntry> added);

// Two files are copies of one another when both have a hash and the hashes (and
// sizes) are equal; otherwise when their names (letter case ignored) and sizes are
// equal. Files without a size are never copies of anything, nor files below
// `minSize`. Groups: every file with a hash groups with the files of its hash; a
// file without one groups with those of its name and size, and joins the group of
// a hash when the files of its name and size that have a hash all have that one.
struct DuplicateGroups {
  std::vector<std::uint32_t> members;  // group g: members[starts[g], starts[g + 1])
  std::vector<std::size_t> starts{0};
  std::vector<std::int64_t> sizes;  // group g: the size of its files
  std::size_t Count() const { return starts.size() - 1; }
  std::span<const std::uint32_t> Group(std::size_t g) const {
    return std::span<const std::uint32_t>(members).subspan(starts[g], starts[g + 1] - starts[g]);
  }
};
// `at(i)` gives the i-th of `count` entries (folders among them are passed over);
// groups of two or more, members in index order, groups by their first member.
template <class At>
DuplicateGroups GroupDuplicates(std::size_t count, At at, std::int64_t minSize);
// The same with each file's NameSizeKey already made: `nameKeyAt(i)`.
template <class At, class KeyAt>
DuplicateGroups GroupDuplicatesKeyed(std::size_t count, At at, KeyAt nameKeyAt, std::int64_t minSize);

// The files of one catalogue, each told whether a file of other catalogues is a
// copy of it by the rule above; memory grows with these files alone, while any
// number of others are offered.
class CopyFinder {
 public:
  explicit CopyFinder(std::int64_t minSize) : minSize_(minSize) {}
  // Adds a file of the catalogue; its number is the count added before. Files that
  // can have no copy (no size, below the least size) are taken and never found.
  std::uint32_t Add(const ReportEntry& file);
  // Marks the files of which `other` is a copy.
  void Offer(const ReportEntry& other);
  bool Found(std::uint32_t file) const { return files_[file].found; }
  std::size_t Count() const { return files_.size(); }

 private:
  struct File {
    std::uint64_t nameKey = 0;
    std::int64_t size = -1;  // -1: can have no copy
    std::size_t keyStart = 0, keyLength = 0;  // its fold key in keys_
    std::uint32_t nextSameName = UINT32_MAX;
    std::uint32_t nextSameHash = UINT32_MAX;
    bool hasHash = false;
    bool found = false;
    ContentHash hash{};
  };
  void Link(std::vector<std::pair<std::uint64_t, std::uint32_t>>& table, std::uint64_t key, std::uint32_t file,
            std::uint32_t File::*next);
  std::uint32_t Lookup(const std::vector<std::pair<std::uint64_t, std::uint32_t>>& table, std::uint64_t key) const;
  void Grow(std::vector<std::pair<std::uint64_t, std::uint32_t>>& table);

  std::int64_t minSize_;
  std::vector<File> files_;
  std::string keys_;
  std::string key_;  // room for one fold key
  // Open addressing: (key, first file of the key); sizes a power of two.
  std::vector<std::pair<std::uint64_t, std::uint32_t>> byName_, byHash_;
  std::size_t names_ = 0, hashes_ = 0;
};

// Keys: a name's fold key with its size, and a hash with its size, as 64 bits.
std::uint64_t NameSizeKey(std::string_view foldKey, std::int64_t size);
std::uint64_t HashSizeKey(const ContentHash& hash, std::int64_t size);
// A key made without case folding, equal for every two names that are equal
// without regard to case (and for many that are not): of the size and the name's
// bytes that are ASCII but no letter, which no letter of any case folds to.
std::uint64_t CaseBlindKey(std::string_view name, std::int64_t size);

}  // namespace qvl

#include "reports/GroupDuplicates.inl"
