#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/ListRow.h"

namespace qvl {

// Which hits of a search are kept: by the entry's date, size and extension. An
// entry whose date is not known never passes a date test, and a folder, which
// has no size of its own, never passes a size or extension test.
struct HitFilter {
  std::optional<std::int64_t> newerThan = {};  // modified after this time (seconds UTC)
  std::optional<std::int64_t> olderThan = {};  // modified before it
  std::optional<std::uint64_t> minSize = {};   // bytes, from the stored size
  std::optional<std::uint64_t> maxSize = {};
  std::vector<std::string> extensions = {};    // without their dot; letter case ignored

  bool Empty() const { return !newerThan && !olderThan && !minSize && !maxSize && extensions.empty(); }
  bool NeedsDates() const { return newerThan || olderThan; }
  bool Passes(const ListRowView& row) const;
};

// How a search makes its rows.
struct HitOptions {
  // Rows carry their entries' modification times where the catalogue has a
  // valid companion. A search across catalogues then reads each catalogue that
  // has one a second time, to check that the companion is its own.
  bool withDates = true;
  const HitFilter* filter = nullptr;  // none: every hit is a row

  bool DatesWanted() const { return withDates || (filter != nullptr && filter->NeedsDates()); }
};

// "--min-size" values: a whole number of bytes, or with K, M, G or T after it
// (powers of 1024, either letter case). None for anything else.
std::optional<std::uint64_t> ParseByteSize(const std::string& text);

}  // namespace qvl
