#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "catalogue/Tags.h"
#include "listing/WalkState.h"
#include "platform/ByteSink.h"

namespace qvl {

// Writes a catalogue while a drive is walked. Every call hands what it wrote to
// the output at once (the records of one folder in one write call), so that the
// file always ends on a whole record and holds everything written so far whenever
// the run is cut short.
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
