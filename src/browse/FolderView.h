#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "browse/Catalogue.h"
#include "catalogue/ListRow.h"
#include "platform/Progress.h"

namespace qvl {

// Lists the folder `path` of the open catalogue: its subfolders and files, read
// afresh from the file, in file order (the caller sorts them). `path` is used as
// given: "\" for the root, "\Docs\Old\" below it; letter case is ignored and the
// first of equal paths wins. Returns false, changing nothing, when the catalogue
// has no such folder; otherwise CurrentPath becomes `path` and `rows` holds the
// folder's rows, FileCount its files. Throws IoError when the catalogue's file is
// closed or cannot be read.
bool ShowFolder(Catalogue& catalogue, std::string_view path, ListRowSink& rows);

// The status text of a folder shown: "3 file(s) in folder \Docs\".
std::string FolderText(std::int64_t fileCount, std::string_view path);

// Where the back button goes from `path`: one folder up; nowhere from the root.
std::optional<std::string> BackPath(std::string_view path);

// The folder that opening the folder row `name` of folder `path` shows.
std::string SubfolderPath(std::string_view path, std::string_view name);

}  // namespace qvl
