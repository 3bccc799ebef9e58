#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "catalogue/Tags.h"

namespace qvl {

// A text as it may stand in a field: a tag byte inside it would end the field early
// and misplace every later record, so such bytes become "?".
std::string FieldText(std::string_view text);

// Entry text of a file: the name, or the name, "/" and the full size in decimal.
std::string EntryText(std::string_view name, std::optional<std::int64_t> size);

struct EntryParts {
  std::string_view name;
  std::string_view sizeText;  // empty when the entry has no size
};
// Splits an entry text at its first "/".
EntryParts SplitEntryText(std::string_view entryText);

// The text of a comment block: lines in order, each followed by CR LF, stopping
// before the first empty line whose next line is empty too (line 4 has an empty
// line behind it).
std::string CommentBlockText(const CommentLines& lines);

}  // namespace qvl
