#pragma once

#include "catalogue/Companion.h"
#include "catalogue/WalkState.h"

namespace qvl {

// Passes every folder on to the catalogue's writer and keeps what the companion
// holds of it: the number of its first entry, then its subfolders' and files'
// times and hashes in the order the writer writes their records, and the totals
// of the volume record.
class CompanionCollector final : public FolderWriter {
 public:
  CompanionCollector(FolderWriter& writer, CompanionData& data) : writer_(writer), data_(data) {}

  void BeginFolder(const WalkState& state) override;
  void EndFolder(const WalkState& state) override { writer_.EndFolder(state); }

 private:
  FolderWriter& writer_;
  CompanionData& data_;
};

}  // namespace qvl
