#include "listing/CreateList.h"

#include <stdexcept>

#include "listing/CatalogueWriter.h"
#include "listing/Walk.h"

namespace qvl {

void WriteListing(const ListRequest& request, ByteSink& output, DirectorySource& source,
                  const Collator& collator, Progress& progress) {
  if (request.method != ListMethod::Catalogue)
    throw std::invalid_argument("Plain lists are not available yet");
  std::string rootPath = std::string(1, static_cast<char>(request.drive.letter - 'a' + 'A')) + ":\\";
  CatalogueWriter writer(output, rootPath);
  writer.WriteCatalogueHeader(DriveCaption(request.drive), request.comment);
  DriveWalk walk(source, collator, writer, progress, {.entryTextWithSize = request.withSizes});
  walk.Run(request.drive.letter);
  writer.WriteEndMark();
}

}  // namespace qvl
