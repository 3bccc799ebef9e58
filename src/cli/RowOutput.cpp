#include "cli/RowOutput.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <iostream>

#include "platform/IoError.h"

#include "catalogue/TagScan.h"
#include "platform/Time.h"

namespace qvl::cli {
namespace {

constexpr std::size_t kPrintSize = std::size_t{1} << 16;
constexpr std::size_t kDateRoom = 40;  // a tab and any year's ISO time

// The worst case of a row line: every byte escaped.
std::size_t MaxLineSize(const ListRowView& row) {
  return 6 + kDateRoom + 2 * (row.caption.size() + row.fileSize.size() + row.path.size() + row.archive.size());
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
char* WriteRow(char* out, const ListRowView& row, bool withDates) {
  *out++ = row.isFolder ? 'D' : 'F';
  for (std::string_view field : {row.caption, row.fileSize, row.path, row.archive}) {
    *out++ = '\t';
    out = WriteField(out, field);
  }
  if (withDates) {
    *out++ = '\t';
    std::string date = IsoUtcText(row.modified);
    out = std::copy(date.begin(), date.end(), out);
  }
  *out++ = '\n';
  return out;
}

}  // namespace

char* WriteEscapedField(char* out, std::string_view text) { return WriteField(out, text); }

OutputLines::~OutputLines() {
  // An error while the report unwinds is reported by the report's own exception.
  try {
    Flush();
  } catch (const std::exception&) {
  }
}

char* OutputLines::Room(std::size_t size) {
  if (capacity_ - used_ < size) {
    if (used_ >= kPrintSize) Flush();
    if (capacity_ - used_ < size) {
      std::size_t capacity = std::max({capacity_ * 2, used_ + size, 2 * kPrintSize});
      auto text = std::make_unique_for_overwrite<char[]>(capacity);
      if (used_ != 0) std::memcpy(text.get(), text_.get(), used_);
      text_ = std::move(text);
      capacity_ = capacity;
    }
  }
  return text_.get() + used_;
}

void OutputLines::Add(std::string_view text) {
  char* out = Room(text.size());
  if (!text.empty()) std::memcpy(out, text.data(), text.size());
  Commit(out + text.size());
}

void OutputLines::EndLine() {
  *Room(1) = '\n';
  ++used_;
  if (used_ >= kPrintSize) Flush();
}

void OutputLines::Flush() {
  if (used_ == 0) return;
  std::cout.write(text_.get(), static_cast<std::streamsize>(used_));
  used_ = 0;
  if (!std::cout) throw IoError("Cannot write to standard output");
}

void PrintRow(std::ostream& out, const ListRow& row, bool withDates) {
  const ListRowView view{.isFolder = row.isFolder,
                         .caption = row.caption,
                         .fileSize = row.fileSize,
                         .path = row.path,
                         .archive = row.archive,
                         .modified = row.modified};
  std::string line(MaxLineSize(view), '\0');
  char* end = WriteRow(line.data(), view, withDates);
  out.write(line.data(), end - line.data());
}

template <bool kDates>
void RowLinesOf<kDates>::AddRow(const ListRowView& row) {
  MakeRoom(MaxLineSize(row));
  used_ = static_cast<std::size_t>(WriteRow(text_.get() + used_, row, kDates) - text_.get());
}

template <bool kDates>
void RowLinesOf<kDates>::MakeRoom(std::size_t room) {
  if (capacity_ - used_ >= room) return;
  std::size_t capacity = std::max({capacity_ * 2, used_ + room, kPrintSize});
  auto text = std::make_unique_for_overwrite<char[]>(capacity);
  if (used_ != 0) std::memcpy(text.get(), text_.get(), used_);
  text_ = std::move(text);
  capacity_ = capacity;
}

template <bool kDates>
void RowPrinterOf<kDates>::AddRow(const ListRowView& row) {
  pending_.AddListRow(row);
  if (pending_.Text().size() >= kPrintSize) Flush();
}

template <bool kDates>
void RowPrinterOf<kDates>::TakeBatch(RowLinesOf<kDates>& batch) {
  Flush();
  std::string_view text = batch.Text();
  out_.write(text.data(), static_cast<std::streamsize>(text.size()));
}

template <bool kDates>
void RowPrinterOf<kDates>::Flush() {
  std::string_view text = pending_.Text();
  out_.write(text.data(), static_cast<std::streamsize>(text.size()));
  pending_.ClearListView();
}

template class RowLinesOf<false>;
template class RowLinesOf<true>;
template class RowPrinterOf<false>;
template class RowPrinterOf<true>;

}  // namespace qvl::cli
