#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "listing/CatalogueHistory.h"
#include "platform/Locale.h"
#include "platform/ProfileFile.h"

namespace qvl {

// What a history entry is compared by: the file it names, as an absolute, lexically
// normal path ("/cats/./a.qvl" and "/cats/x/../a.qvl" are "/cats/a.qvl"). Letter case
// counts, as it does for the file system: Disk.qvl and disk.qvl are two files.
std::string CatalogueKey(std::string_view name);

// The catalogue files known to the program, in the order they were added, each as it
// was added. No two entries name the same file (CatalogueKey).
class HistoryList {
 public:
  explicit HistoryList(const Collator& collator) : collator_(&collator) { entries_.reserve(100); }

  int IndexOf(std::string_view name) const;  // -1 when absent
  // Looks the name up first and appends it only when absent; true when appended.
  bool Add(std::string name);
  int Count() const { return static_cast<int>(entries_.size()); }
  const std::string& Entry(int index) const { return entries_.at(static_cast<std::size_t>(index)); }
  const std::vector<std::string>& Entries() const { return entries_; }
  // Ascending in the locale's collation without regard to letter case, as the history
  // is stored.
  void Sort();

 private:
  const Collator* collator_;
  std::vector<std::string> entries_;
  std::unordered_map<std::string, int> indexByKey_;  // a history may be long
};

inline constexpr std::string_view kHistory = "History";
// "Item1", "Item2", ...: the key of the history's entry number n, counted from 1.
inline std::string ItemKey(std::size_t n) { return "Item" + std::to_string(n); }

// The values of Item1, Item2, ... of section "History" in key order, repeats
// included. Reading stops at the first key that is missing or holds exactly "ERROR",
// however many come before it: every catalogue once added stays in the history.
std::vector<std::string> ReadHistoryKeys(const ProfileFile& file);

// The stored history list: those values without repeats, in key order. This is the
// order in which the search across catalogues goes through them.
std::vector<std::string> ReadHistory(const ProfileFile& file, const Collator& collator);

// A history that goes to the settings file at once, for a program that does not hold
// the settings for a whole run (qvl): a new name becomes the next "Item" key and
// nothing else in the file is written.
class StoredHistory : public CatalogueHistory {
 public:
  explicit StoredHistory(ProfileFile& file) : file_(file) {}
  void AddCatalogue(const std::string& name) override;

 private:
  ProfileFile& file_;
};

}  // namespace qvl
