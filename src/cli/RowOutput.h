#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/ListRow.h"

namespace qvl::cli {

// One row as a line of five tab-separated fields: D or F, Filename, FileSize,
// Path, Archive; tab, CR and LF inside a field written as \t, \r and \n.
void PrintRow(std::ostream& out, const ListRow& row);

// Rows printed as they come, in large writes, without keeping them: a search over
// many catalogues may find millions.
class RowPrinter final : public ListRowSink {
 public:
  explicit RowPrinter(std::ostream& out) : out_(out) {}
  ~RowPrinter() override { Flush(); }
  RowPrinter(const RowPrinter&) = delete;
  RowPrinter& operator=(const RowPrinter&) = delete;

  void AddListRow(bool isFolder, std::string_view name, std::string_view archive, std::string_view path,
                  std::string_view sizeText) override;
  void ClearListView() override {}
  void Flush();

 private:
  std::ostream& out_;
  std::vector<char> pending_ = std::vector<char>(std::size_t{1} << 16);
  std::size_t used_ = 0;
};

}  // namespace qvl::cli
