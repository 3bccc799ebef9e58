#include "cli/RowOutput.h"

#include <cstring>

#include "catalogue/TagScan.h"

namespace qvl::cli {
namespace {

// The worst case of a row line: every byte escaped.
std::size_t MaxLineSize(std::initializer_list<std::string_view> fields) {
  std::size_t size = 6;
  for (std::string_view field : fields) size += 2 * field.size();
  return size;
}

char* WriteField(char* out, std::string_view text) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  for (std::size_t at = 0; at < text.size();) {
    // Runs without a tab, CR or LF (all at most CR) are copied whole.
    std::size_t plain = FindTagByte(bytes + at, text.size() - at, '\r');
    std::memcpy(out, text.data() + at, plain);
    out += plain;
    at += plain;
    if (at == text.size()) break;
    char c = text[at++];
    switch (c) {
      case '\t': *out++ = '\\'; *out++ = 't'; break;
      case '\r': *out++ = '\\'; *out++ = 'r'; break;
      case '\n': *out++ = '\\'; *out++ = 'n'; break;
      default: *out++ = c;
    }
  }
  return out;
}

// Writes the line at `out`, which has room for MaxLineSize; returns its end.
char* WriteRow(char* out, bool isFolder, std::string_view caption, std::string_view fileSize, std::string_view path,
               std::string_view archive) {
  *out++ = isFolder ? 'D' : 'F';
  for (std::string_view field : {caption, fileSize, path, archive}) {
    *out++ = '\t';
    out = WriteField(out, field);
  }
  *out++ = '\n';
  return out;
}

}  // namespace

void PrintRow(std::ostream& out, const ListRow& row) {
  std::string line(MaxLineSize({row.caption, row.fileSize, row.path, row.archive}), '\0');
  char* end = WriteRow(line.data(), row.isFolder, row.caption, row.fileSize, row.path, row.archive);
  out.write(line.data(), end - line.data());
}

void RowPrinter::AddListRow(bool isFolder, std::string_view name, std::string_view archive, std::string_view path,
                            std::string_view sizeText) {
  if (isFolder) sizeText = {};
  std::size_t room = MaxLineSize({name, sizeText, path, archive});
  if (pending_.size() - used_ < room) {
    Flush();
    if (pending_.size() < room) pending_.resize(room);
  }
  used_ = static_cast<std::size_t>(WriteRow(pending_.data() + used_, isFolder, name, sizeText, path, archive) -
                                   pending_.data());
}

void RowPrinter::Flush() {
  out_.write(pending_.data(), static_cast<std::streamsize>(used_));
  used_ = 0;
}

}  // namespace qvl::cli
