#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "catalogue/Tags.h"
#include "platform/ByteSink.h"
#include "platform/Directory.h"
#include "platform/Drives.h"
#include "platform/Locale.h"
#include "platform/Progress.h"

namespace qvl {

// The listing methods, numbered as the method selector orders them.
enum class ListMethod { Collapsed = 0, FoldersOnly = 1, FoldersAndFilenames = 2, Catalogue = 3 };

struct ListRequest {
  Drive drive;
  ListMethod method = ListMethod::Catalogue;
  bool withSizes = true;  // catalogue entries carry "/size"
  std::optional<CommentLines> comment;
  std::uint8_t rightMargin = 95;  // width of plain-list lines
};

// Writes a whole listing of the drive to `output`: the header, every folder of the
// walk through the method's writer, then the end mark or trailer.
void WriteListing(const ListRequest& request, ByteSink& output, DirectorySource& source,
                  const Collator& collator, Progress& progress);

}  // namespace qvl
