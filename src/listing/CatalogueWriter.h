#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

#include "catalogue/Tags.h"
#include "catalogue/WalkState.h"
#include "platform/ByteSink.h"

namespace qvl {

// Records gathered before they go to the output: one write per this many bytes
// or more, not two per folder.
constexpr std::size_t kCatalogueHandOverBytes = std::size_t{1} << 18;

// Writes a catalogue while a drive is walked. Records are handed to the output in
// blocks of at least `handOverBytes` (and whatever is left at the end mark), each
// ending on a whole record, so that a file cut short still ends on one. A listing
// is written to a file of its own and renamed into place only when complete, so a
// run that stops early leaves no part of a catalogue under the catalogue's name.
class CatalogueWriter final : public FolderWriter {
 public:
  explicit CatalogueWriter(ByteSink& output, std::size_t handOverBytes = kCatalogueHandOverBytes)
      : output_(output), handOverBytes_(handOverBytes) {
    pending_.reserve(std::min(handOverBytes, std::size_t{1} << 20) + 4096);
  }

  void WriteCatalogueHeader(std::string_view caption, const std::optional<CommentLines>& comment);
  void WriteCatalogueFolder(const WalkState& state);
  void WriteFolderEnd();
  void WriteEndMark();

  // Records made by another writer (SwapRecords), handed on in their place.
  void AppendRecords(std::string_view records) {
    pending_ += records;
    HandOver();
  }
  // The records gathered and not yet handed over, taken from the writer, which goes
  // on in the room `records` held.
  void SwapRecords(std::string& records) {
    records.clear();
    pending_.swap(records);
  }
  std::size_t PendingBytes() const { return pending_.size(); }

  void BeginFolder(const WalkState& state) override { WriteCatalogueFolder(state); }
  void EndFolder(const WalkState&) override { WriteFolderEnd(); }

 private:
  void AppendRecord(char tag, std::string_view text);
  // Writes the records gathered when they are enough, or `always`.
  void HandOver(bool always = false);

  ByteSink& output_;
  std::size_t handOverBytes_;
  std::string pending_;  // records not yet handed to the output
};

}  // namespace qvl
