#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "catalogue/ListRow.h"

namespace qvl::cli {

// A field of a row line: tab, CR and LF written as \t, \r and \n.
std::string EscapeField(std::string_view text);

// One row as a line of five tab-separated fields: D or F, Filename, FileSize,
// Path, Archive.
void PrintRow(std::ostream& out, const ListRow& row);

}  // namespace qvl::cli
