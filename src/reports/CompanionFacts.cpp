#include "reports/CompanionFacts.h"

#include "catalogue/CompanionFile.h"
#include "platform/File.h"

namespace qvl {

CompanionFacts CompanionFacts::For(const std::string& catalogue) {
  CompanionFacts facts;
  if (auto state = StateOf(catalogue)) {
    CatalogueCompanion companion = ReadCompanionFor(catalogue, *state);
    if (companion.Data() != nullptr) facts.data_ = companion.data;
  }
  return facts;
}

void CompanionFacts::Fill(ReportEntry& entry) const {
  if (!data_) return;
  const std::int64_t time = data_->Time(entry.ordinal);
  if (time != kUnknownTime) entry.modified = time;
  if (const Hash128* hash = data_->HashOf(entry.ordinal)) {
    // Big end first, the high half first: the hash as XXH3's canonical form writes it.
    ContentHash bytes;
    for (int i = 0; i < 8; ++i) {
      bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(hash->high >> (56 - 8 * i));
      bytes[static_cast<std::size_t>(i) + 8] = static_cast<std::uint8_t>(hash->low >> (56 - 8 * i));
    }
    entry.hash = bytes;
  }
}

}  // namespace qvl
