#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Hash.h"
#include "platform/Time.h"

namespace qvl {

// The companion file: what a catalogue's bytes cannot hold, kept beside it as
// NAME.qvl.qvc. The catalogue stays exactly as the format defines it; a program
// that knows nothing of companions reads it as before.
//
// The file: a 32-byte head, then one zstd frame.
//   0  "QVLC"             8  catalogue size (u64 LE)     24  payload size (u64 LE)
//   4  version (1)       16  catalogue XXH3-64 (u64 LE)
//   5  flags (1: hashes)
//   6  0, 0
// The payload, varints (LEB128) throughout:
//   entry count, folder count, merged-volume count
//   the volume record, then each merged volume's
//   per folder in the loader's order: its first entry's number, as the rise from
//     the folder before
//   per entry (SubfolderEntry and FileEntry records, in file order): 0 for an
//     unknown time, else 1 + the zigzag of the rise from the last known time
//   with hashes: a bit per entry (low bit first), then 16 bytes per hash present
// A volume record: a bit mask of what is known (1 capacity, 2 free, 4 time
// listed), five texts as length and bytes (UUID, label, file system, folder
// listed, program), then capacity, free, the zigzag of the time listed (each
// when known), files, bytes.

inline constexpr std::string_view kCompanionSuffix = ".qvc";

// The companion's name for a catalogue file's name.
inline std::string CompanionPath(std::string_view catalogue) { return std::string(catalogue) + std::string(kCompanionSuffix); }

struct VolumeRecord {
  std::string uuid = {};
  std::string label = {};
  std::string fileSystem = {};
  std::string listedFolder = {};
  std::string programVersion = {};
  std::optional<std::uint64_t> capacity = {};
  std::optional<std::uint64_t> free = {};
  std::int64_t listedAt = kUnknownTime;  // when the listing started, UTC
  std::uint64_t files = 0;
  std::uint64_t bytes = 0;
  bool operator==(const VolumeRecord&) const = default;
};

// Which catalogue a companion describes: its size and the XXH3-64 of its bytes.
struct CatalogueFingerprint {
  std::uint64_t size = 0;
  std::uint64_t hash = 0;
  bool operator==(const CatalogueFingerprint&) const = default;
};

// What a companion holds for its catalogue's entries, by entry number: the
// SubfolderEntry and FileEntry records counted from 0 in file order.
struct CompanionData {
  VolumeRecord volume;
  std::vector<VolumeRecord> mergedVolumes;  // the volumes merged into a catalogue, in merge order
  std::vector<std::int64_t> times;          // one per entry; kUnknownTime where not known
  bool withHashes = false;                  // files were read for content hashes
  std::vector<Hash128> hashes;              // with hashes, one per entry
  std::vector<bool> hashKnown;              // with hashes: which of them are real
  // Per folder of the folder index (the root first): the number of the entry that
  // its records begin with, so that a folder shown learns its entries' numbers.
  std::vector<std::uint64_t> folderFirstEntry;

  std::uint64_t EntryCount() const { return times.size(); }
  bool HasHashes() const { return withHashes; }
  // From now on every entry has a hash slot, those before included.
  void StartHashes();
  // kUnknownTime for a number out of range.
  std::int64_t Time(std::uint64_t entry) const { return entry < times.size() ? times[entry] : kUnknownTime; }
  const Hash128* HashOf(std::uint64_t entry) const {
    return entry < hashes.size() && hashKnown[entry] ? &hashes[entry] : nullptr;
  }
  // Adds one entry at the end.
  void AddEntry(std::int64_t time, const Hash128* hash = nullptr);
  bool operator==(const CompanionData&) const = default;
};

struct Companion {
  CatalogueFingerprint fingerprint;
  CompanionData data;
};

inline constexpr std::size_t kCompanionHeadSize = 32;

// The volume record as labelled values, in the order qvl info prints them:
// "Volume UUID", "Volume label", "File system", "Listed folder", "Capacity",
// "Free", "Listed", "Listed by", "Files", "Bytes", "Hashes" (yes or no), then a
// "Merged volume" for each volume merged in. Unknown values are empty, the totals
// of a record of which nothing is known too.
std::vector<std::pair<std::string, std::string>> VolumeFields(const CompanionData& data);
// The same as "Key: value" lines joined by CR LF, for the window's origin text.
std::string VolumeText(const CompanionData& data);

// The bytes of a companion file.
std::string EncodeCompanion(const Companion& companion);
// Its two parts: the payload of some data, and a file around any payload.
std::string EncodeCompanionPayload(const CompanionData& data);
std::string CompanionFileBytes(const CatalogueFingerprint& fingerprint, std::string_view payload, bool withHashes);

// The fingerprint in a companion file's head; none when the bytes do not begin
// like a companion of this version.
std::optional<CatalogueFingerprint> CompanionFingerprint(std::string_view head);

// The data of a companion file whose fingerprint was found to be its catalogue's;
// none for anything malformed: cut short, too large for the catalogue, counts
// that do not add up, bytes left over.
std::optional<CompanionData> DecodeCompanion(std::string_view bytes);
// The payload alone, of a companion of a catalogue of `catalogueSize` bytes.
std::optional<CompanionData> DecodeCompanionPayload(std::string_view payload, std::uint64_t catalogueSize,
                                                    bool withHashes);

}  // namespace qvl
