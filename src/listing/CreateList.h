#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>

#include "catalogue/Companion.h"
#include "catalogue/Tags.h"
#include "listing/ListMethod.h"
#include "listing/PlainListWriters.h"
#include "platform/ByteSink.h"
#include "platform/Directory.h"
#include "platform/Drives.h"
#include "platform/File.h"
#include "platform/Locale.h"
#include "platform/Progress.h"
#include "platform/Volume.h"

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
  // A catalogue gets its companion (dates, the volume record). Only a benchmark
  // that compares the cost of it turns this off.
  bool companion = true;
  // Every regular file is read for its XXH3-128 (the "Content hashes" box).
  bool contentHashes = false;
  // What the volume record says of the drive's file system, and when the listing
  // starts (seconds UTC): the system's, unless a test gives its own.
  std::function<VolumeFacts(const std::string& directory)> volumeFacts = DescribeVolume;
  std::function<std::int64_t()> clock = [] { return static_cast<std::int64_t>(std::time(nullptr)); };
};

// Writes a whole listing of the drive to `output`: the header, every folder of the
// walk through the method's writer, then the end mark or trailer. For a catalogue,
// `companion` (when given) receives its companion: the fingerprint of the bytes
// written, the volume record, every entry's time (and hash, with contentHashes).
void WriteListing(const ListRequest& request, ByteSink& output, DirectorySource& source,
                  const Collator& collator, Progress& progress, Companion* companion = nullptr);

// Writes a plain listing at the end of `file` (opened by File::OpenAppendText, which
// cut off `cutText`) and closes it. When that fails, the file is cut back to where it
// ended and the cut text put back, so a failed run leaves the user's text as it was.
void AppendListing(const ListRequest& request, File& file, const std::string& cutText, DirectorySource& source,
                   const Collator& collator, Progress& progress);

}  // namespace qvl
