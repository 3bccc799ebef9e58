#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "catalogue/Tags.h"
#include "catalogue/WalkState.h"
#include "platform/ByteSink.h"

namespace qvl {

// Writes a catalogue while a drive is walked. Every call hands what it wrote to
// the output at once (the records of one folder in one write call), so that a run
// cut short leaves a file that holds everything written so far and, short of a
// failed write, ends on a whole record.
class CatalogueWriter final : public FolderWriter {
 public:
  explicit CatalogueWriter(ByteSink& output) : output_(output) {}

  void WriteCatalogueHeader(std::string_view caption, const std::optional<CommentLines>& comment);
  void WriteCatalogueFolder(const WalkState& state);
  void WriteFolderEnd();
  void WriteEndMark();

  void BeginFolder(const WalkState& state) override { WriteCatalogueFolder(state); }
  void EndFolder(const WalkState&) override { WriteFolderEnd(); }

 private:
  void AppendRecord(char tag, std::string_view text);
  void HandOver();

  ByteSink& output_;
  std::string pending_;  // records not yet handed to the output
};

}  // namespace qvl
