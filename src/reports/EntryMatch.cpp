#include "reports/EntryMatch.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "platform/Locale.h"

namespace qvl {
namespace {

template <class T>
bool Differ(const std::optional<T>& a, const std::optional<T>& b) {
  return a && b && *a != *b;
}

std::uint64_t Mix(std::uint64_t hash, std::int64_t size) {
  hash ^= static_cast<std::uint64_t>(size) * 0x9E3779B97F4A7C15ULL;
  hash ^= hash >> 31;
  return hash * 0xBF58476D1CE4E5B9ULL;
}

// Equal names (letter case ignored) of the same kind have equal keys.
void AppendEntryKey(const ReportEntry& entry, std::string& keys) {
  keys += entry.isFolder ? 'D' : 'F';
  AppendFoldKey(entry.name, keys);
}

}  // namespace

unsigned ChangedParts(const ReportEntry& before, const ReportEntry& after) {
  return (Differ(before.size, after.size) ? kSizeChanged : 0u) |
         (Differ(before.modified, after.modified) ? kDateChanged : 0u) |
         (Differ(before.hash, after.hash) ? kHashChanged : 0u);
}

std::string ChangedPartsText(unsigned parts) {
  std::string text;
  for (auto [part, name] : {std::pair{kSizeChanged, "size"}, {kDateChanged, "date"}, {kHashChanged, "hash"}}) {
    if ((parts & part) == 0) continue;
    if (!text.empty()) text += ',';
    text += name;
  }
  return text;
}

EntryPairing PairEntries(std::span<const ReportEntry> before, std::span<const ReportEntry> after) {
  struct Keyed {
    std::size_t start, length, index;
    bool after;
  };
  std::string keys;
  std::vector<Keyed> keyed;
  keyed.reserve(before.size() + after.size());
  for (bool isAfter : {false, true}) {
    auto side = isAfter ? after : before;
    for (std::size_t i = 0; i < side.size(); ++i) {
      std::size_t start = keys.size();
      AppendEntryKey(side[i], keys);
      keyed.push_back({start, keys.size() - start, i, isAfter});
    }
  }
  auto keyOf = [&](const Keyed& k) { return std::string_view(keys).substr(k.start, k.length); };
  std::sort(keyed.begin(), keyed.end(), [&](const Keyed& a, const Keyed& b) {
    if (int order = keyOf(a).compare(keyOf(b)); order != 0) return order < 0;
    return a.after != b.after ? !a.after : a.index < b.index;
  });

  EntryPairing pairing;
  std::vector<std::size_t> olds, news;
  std::vector<bool> oldPaired;
  for (std::size_t start = 0; start < keyed.size();) {
    std::size_t end = start;
    olds.clear();
    news.clear();
    for (; end < keyed.size() && keyOf(keyed[end]) == keyOf(keyed[start]); ++end)
      (keyed[end].after ? news : olds).push_back(keyed[end].index);
    start = end;
    // Copies the same on both sides pair first, then the others in order.
    oldPaired.assign(olds.size(), false);
    std::vector<std::size_t> unpairedNews;
    for (std::size_t n : news) {
      std::size_t o = 0;
      while (o < olds.size() && (oldPaired[o] || ChangedParts(before[olds[o]], after[n]) != 0)) ++o;
      if (o < olds.size()) {
        oldPaired[o] = true;
        pairing.same.emplace_back(olds[o], n);
      } else {
        unpairedNews.push_back(n);
      }
    }
    std::size_t o = 0;
    for (std::size_t n : unpairedNews) {
      while (o < olds.size() && oldPaired[o]) ++o;
      if (o == olds.size()) {
        pairing.added.push_back(n);
        continue;
      }
      oldPaired[o] = true;
      pairing.changed.emplace_back(olds[o], n);
    }
    for (std::size_t i = 0; i < olds.size(); ++i)
      if (!oldPaired[i]) pairing.removed.push_back(olds[i]);
  }
  auto bySecond = [](const auto& a, const auto& b) { return a.second < b.second; };
  std::sort(pairing.same.begin(), pairing.same.end(), bySecond);
  std::sort(pairing.changed.begin(), pairing.changed.end(), bySecond);
  std::sort(pairing.removed.begin(), pairing.removed.end());
  std::sort(pairing.added.begin(), pairing.added.end());
  return pairing;
}

std::vector<std::pair<std::size_t, std::size_t>> PairMoves(std::span<const ReportEntry> removed,
                                                           std::span<const ReportEntry> added) {
  // (key, side, index) of every file with a size; a key held by exactly one removed
  // and one added file is a move, when their hashes agree.
  struct Keyed {
    std::uint64_t key;
    bool added;
    std::size_t index;
  };
  std::vector<Keyed> keyed;
  std::string key;
  for (bool isAdded : {false, true}) {
    auto side = isAdded ? added : removed;
    for (std::size_t i = 0; i < side.size(); ++i) {
      if (side[i].isFolder || !side[i].size) continue;
      key.clear();
      AppendFoldKey(side[i].name, key);
      keyed.push_back({NameSizeKey(key, *side[i].size), isAdded, i});
    }
  }
  std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
    return a.key != b.key ? a.key < b.key : a.added != b.added ? !a.added : a.index < b.index;
  });
  std::vector<std::pair<std::size_t, std::size_t>> moves;
  for (std::size_t start = 0; start < keyed.size();) {
    std::size_t end = start;
    while (end < keyed.size() && keyed[end].key == keyed[start].key) ++end;
    if (end - start == 2 && !keyed[start].added && keyed[start + 1].added) {
      const ReportEntry& gone = removed[keyed[start].index];
      const ReportEntry& found = added[keyed[start + 1].index];
      if (*gone.size == *found.size && EqualIgnoringCase(gone.name, found.name) && !Differ(gone.hash, found.hash))
        moves.emplace_back(keyed[start].index, keyed[start + 1].index);
    }
    start = end;
  }
  std::sort(moves.begin(), moves.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
  return moves;
}

