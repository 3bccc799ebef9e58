#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace qvl {

// A 128-bit fingerprint of a file's content.
using ContentHash = std::array<std::uint8_t, 16>;

// One SubfolderEntry or FileEntry record of a catalogue, as the reports see it.
struct ReportEntry {
  // Which record it is: the n-th SubfolderEntry or FileEntry of the file, from 0.
  // What the catalogue cannot hold (dates, hashes) is kept elsewhere by this number.
  std::uint64_t ordinal = 0;
  bool isFolder = false;  // a SubfolderEntry
  std::string_view name{};
  // The stored size as a byte count (a negative stored size is the low 32 bits of
  // the real one); none for a folder or an entry listed without sizes.
  std::optional<std::int64_t> size{};
  std::optional<std::int64_t> modified{};  // seconds since 1970, UTC
  std::optional<ContentHash> hash{};
};

// Where the dates and hashes of a catalogue's entries come from, by ordinal; a
// catalogue without them has none.
class EntryFacts {
 public:
  virtual ~EntryFacts() = default;
  // Sets what is known of the entry `entry.ordinal`; leaves the rest unknown.
  virtual void Fill(ReportEntry& entry) const = 0;
};

}  // namespace qvl
