#include "cli/RowOutput.h"

#include <algorithm>
#include <cstring>

#include "catalogue/TagScan.h"

namespace qvl::cli {
namespace {

constexpr std::size_t kPrintSize = std::size_t{1} << 16;

// The worst case of a row line: every byte escaped.
std::size_t MaxLineSize(std::initializer_list<std::string_view> fields) {
  std::size_t size = 6;
  for (std::string_view field : fields) size += 2 * field.size();
  return size;
}

char* WriteEscaped(char* out, std::string_view text) {
  for (char c : text) {
    switch (c) {
      case '\t': *out++ = '\\'; *out++ = 't'; break;
      case '\r': *out++ = '\\'; *out++ = 'r'; break;
      case '\n': *out++ = '\\'; *out++ = 'n'; break;
      default: *out++ = c;
    }
  }
  return out;
}

// Most fields hold no tab, CR or LF (all at most CR): they are copied whole, and
// the few others written again over the copy.
char* WriteField(char* out, std::string_view text) {
  if (text.empty()) return out;  // (an empty view may hold no pointer at all)
  if (CopyHasTagByte(reinterpret_cast<unsigned char*>(out), reinterpret_cast<const unsigned char*>(text.data()),
                     text.size(), '\r'))
    return WriteEscaped(out, text);
  return out + text.size();
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

void RowLines::AddListRow(bool isFolder, std::string_view name, std::string_view archive, std::string_view path,
                          std::string_view sizeText) {
  if (isFolder) sizeText = {};
  MakeRoom(MaxLineSize({name, sizeText, path, archive}));
  used_ = static_cast<std::size_t>(WriteRow(text_.get() + used_, isFolder, name, sizeText, path, archive) -
                                   text_.get());
}

void RowLines::MakeRoom(std::size_t room) {
  if (capacity_ - used_ >= room) return;
  std::size_t capacity = std::max({capacity_ * 2, used_ + room, kPrintSize});
  auto text = std::make_unique_for_overwrite<char[]>(capacity);
  if (used_ != 0) std::memcpy(text.get(), text_.get(), used_);
  text_ = std::move(text);
  capacity_ = capacity;
}

void RowPrinter::AddListRow(bool isFolder, std::string_view name, std::string_view archive, std::string_view path,
                            std::string_view sizeText) {
  pending_.AddListRow(isFolder, name, archive, path, sizeText);
  if (pending_.Text().size() >= kPrintSize) Flush();
}

void RowPrinter::AddBatch(ListRowSink& batch) {
  Flush();
  std::string_view text = static_cast<RowLines&>(batch).Text();
  out_.write(text.data(), static_cast<std::streamsize>(text.size()));
}

void RowPrinter::Flush() {
  std::string_view text = pending_.Text();
  out_.write(text.data(), static_cast<std::streamsize>(text.size()));
  pending_.ClearListView();
}

}  // namespace qvl::cli
