#pragma once

#include "platform/Locale.h"

namespace qvl {

namespace detail {

// Entries numbered into groups by a key of 64 bits, then by a test of true
// equality with each group's first entry, as keys may collide. Open addressing;
// groups are numbered in order of their first entry.
class KeyGroups {
 public:
  static constexpr std::uint32_t kEmpty = UINT32_MAX;

  template <class Same>
  std::uint32_t GroupOf(std::uint64_t key, std::uint32_t index, Same same) {
    if ((firsts_.size() + 1) * 2 > slots_.size()) Grow();
    for (std::size_t slot = Slot(key);; slot = (slot + 1) & (slots_.size() - 1)) {
      Entry& at = slots_[slot];
      if (at.group == kEmpty) {
        at = {key, static_cast<std::uint32_t>(firsts_.size())};
        firsts_.push_back(index);
        return at.group;
      }
      if (at.key == key && same(firsts_[at.group], index)) return at.group;
    }
  }
  std::uint32_t Count() const { return static_cast<std::uint32_t>(firsts_.size()); }

 private:
  struct Entry {
    std::uint64_t key = 0;
    std::uint32_t group = kEmpty;
  };
  std::size_t Slot(std::uint64_t key) const { return (key ^ (key >> 29)) & (slots_.size() - 1); }
  void Grow() {
    std::vector<Entry> old(slots_.empty() ? 1024 : slots_.size() * 2);
    old.swap(slots_);
    for (const Entry& entry : old) {
      if (entry.group == kEmpty) continue;
      std::size_t slot = Slot(entry.key);
      while (slots_[slot].group != kEmpty) slot = (slot + 1) & (slots_.size() - 1);
      slots_[slot] = entry;
    }
  }
  std::vector<Entry> slots_;
  std::vector<std::uint32_t> firsts_;
};

}  // namespace detail

template <class At>
DuplicateGroups GroupDuplicates(std::size_t count, At at, std::int64_t minSize) {
  std::string key;
  auto nameKeyAt = [&](std::size_t i) {
    const ReportEntry file = at(i);
    key.clear();
    AppendFoldKey(file.name, key);
    return NameSizeKey(key, file.size.value_or(0));
  };
  return GroupDuplicatesKeyed(count, at, nameKeyAt, minSize);
}

template <class At, class KeyAt>
DuplicateGroups GroupDuplicatesKeyed(std::size_t count, At at, KeyAt nameKeyAt, std::int64_t minSize) {
  constexpr std::uint32_t kNone = UINT32_MAX, kMixed = UINT32_MAX - 1;
  std::vector<std::uint32_t> hashGroup(count, kNone), nameGroup(count, kNone);
  detail::KeyGroups byHash, byName;
  auto sameHash = [&](std::uint32_t a, std::uint32_t b) {
    const ReportEntry x = at(a), y = at(b);
    return *x.size == *y.size && *x.hash == *y.hash;
  };
  auto sameName = [&](std::uint32_t a, std::uint32_t b) {
    const ReportEntry x = at(a), y = at(b);
    return *x.size == *y.size && EqualIgnoringCase(x.name, y.name);
  };
  for (std::size_t i = 0; i < count; ++i) {
    const ReportEntry file = at(i);
    if (file.isFolder || !file.size || *file.size < minSize) continue;
    auto index = static_cast<std::uint32_t>(i);
    nameGroup[i] = byName.GroupOf(nameKeyAt(i), index, sameName);
    if (file.hash) hashGroup[i] = byHash.GroupOf(HashSizeKey(*file.hash, *file.size), index, sameHash);
  }
  const std::uint32_t hashGroups = byHash.Count();

  // The one hash the hashed files of each name group share, if they do.
  std::vector<std::uint32_t> sharedHash(byName.Count(), kNone);
  for (std::size_t i = 0; i < count; ++i) {
    if (nameGroup[i] == kNone || hashGroup[i] == kNone) continue;
    std::uint32_t& shared = sharedHash[nameGroup[i]];
    shared = shared == kNone || shared == hashGroup[i] ? hashGroup[i] : kMixed;
  }
  // Each file's group, kept in nameGroup: a hash group's number, or hashGroups and
  // the name group's number.
  std::vector<std::uint32_t> sizes(std::size_t{hashGroups} + byName.Count(), 0);
  for (std::size_t i = 0; i < count; ++i) {
    if (nameGroup[i] == kNone) continue;
    std::uint32_t shared = sharedHash[nameGroup[i]];
    std::uint32_t group = hashGroup[i] != kNone                 ? hashGroup[i]
                          : shared != kNone && shared != kMixed ? shared
                                                                : hashGroups + nameGroup[i];
    nameGroup[i] = group;
    ++sizes[group];
  }
  hashGroup = {};
  sharedHash = {};

  // Groups of two or more, numbered by their first member.
  std::vector<std::uint32_t> number(sizes.size(), kNone);
  std::vector<std::uint32_t> counts;
  std::vector<std::int64_t> fileSizes;
  for (std::size_t i = 0; i < count; ++i) {
    std::uint32_t group = nameGroup[i];
    if (group == kNone || sizes[group] < 2 || number[group] != kNone) continue;
    number[group] = static_cast<std::uint32_t>(counts.size());
    counts.push_back(sizes[group]);
    fileSizes.push_back(*at(i).size);
  }
  // (The starts are made apart and moved in: GCC 12 at -O3 takes a resize of the
  // one-element default for a write out of its bounds.)
  std::vector<std::size_t> starts(counts.size() + 1, 0);
  for (std::size_t g = 0; g < counts.size(); ++g) starts[g + 1] = starts[g] + counts[g];
  DuplicateGroups groups;
  groups.sizes = std::move(fileSizes);
  groups.starts = std::move(starts);
  groups.members.resize(groups.starts.back());
  std::vector<std::size_t> next(groups.starts.begin(), groups.starts.end() - 1);
  for (std::size_t i = 0; i < count; ++i) {
    std::uint32_t group = nameGroup[i];
    if (group != kNone && number[group] != kNone) groups.members[next[number[group]]++] = static_cast<std::uint32_t>(i);
  }
  return groups;
}

}  // namespace qvl
