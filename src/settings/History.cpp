#include "settings/History.h"

#include <algorithm>
#include <filesystem>
#include <map>

#include "settings/Settings.h"

namespace qvl {

std::string CatalogueKey(std::string_view name) {
  std::filesystem::path path(name);
  std::error_code error;
  auto full = std::filesystem::absolute(path, error);
  return (error ? path : full).lexically_normal().string();
}

int HistoryList::IndexOf(std::string_view name) const {
  auto found = indexByKey_.find(CatalogueKey(name));
  return found == indexByKey_.end() ? -1 : found->second;
}

bool HistoryList::Add(std::string name) {
  if (!indexByKey_.try_emplace(CatalogueKey(name), Count()).second) return false;
  entries_.push_back(std::move(name));
  return true;
}

void HistoryList::Sort() {
  collator_->Sort(entries_);
  for (int i = 0; i < Count(); ++i) indexByKey_[CatalogueKey(entries_[static_cast<std::size_t>(i)])] = i;
}

std::vector<std::string> ReadHistoryKeys(const ProfileFile& file) {
  // One read of the file; key names match in any letter case.
  std::map<std::string, std::string> byKey;
  for (auto& [key, value] : file.ReadSection(kHistory)) byKey.emplace(AsciiLowerCase(key), std::move(value));
  std::vector<std::string> values;
  for (std::size_t n = 1;; ++n) {
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
  MakeSettingsFolder(file_);
  // Read under the lock: another program may write its history meanwhile.
  file_.Update([&]() -> std::vector<ProfileEntry> {
    auto values = ReadHistoryKeys(file_);
    std::string key = CatalogueKey(name);
    if (std::any_of(values.begin(), values.end(), [&](const auto& known) { return CatalogueKey(known) == key; }))
      return {};
    return {{std::string(kHistory), ItemKey(values.size() + 1), name}};
  });
}

}  // namespace qvl
