#pragma once

#include "catalogue/Fields.h"
#include "catalogue/Tags.h"

namespace qvl {

// The size an entry text stores: none without a size text.
inline std::optional<std::int64_t> EntrySize(std::string_view sizeText) {
  if (sizeText.empty()) return std::nullopt;
  return StoredSize(sizeText);
}

template <class Read>
void ReadEntryRun(CatalogueReader& reader, std::int64_t position, std::uint64_t firstOrdinal,
                  const EntryFacts* facts, std::string& text, Read read) {
  reader.SeekCatalogue(position);
  reader.ReadByte();
  // An entry tag that is the last byte has no text: no entry, as for the stream.
  for (std::uint64_t ordinal = firstOrdinal; IsEntryTag(reader.CurrentTag()) && !reader.AtEnd(); ++ordinal) {
    bool isFolder = reader.CurrentTag() == tag::SubfolderEntry;
    text.clear();
    reader.AppendField(text);
    ReportEntry entry{.ordinal = ordinal, .isFolder = isFolder};
    if (isFolder) {
      entry.name = text;
    } else {
      EntryParts parts = SplitEntryText(text);
      entry.name = parts.name;
      entry.size = EntrySize(parts.sizeText);
    }
    if (facts != nullptr) facts->Fill(entry);
    read(entry);
  }
}

}  // namespace qvl
