#include "catalogue/CatalogueHeader.h"

#include "catalogue/Fields.h"
#include "catalogue/FolderNesting.h"
#include "catalogue/Tags.h"

namespace qvl {

CatalogueHeader ReadCatalogueHeader(CatalogueReader& reader, bool stopUnlessCatalogue) {
  CatalogueHeader header;
  reader.SeekCatalogue(0);
  reader.ReadByte();
  header.beginsLikeCatalogue = reader.ReadPosition() == 1 && reader.CurrentTag() == tag::SectionMark;
  if (stopUnlessCatalogue && !header.beginsLikeCatalogue) return header;
  header.caption = reader.ReadField();
  if (reader.CurrentTag() == tag::SectionMark && !EndsRecords(tag::SectionMark, reader.AtEnd()))
    header.comment = reader.ReadField();
  return header;
}

std::string CatalogueHeaderBytes(std::string_view caption, const std::optional<std::string>& commentBlock) {
  std::string bytes(1, static_cast<char>(tag::SectionMark));
  bytes += FieldText(caption);
  if (commentBlock) {
    bytes += static_cast<char>(tag::SectionMark);
    bytes += FieldText(*commentBlock);
  }
  return bytes;
}

}  // namespace qvl
