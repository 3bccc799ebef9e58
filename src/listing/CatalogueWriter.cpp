#include "listing/CatalogueWriter.h"

#include "catalogue/CatalogueHeader.h"
#include "catalogue/Fields.h"

namespace qvl {

void CatalogueWriter::AppendRecord(char tag, std::string_view text) {
  pending_ += tag;
  std::size_t start = pending_.size();
  pending_ += text;
  MakeFieldText(pending_, start);
}

void CatalogueWriter::HandOver(bool always) {
  if (pending_.size() < handOverBytes_ && !always) return;
  output_.Write(pending_);
  output_.Flush();
  pending_.clear();
}

void CatalogueWriter::WriteCatalogueHeader(std::string_view caption,
                                           const std::optional<CommentLines>& comment) {
  pending_ += CatalogueHeaderBytes(caption, comment ? std::optional(CommentBlockText(*comment)) : std::nullopt);
  HandOver();
}

void CatalogueWriter::WriteCatalogueFolder(const WalkState& state) {
  // The root has no FolderStart and no name.
  if (state.ListDepth > 1) AppendRecord(tag::FolderStart, state.CurrentName());
  const WalkLevel& level = state.Current();
  for (const auto& name : level.FolderNames) AppendRecord(tag::SubfolderEntry, name);
  for (const auto& text : level.FileNames) AppendRecord(tag::FileEntry, text);
  HandOver();
}

void CatalogueWriter::WriteFolderEnd() {
  AppendRecord(tag::FolderEnd, {});
  HandOver();
}

void CatalogueWriter::WriteEndMark() {
  AppendRecord(tag::SectionMark, {});
  HandOver(true);
}

}  // namespace qvl
