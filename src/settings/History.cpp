#include "settings/History.h"

#include <map>

namespace qvl {
namespace {

// Key names match as in profile files: A to Z in either case.
std::string AsciiLowerCase(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

bool Holds(const std::vector<std::string>& names, std::string_view name, const Collator& collator) {
  for (const auto& known : names)
    if (collator.Equal(known, name)) return true;
  return false;
}

}  // namespace

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
  std::vector<std::string> names;
  for (auto& value : ReadHistoryKeys(file))
    if (!Holds(names, value, collator)) names.push_back(std::move(value));
  return names;
}

void StoredHistory::AddCatalogue(const std::string& name) {
  // Read at the time of adding: the window may have saved its history meanwhile.
  auto values = ReadHistoryKeys(file_);
  if (Holds(values, name, collator_)) return;
  file_.WriteString(kHistory, ItemKey(values.size() + 1), name);
}

}  // namespace qvl
