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
// The same, in place, for the bytes of `text` from `from` on.
void MakeFieldText(std::string& text, std::size_t from = 0);

// A byte total that stops at the largest value instead of wrapping around.
inline std::int64_t AddBytes(std::int64_t total, std::int64_t size) {
  std::int64_t sum;
  if (__builtin_add_overflow(total, size, &sum)) return size > 0 ? INT64_MAX : INT64_MIN;
  return sum;
}

// Entry text of a file: the name, or the name, "/" and the full size in decimal.
std::string EntryText(std::string_view name, std::optional<std::int64_t> size);

struct EntryParts {
  std::string_view name;
  std::string_view sizeText;  // empty when the entry has no size
};
// Splits an entry text at its first "/".
EntryParts SplitEntryText(std::string_view entryText);

// The file size a size text stands for; 0 when it is not a number. Negative texts
// come from writers that kept only the low 32 bits of a size, as a signed number,
// and are read back as those 32 bits.
std::int64_t StoredSize(std::string_view sizeText);

// The text of a comment block: lines in order, each followed by CR LF, stopping
// before the first empty line whose next line is empty too (line 4 has an empty
// line behind it).
std::string CommentBlockText(const CommentLines& lines);

// The lines of a comment block's text (split at CR LF; the first four).
CommentLines CommentLinesOf(std::string_view blockText);

}  // namespace qvl