std::uint64_t NameSizeKey(std::string_view foldKey, std::int64_t size) {
  return Mix(std::hash<std::string_view>{}(foldKey), size);
}

std::uint64_t CaseBlindKey(std::string_view name, std::int64_t size) {
  std::uint64_t hash = 0xCBF29CE484222325ULL;  // FNV-1a
  for (char c : name) {
    auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x80 || static_cast<unsigned char>((byte | 0x20) - 'a') < 26) continue;
    hash = (hash ^ byte) * 0x100000001B3ULL;
  }
  return Mix(hash, size);
}

std::uint64_t HashSizeKey(const ContentHash& hash, std::int64_t size) {
  std::uint64_t low, high;
  std::memcpy(&low, hash.data(), 8);
  std::memcpy(&high, hash.data() + 8, 8);
  return Mix(low ^ (high * 0xC2B2AE3D27D4EB4FULL), size);
}

void CopyFinder::Grow(std::vector<std::pair<std::uint64_t, std::uint32_t>>& table) {
  std::vector<std::pair<std::uint64_t, std::uint32_t>> old;
  old.swap(table);
  table.assign(old.empty() ? 1024 : old.size() * 2, {0, UINT32_MAX});
  for (const auto& slot : old) {
    if (slot.second == UINT32_MAX) continue;
    std::size_t at = slot.first & (table.size() - 1);
    while (table[at].second != UINT32_MAX) at = (at + 1) & (table.size() - 1);
    table[at] = slot;
  }
}

void CopyFinder::Link(std::vector<std::pair<std::uint64_t, std::uint32_t>>& table, std::uint64_t key,
                      std::uint32_t file, std::uint32_t File::*next) {
  std::size_t& used = &table == &byName_ ? names_ : hashes_;
  if ((used + 1) * 2 > table.size()) Grow(table);
  std::size_t at = key & (table.size() - 1);
  while (table[at].second != UINT32_MAX && table[at].first != key) at = (at + 1) & (table.size() - 1);
  if (table[at].second == UINT32_MAX) {
    table[at] = {key, file};
    ++used;
    return;
  }
  // Chained behind the files of the key met before.
  files_[file].*next = table[at].second;
  table[at].second = file;
}

std::uint32_t CopyFinder::Lookup(const std::vector<std::pair<std::uint64_t, std::uint32_t>>& table,
                                 std::uint64_t key) const {
  if (table.empty()) return UINT32_MAX;
  for (std::size_t at = key & (table.size() - 1);; at = (at + 1) & (table.size() - 1)) {
    if (table[at].second == UINT32_MAX) return UINT32_MAX;
    if (table[at].first == key) return table[at].second;
  }
}

std::uint32_t CopyFinder::Add(const ReportEntry& file) {
  auto number = static_cast<std::uint32_t>(files_.size());
  files_.emplace_back();
  if (file.isFolder || !file.size || *file.size < minSize_) return number;
  File& added = files_.back();
  added.size = *file.size;
  added.keyStart = keys_.size();
  AppendFoldKey(file.name, keys_);
  added.keyLength = keys_.size() - added.keyStart;
  added.nameKey = NameSizeKey(std::string_view(keys_).substr(added.keyStart, added.keyLength), added.size);
  Link(byName_, added.nameKey, number, &File::nextSameName);
  if (file.hash) {
    files_[number].hasHash = true;
    files_[number].hash = *file.hash;
    Link(byHash_, HashSizeKey(*file.hash, *file.size), number, &File::nextSameHash);
  }
  return number;
}

void CopyFinder::Offer(const ReportEntry& other) {
  if (other.isFolder || !other.size || *other.size < minSize_) return;
  const std::int64_t size = *other.size;
  if (other.hash) {
    for (std::uint32_t f = Lookup(byHash_, HashSizeKey(*other.hash, size)); f != UINT32_MAX; f = files_[f].nextSameHash)
      if (files_[f].size == size && files_[f].hash == *other.hash) files_[f].found = true;
  }
  key_.clear();
  AppendFoldKey(other.name, key_);
  for (std::uint32_t f = Lookup(byName_, NameSizeKey(key_, size)); f != UINT32_MAX; f = files_[f].nextSameName) {
    File& file = files_[f];
    // Where both have a hash, the hash decides.
    if (file.hasHash && other.hash) continue;
    if (file.size == size && std::string_view(keys_).substr(file.keyStart, file.keyLength) == key_) file.found = true;
  }
}

}  // namespace qvl
