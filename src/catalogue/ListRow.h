#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qvl {

// One row of the list view: a folder or a file of the folder shown, or a hit of a
// search. The four texts are the four columns.
struct ListRow {
  bool isFolder = false;
  std::string caption;   // Filename
  std::string fileSize;  // digits as stored, empty for folders and entries without a size
  std::string path;      // the folder of a search hit
  std::string archive;   // the catalogue of a search hit
};

// The rows of the list view, in the order added.
struct ListRows {
  std::vector<ListRow> rows;
  // File rows added since the last reset; folder rows are not counted.
  std::int64_t FileCount = 0;

  void AddListRow(bool isFolder, std::string_view name, std::string_view archive, std::string_view path,
                  std::string_view sizeText) {
    if (!isFolder) ++FileCount;
    rows.push_back({isFolder, std::string(name), isFolder ? std::string() : std::string(sizeText),
                    std::string(path), std::string(archive)});
  }
  void ClearListView() { rows.clear(); }
};

}  // namespace qvl
