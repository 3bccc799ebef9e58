#include "catalogue/Fields.h"

#include <charconv>
#include <cstdint>

namespace qvl {

void MakeFieldText(std::string& text, std::size_t from) {
  for (std::size_t i = from; i < text.size(); ++i)
    if (IsTag(static_cast<unsigned char>(text[i]))) text[i] = '?';
}

std::string FieldText(std::string_view text) {
  std::string field(text);
  MakeFieldText(field);
  return field;
}

std::string EntryText(std::string_view name, std::optional<std::int64_t> size) {
  // Room for the size made at once: appending it would move the name again.
  std::string text;
  text.reserve(name.size() + (size ? 21 : 0));
  text.append(name);
  if (size) {
    char digits[24];
    auto end = std::to_chars(digits, digits + sizeof digits, *size).ptr;
    text += '/';
    text.append(digits, end);
  }
  return text;
}

EntryParts SplitEntryText(std::string_view entryText) {
  auto slash = entryText.find('/');
  if (slash == std::string_view::npos) return {entryText, {}};
  return {entryText.substr(0, slash), entryText.substr(slash + 1)};
}

std::int64_t StoredSize(std::string_view sizeText) {
  std::int64_t size = 0;
  auto [end, error] = std::from_chars(sizeText.data(), sizeText.data() + sizeText.size(), size);
  if (error != std::errc() || end != sizeText.data() + sizeText.size()) return 0;
  if (size < 0) return size >= INT32_MIN ? size + (std::int64_t{1} << 32) : 0;
  return size;
}

std::string CommentBlockText(const CommentLines& lines) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    bool nextEmpty = i + 1 == lines.size() || lines[i + 1].empty();
    if (lines[i].empty() && nextEmpty) break;
    text += FieldText(lines[i]);
    text += "\r\n";
  }
  return text;
}

CommentLines CommentLinesOf(std::string_view blockText) {
  CommentLines lines;
  for (std::string& line : lines) {
    if (blockText.empty()) break;
    auto end = blockText.find("\r\n");
    line = blockText.substr(0, end);
    blockText.remove_prefix(end == std::string_view::npos ? blockText.size() : end + 2);
  }
  return lines;
}

}  // namespace qvl
