#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "catalogue/Companion.h"
#include "platform/File.h"

namespace qvl {

// Whether a catalogue has a companion that may be used: none beside it, one that
// is not its own (another program changed the catalogue, or a run stopped between
// the two renames), or one that matches it.
enum class CompanionState { None, Stale, Valid };

// The companion file beside a catalogue, read but not yet checked.
struct CompanionCandidate {
  CompanionState state = CompanionState::None;  // Stale when it is plainly not this catalogue's
  CatalogueFingerprint fingerprint;
  std::string bytes;
};

// Reads the companion of the catalogue file `catalogue` (through symbolic links,
// beside the file they lead to), whose size is `catalogueSize`. Never throws: a
// companion that cannot be read is as good as a stale one.
CompanionCandidate ReadCompanionCandidate(const std::string& catalogue, std::int64_t catalogueSize);

// What a reader of a catalogue knows of its companion.
struct CatalogueCompanion {
  CompanionState state = CompanionState::None;
  std::shared_ptr<const CompanionData> data;  // set only when Valid

  const CompanionData* Data() const { return state == CompanionState::Valid ? data.get() : nullptr; }
};

// Checks a candidate against the catalogue's XXH3-64, and for a loaded catalogue
// its number of folders (`folders`, or none when not known).
CatalogueCompanion CheckCompanion(CompanionCandidate candidate, std::uint64_t catalogueHash,
                                  std::optional<std::size_t> folders = std::nullopt);

// The companion of a catalogue file that is open as `opened`, for a reader that
// does not load it (a search): the catalogue is hashed here, once, and only when
// a candidate of its size is there. A catalogue that is no longer `opened` has
// none that is usable.
CatalogueCompanion ReadCompanionFor(const std::string& catalogue, const FileState& opened);

// The XXH3-64 of a whole file, or none when it cannot be read or is no longer
// `opened`.
std::optional<std::uint64_t> HashCatalogueFile(const std::string& path, const FileState& opened);

// A companion written as its catalogue is: under a temporary name beside the file
// the catalogue will be renamed over, made durable, then renamed into place by
// Commit once the catalogue is in place. Until then the old companion stays, and
// an unfinished temporary file is removed with this object.
class CompanionOutput {
 public:
  CompanionOutput() = default;
  CompanionOutput(const CompanionOutput&) = delete;
  CompanionOutput& operator=(const CompanionOutput&) = delete;
  ~CompanionOutput();

  // `catalogueTarget`: the catalogue's real name, links followed.
  void Write(const std::string& catalogueTarget, const Companion& companion);
  void Commit();

 private:
  std::string temporary_;
  std::string target_;
};

// Writes the companion of a catalogue of our own under its fixed name (the listing
// a catalogue append merges), which must not be there yet: made anew, never
// written through a link.
void WriteNewCompanion(const std::string& catalogue, const Companion& companion);

// Removes the companion of a catalogue, when there is one; a failure is ignored,
// as a stale companion is never used anyway.
void RemoveCompanion(const std::string& catalogue);

}  // namespace qvl
