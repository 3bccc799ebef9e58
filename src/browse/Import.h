#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "browse/Catalogue.h"
#include "catalogue/Tags.h"
#include "platform/Progress.h"

namespace qvl {

inline constexpr std::string_view kSameFileText = "Source and destination is the same!\r\nAborting,";

// An import of a catalogue into itself, refused with kSameFileText.
class SameFileError : public std::runtime_error {
 public:
  SameFileError() : std::runtime_error(std::string(kSameFileText)) {}
};

// True when both names lead to one file: the same text, or two names of one file.
bool SameCatalogueFile(const std::string& source, const std::string& destination);

// Merges the loaded catalogue `source` into the catalogue file `destination`. The
// destination is read once from front to back into DESTINATION.imp.tmp: each of its
// folders gets the records of the source folder with the same path (letter case
// ignored, the first such source folder, once) right behind its FolderStart; a
// source folder that the destination lacks goes inside its parent, just before the
// parent's FolderEnd. The merged file keeps the destination's caption; its comment
// is `comment` (none: no comment block). Entries are copied as they stand.
//
// The temporary file replaces the destination only once it is complete and on the
// medium, and only when neither file changed meanwhile; on any failure the
// destination is left as it was and the temporary file is removed. A temporary
// file that is there already is refused (IoError naming it), never written through. Afterwards the source's folder positions read 0 for every folder
// copied: the caller loads a catalogue again or closes it.
//
// Progress: "Importing to DESTINATION, N% done" when `fromListing`, else Percent;
// "Rewriting dir PATH" for each folder that the destination lacked.
void ImportCatalogue(Catalogue& source, const std::string& destination, bool fromListing,
                     const std::optional<CommentLines>& comment, Progress& progress);

// Loads the file `source` into `catalogue` and imports it into `destination`
// (fromListing: the load reports its progress as text). A missing source, or one
// that is the destination, changes nothing: false, or SameFileError. A source that
// is no catalogue, or is cut short, is refused with IoError and changes nothing.
bool ImportCatalogueFile(Catalogue& catalogue, const std::string& source, const std::string& destination,
                         bool fromListing, const std::optional<CommentLines>& comment, Progress& progress);

}  // namespace qvl
