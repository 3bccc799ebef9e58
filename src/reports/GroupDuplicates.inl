#pragma once

#include <algorithm>

#include "platform/Locale.h"

namespace qvl {

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
  struct Keyed {
    std::uint64_t key;
    std::uint32_t index;
  };
  std::vector<Keyed> byName, byHash;
  for (std::size_t i = 0; i < count; ++i) {
    const ReportEntry file = at(i);
    if (file.isFolder || !file.size || *file.size < minSize) continue;
    byName.push_back({nameKeyAt(i), static_cast<std::uint32_t>(i)});
    if (file.hash) byHash.push_back({HashSizeKey(*file.hash, *file.size), static_cast<std::uint32_t>(i)});
  }
  auto byKey = [](const Keyed& a, const Keyed& b) { return a.key != b.key ? a.key < b.key : a.index < b.index; };
  std::sort(byName.begin(), byName.end(), byKey);
  std::sort(byHash.begin(), byHash.end(), byKey);

  // Runs of one key are split into the entries that are truly equal, as keys of 64
  // bits may collide.
  auto classify = [&](const std::vector<Keyed>& keyed, auto same, std::vector<std::uint32_t>& groupOf) {
    std::uint32_t groups = 0;
    for (std::size_t start = 0; start < keyed.size();) {
      std::size_t end = start;
      while (end < keyed.size() && keyed[end].key == keyed[start].key) ++end;
      for (std::size_t i = start; i < end; ++i) {
        if (groupOf[keyed[i].index] != kNone) continue;
        groupOf[keyed[i].index] = groups;
        const ReportEntry first = at(keyed[i].index);
        for (std::size_t j = i + 1; j < end; ++j)
          if (groupOf[keyed[j].index] == kNone && same(first, at(keyed[j].index))) groupOf[keyed[j].index] = groups;
        ++groups;
      }
      start = end;
    }
    return groups;
  };
  std::vector<std::uint32_t> hashGroup(count, kNone), nameGroup(count, kNone);
  const std::uint32_t hashGroups = classify(
      byHash, [](const ReportEntry& a, const ReportEntry& b) { return *a.size == *b.size && *a.hash == *b.hash; },
      hashGroup);
  const std::uint32_t nameGroups = classify(
      byName,
      [](const ReportEntry& a, const ReportEntry& b) { return *a.size == *b.size && EqualIgnoringCase(a.name, b.name); },
      nameGroup);
  byHash = {};

  // The one hash the hashed files of each name group share, if they do.
  std::vector<std::uint32_t> sharedHash(nameGroups, kNone);
  for (const Keyed& file : byName) {
    std::uint32_t hash = hashGroup[file.index], &shared = sharedHash[nameGroup[file.index]];
    if (hash != kNone) shared = shared == kNone || shared == hash ? hash : kMixed;
  }
  std::vector<std::uint32_t> finalGroup(count, kNone);
  std::vector<std::uint32_t> sizes(std::size_t{hashGroups} + nameGroups, 0);
  for (const Keyed& file : byName) {
    std::uint32_t hash = hashGroup[file.index], shared = sharedHash[nameGroup[file.index]];
    std::uint32_t group = hash != kNone                       ? hash
                          : shared != kNone && shared != kMixed ? shared
                                                                : hashGroups + nameGroup[file.index];
    finalGroup[file.index] = group;
    ++sizes[group];
  }
  byName = {};

  // Groups of two or more, numbered by their first member.
  std::vector<std::uint32_t> number(sizes.size(), kNone);
  DuplicateGroups groups;
  std::vector<std::size_t> counts;
  for (std::size_t i = 0; i < count; ++i) {
    std::uint32_t group = finalGroup[i];
    if (group == kNone || sizes[group] < 2) continue;
    if (number[group] == kNone) {
      number[group] = static_cast<std::uint32_t>(counts.size());
      counts.push_back(sizes[group]);
    }
  }
  groups.starts.resize(counts.size() + 1);
  for (std::size_t g = 0; g < counts.size(); ++g) groups.starts[g + 1] = groups.starts[g] + counts[g];
  groups.members.resize(groups.starts.back());
  std::vector<std::size_t> next(groups.starts.begin(), groups.starts.end() - 1);
  for (std::size_t i = 0; i < count; ++i) {
    std::uint32_t group = finalGroup[i];
    if (group != kNone && number[group] != kNone) groups.members[next[number[group]]++] = static_cast<std::uint32_t>(i);
  }
  return groups;
}

}  // namespace qvl
