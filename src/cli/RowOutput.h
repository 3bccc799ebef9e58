#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include "catalogue/ListRow.h"

namespace qvl::cli {

// `text` with tab, CR and LF written as \t, \r and \n, as in the row lines, at
// `out`, which has room for twice its size; returns the end.
char* WriteEscapedField(char* out, std::string_view text);

// Lines of text for stdout, gathered and written in large writes; a failed write
// throws IoError.
class OutputLines {
 public:
  OutputLines() = default;
  ~OutputLines();
  OutputLines(const OutputLines&) = delete;
  OutputLines& operator=(const OutputLines&) = delete;

  // Room for `size` more bytes at the returned pointer; Commit says how many were used.
  char* Room(std::size_t size);
  void Commit(char* end) { used_ = static_cast<std::size_t>(end - text_.get()); }
  void Add(std::string_view text);
  // An escaped field, as WriteEscapedField writes it.
  void AddEscaped(std::string_view text) { Commit(WriteEscapedField(Room(2 * text.size()), text)); }
  void EndLine();
  void Flush();

 private:
  std::unique_ptr<char[]> text_;
  std::size_t capacity_ = 0, used_ = 0;
};

// One row as a line of five tab-separated fields: D or F, Filename, FileSize,
// Path, Archive; tab, CR and LF inside a field written as \t, \r and \n. With
// dates, a sixth: the modification time in ISO 8601 UTC, empty when not known.
void PrintRow(std::ostream& out, const ListRow& row, bool withDates = false);

// Row lines gathered in memory; `kDates` adds the date field.
template <bool kDates>
class RowLinesOf final : public ListRowSink {
 public:
  void ClearListView() override { used_ = 0; }
  std::string_view Text() const { return {text_.get(), used_}; }

 private:
  void AddRow(const ListRowView& row) override;
  void MakeRoom(std::size_t room);

  // Grown without zeroing: a batch of rows runs to a megabyte or more.
  std::unique_ptr<char[]> text_;
  std::size_t capacity_ = 0, used_ = 0;
};

// Rows printed as they come, in large writes, without keeping them: a search over
// many catalogues may find millions. The batches it makes write lines of its kind.
template <bool kDates>
class RowPrinterOf final : public BatchedRowSinkOf<RowLinesOf<kDates>> {
 public:
  explicit RowPrinterOf(std::ostream& out) : out_(out) {}
  ~RowPrinterOf() override { Flush(); }
  RowPrinterOf(const RowPrinterOf&) = delete;
  RowPrinterOf& operator=(const RowPrinterOf&) = delete;

  void ClearListView() override {}
  void TakeBatch(RowLinesOf<kDates>& batch) override;
  void Flush();

 private:
  void AddRow(const ListRowView& row) override;

  std::ostream& out_;
  RowLinesOf<kDates> pending_;
};

using RowLines = RowLinesOf<false>;
using RowPrinter = RowPrinterOf<false>;
using DatedRowPrinter = RowPrinterOf<true>;

}  // namespace qvl::cli
