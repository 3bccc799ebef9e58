#include "browse/FileTypeImages.h"

#include "platform/Locale.h"

namespace qvl {
namespace {

// The raw extension: from the last "." after any "\" or ":".
std::string_view RawExtension(std::string_view name) {
  std::size_t dot = name.find_last_of(".\\:");
  if (dot == std::string_view::npos || name[dot] != '.') return {};
  return name.substr(dot);
}

}  // namespace

std::string ExtensionOf(std::string_view name) { return AsciiUpperCase(RawExtension(name)); }

FileTypeImages::Image FileTypeImages::ForExtension(std::string_view extension) {
  if (auto found = numbers_.find(extension); found != numbers_.end()) return {found->second, false};
  int number = kFirstExtension + static_cast<int>(extensions_.size());
  extensions_.emplace_back(extension);
  numbers_.emplace(extensions_.back(), number);
  return {number, true};
}

FileTypeImages::Image FileTypeImages::ForName(std::string_view name) {
  std::string_view raw = RawExtension(name);
  scratch_.resize(raw.size());
  for (std::size_t i = 0; i < raw.size(); ++i) scratch_[i] = AsciiUpper(raw[i]);
  return ForExtension(scratch_);
}

}  // namespace qvl
