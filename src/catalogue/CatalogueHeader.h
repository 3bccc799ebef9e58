#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "catalogue/CatalogueReader.h"

namespace qvl {

// What comes before a catalogue's records: the drive caption and, when the file
// has a comment block, its text (CR LF pairs kept).
struct CatalogueHeader {
  std::string caption;
  std::optional<std::string> comment;
  // The first byte was the header's SectionMark, as every catalogue's is.
  bool beginsLikeCatalogue = false;
};

// Reads the header from the start of the file: the first byte (the header's mark,
// whatever its value), the caption, and the comment block when a SectionMark that
// is not the file's last byte follows it (a last one is the end mark of a file cut
// short). The reader then stands on the first tag of the root's records. With
// `stopUnlessCatalogue`, nothing after a first byte that is no mark is read.
CatalogueHeader ReadCatalogueHeader(CatalogueReader& reader, bool stopUnlessCatalogue = false);

// The header's bytes as a writer puts them first: SectionMark and the caption,
// then SectionMark and the comment block's text when there is one. Bytes that
// would end a field early become "?".
std::string CatalogueHeaderBytes(std::string_view caption, const std::optional<std::string>& commentBlock);

}  // namespace qvl
