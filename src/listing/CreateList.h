#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>

#include "catalogue/Tags.h"
#include "listing/ListMethod.h"
#include "listing/PlainListWriters.h"
#include "platform/ByteSink.h"
#include "platform/Directory.h"
#include "platform/Drives.h"
#include "platform/File.h"
#include "platform/Locale.h"
#include "platform/Progress.h"

namespace qvl {

struct ListRequest {
  Drive drive;
  ListMethod method = ListMethod::Catalogue;
  bool withSizes = true;  // catalogue entries carry "/size"
  std::optional<CommentLines> comment;
  std::uint8_t rightMargin = kDefaultRightMargin;  // width of plain-list lines
  // The plain list header's date and time, asked for in this order.
  std::function<std::string()> dateText = [] { return ShortDateText(std::time(nullptr)); };
  std::function<std::string()> timeText = [] { return LongTimeText(std::time(nullptr)); };
};

// Writes a whole listing of the drive to `output`: the header, every folder of the
// walk through the method's writer, then the end mark or trailer.
void WriteListing(const ListRequest& request, ByteSink& output, DirectorySource& source,
                  const Collator& collator, Progress& progress);

// Writes a plain listing at the end of `file` (opened by File::OpenAppendText, which
// cut off `cutText`) and closes it. When that fails, the file is cut back to where it
// ended and the cut text put back, so a failed run leaves the user's text as it was.
void AppendListing(const ListRequest& request, File& file, const std::string& cutText, DirectorySource& source,
                   const Collator& collator, Progress& progress);

}  // namespace qvl
