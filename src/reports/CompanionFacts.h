#pragma once

#include <memory>
#include <string>

#include "catalogue/Companion.h"
#include "reports/ReportEntry.h"

namespace qvl {

// The dates and content hashes a catalogue's companion knows, by entry number; none
// at all for a catalogue without a companion or with a stale one, which the
// reports then compare by name and size alone.
class CompanionFacts final : public EntryFacts {
 public:
  // The companion beside the catalogue file `catalogue` as it is now; never throws.
  static CompanionFacts For(const std::string& catalogue);

  void Fill(ReportEntry& entry) const override;
  bool Known() const { return data_ != nullptr; }

 private:
  std::shared_ptr<const CompanionData> data_;
};

}  // namespace qvl
