#include "search/HitFilter.h"

#include <charconv>

#include "catalogue/Fields.h"
#include "platform/Locale.h"

namespace qvl {
namespace {

bool HasExtension(std::string_view name, const std::string& extension) {
  if (name.size() <= extension.size()) return false;
  std::string_view tail = name.substr(name.size() - extension.size() - 1);
  return tail.front() == '.' && EqualIgnoringCase(tail.substr(1), extension);
}

}  // namespace

bool HitFilter::Passes(const ListRowView& row) const {
  if (NeedsDates()) {
    if (row.modified == kUnknownTime) return false;
    if (newerThan && row.modified <= *newerThan) return false;
    if (olderThan && row.modified >= *olderThan) return false;
  }
  if (minSize || maxSize) {
    if (row.isFolder || row.fileSize.empty()) return false;
    auto size = static_cast<std::uint64_t>(StoredSize(row.fileSize));
    if (StoredSize(row.fileSize) < 0 || (minSize && size < *minSize) || (maxSize && size > *maxSize)) return false;
  }
  if (!extensions.empty()) {
    if (row.isFolder) return false;
    bool found = false;
    for (const std::string& extension : extensions) found = found || HasExtension(row.caption, extension);
    if (!found) return false;
  }
  return true;
}

std::optional<std::uint64_t> ParseByteSize(const std::string& text) {
  std::uint64_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end == text.data()) return std::nullopt;
  std::string_view unit(end, static_cast<std::size_t>(text.data() + text.size() - end));
  int shift = 0;
  if (unit.size() == 1) {
    switch (AsciiUpper(unit[0])) {
      case 'K': shift = 10; break;
      case 'M': shift = 20; break;
      case 'G': shift = 30; break;
      case 'T': shift = 40; break;
      default: return std::nullopt;
    }
  } else if (!unit.empty()) {
    return std::nullopt;
  }
  if (shift > 0 && value > (UINT64_MAX >> shift)) return std::nullopt;
  return value << shift;
}

}  // namespace qvl
