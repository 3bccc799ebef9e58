#include "catalogue/FolderNesting.h"

#include "catalogue/CatalogueReader.h"

namespace qvl {

bool SeekFolderRecords(CatalogueReader& reader, std::int64_t position) {
  if (position < 1) return false;
  reader.SeekCatalogue(position - 1);
  reader.ReadByte();
  return true;
}

}  // namespace qvl
