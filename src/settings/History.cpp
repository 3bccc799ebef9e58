#include "settings/History.h"

#include <algorithm>
#include <map>

namespace qvl {

int HistoryList::IndexOf(std::string_view name) const {
  for (std::size_t i = 0; i < entries_.size(); ++i)
    if (collator_->Equal(entries_[i], name)) return static_cast<int>(i);
  return -1;
}

bool HistoryList::Add(std::string name) {
  if (IndexOf(name) >= 0) return false;
  entries_.push_back(std::move(name));
  return true;
}

std::vector<std::string> ReadHistoryKeys(const ProfileFile& file) {
  // One read of the file; key names match in any letter case.
  std::map<std::string, std::string> byKey;
  for (auto& [key, value] : file.ReadSection(kHistory)) byKey.emplace(AsciiLowerCase(key), std::move(value));
  std::vector<std::string> values;
  for (std::size_t n = 1; n <= kMaxHistoryKeys; ++n) {
    auto found = byKey.find(AsciiLowerCase(ItemKey(n)));
    if (found == byKey.end() || found->second == "ERROR") break;
    values.push_back(std::move(found->second));
  }
  return values;
}

std::vector<std::string> ReadHistory(const ProfileFile& file, const Collator& collator) {
  HistoryList history(collator);
  for (auto& value : ReadHistoryKeys(file)) history.Add(std::move(value));
  return history.Entries();
}

void StoredHistory::AddCatalogue(const std::string& name) {
  // Read at the time of adding: the window may have saved its history meanwhile.
  auto values = ReadHistoryKeys(file_);
  if (std::any_of(values.begin(), values.end(), [&](const auto& known) { return collator_.Equal(known, name); }))
    return;
  file_.WriteString(kHistory, ItemKey(values.size() + 1), name);
}

}  // namespace qvl
