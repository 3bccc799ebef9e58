#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "listing/CatalogueHistory.h"
#include "platform/Locale.h"
#include "platform/ProfileFile.h"

namespace qvl {

// The catalogue files known to the program, in the order they were added. No two
// entries compare equal in the user's locale without regard to letter case.
class HistoryList {
 public:
  explicit HistoryList(const Collator& collator) : collator_(&collator) { entries_.reserve(100); }

  int IndexOf(std::string_view name) const;  // -1 when absent
  // Looks the name up first and appends it only when absent; true when appended.
  bool Add(std::string name);
  int Count() const { return static_cast<int>(entries_.size()); }
  const std::string& Entry(int index) const { return entries_.at(static_cast<std::size_t>(index)); }
  const std::vector<std::string>& Entries() const { return entries_; }
  // Ascending without regard to letter case, as the history is stored.
  void Sort() { collator_->Sort(entries_); }

 private:
  const Collator* collator_;
  std::vector<std::string> entries_;
};

inline constexpr std::string_view kHistory = "History";
inline constexpr std::size_t kMaxHistoryKeys = 100;
// "Item1", "Item2", ...: the key of the history's entry number n, counted from 1.
inline std::string ItemKey(std::size_t n) { return "Item" + std::to_string(n); }

// The values of Item1, Item2, ... of section "History" in key order, repeats
// included. Reading stops at the first key that is missing or holds exactly "ERROR",
// and after Item100.
std::vector<std::string> ReadHistoryKeys(const ProfileFile& file);

// The stored history list: those values without repeats, in key order. This is the
// order in which the search across catalogues goes through them.
std::vector<std::string> ReadHistory(const ProfileFile& file, const Collator& collator);

// A history that goes to the settings file at once, for a program that does not hold
// the settings for a whole run (qvl): a new name becomes the next "Item" key and
// nothing else in the file is written.
class StoredHistory : public CatalogueHistory {
 public:
  StoredHistory(ProfileFile& file, const Collator& collator) : file_(file), collator_(collator) {}
  void AddCatalogue(const std::string& name) override;

 private:
  ProfileFile& file_;
  const Collator& collator_;
};

}  // namespace qvl
