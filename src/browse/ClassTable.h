#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qvl {

// A hash table from (parent class, text) to a class number, for the folder index:
// open addressing over one array, the texts back to back in one string, so that a
// hundred thousand folders cost a few allocations, not one per folder.
class ClassTable {
 public:
  static constexpr std::uint32_t kNone = UINT32_MAX;

  void Clear() {
    entries_.clear();
    texts_.clear();
    slots_.clear();
  }

  // The class stored for (parent, text), or kNone.
  std::uint32_t Find(std::uint32_t parent, std::string_view text) const {
    if (slots_.empty()) return kNone;
    std::uint64_t hash = Hash(parent, text);
    for (std::size_t slot = hash & (slots_.size() - 1);; slot = (slot + 1) & (slots_.size() - 1)) {
      Slot at = slots_[slot];
      if (at.entry == kNone) return kNone;
      if (at.tag != Tag(hash)) continue;
      const Entry& entry = entries_[at.entry];
      if (entry.parent == parent && Text(entry) == text) return entry.pathClass;
    }
  }

  // Stores a class for a (parent, text) that Find does not know.
  void Insert(std::uint32_t parent, std::string_view text, std::uint32_t pathClass) {
    if (slots_.empty() || (entries_.size() + 1) * 2 > slots_.size()) Grow();
    std::uint64_t hash = Hash(parent, text);
    entries_.push_back({Tag(hash), parent, pathClass, texts_.size(), text.size()});
    texts_.append(text);
    Place(static_cast<std::uint32_t>(entries_.size() - 1), hash);
  }

 private:
  struct Entry {
    std::uint32_t tag;
    std::uint32_t parent;
    std::uint32_t pathClass;
    std::size_t textStart;
    std::size_t textSize;
  };
  // A slot holds part of its entry's hash, so that most slots passed over in a
  // probe are told apart without a look at the entry.
  struct Slot {
    std::uint32_t entry = kNone;
    std::uint32_t tag = 0;
  };

  static std::uint64_t Hash(std::uint32_t parent, std::string_view text) {
    std::uint64_t hash = std::hash<std::string_view>{}(text) ^ (parent * 0x9E3779B97F4A7C15ULL);
    return hash ^ (hash >> 29);
  }
  static std::uint32_t Tag(std::uint64_t hash) { return static_cast<std::uint32_t>(hash >> 32); }
  std::string_view Text(const Entry& entry) const {
    return std::string_view(texts_).substr(entry.textStart, entry.textSize);
  }
  void Place(std::uint32_t at, std::uint64_t hash) {
    std::size_t slot = hash & (slots_.size() - 1);
    while (slots_[slot].entry != kNone) slot = (slot + 1) & (slots_.size() - 1);
    slots_[slot] = {at, Tag(hash)};
  }
  void Grow() {
    slots_.assign(slots_.empty() ? 16 : slots_.size() * 2, Slot{});
    for (std::uint32_t at = 0; at < entries_.size(); ++at) Place(at, Hash(entries_[at].parent, Text(entries_[at])));
  }

  std::vector<Entry> entries_;
  std::vector<Slot> slots_;
  std::string texts_;
};

}  // namespace qvl
