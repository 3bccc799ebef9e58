#include "cli/RowOutput.h"

namespace qvl::cli {

std::string EscapeField(std::string_view text) {
  std::string field;
  field.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '\t': field += "\\t"; break;
      case '\r': field += "\\r"; break;
      case '\n': field += "\\n"; break;
      default: field += c;
    }
  }
  return field;
}

void PrintRow(std::ostream& out, const ListRow& row) {
  out << (row.isFolder ? 'D' : 'F') << '\t' << EscapeField(row.caption) << '\t' << EscapeField(row.fileSize)
      << '\t' << EscapeField(row.path) << '\t' << EscapeField(row.archive) << '\n';
}

}  // namespace qvl::cli
