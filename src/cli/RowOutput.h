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
// Path, Archive; tab, CR and LF inside a field written as \t, \r and \n.
void PrintRow(std::ostream& out, const ListRow& row);

// Row lines gathered in memory.
class RowLines final : public ListRowSink {
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
// many catalogues may find millions.
class RowPrinter final : public BatchedRowSinkOf<RowLines> {
 public:
  explicit RowPrinter(std::ostream& out) : out_(out) {}
  ~RowPrinter() override { Flush(); }
  RowPrinter(const RowPrinter&) = delete;
  RowPrinter& operator=(const RowPrinter&) = delete;

  void ClearListView() override {}
  void TakeBatch(RowLines& batch) override;
  void Flush();

 private:
  void AddRow(const ListRowView& row) override;

  std::ostream& out_;
  RowLines pending_;
};

}  // namespace qvl::cli
