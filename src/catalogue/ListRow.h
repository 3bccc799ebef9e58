#pragma once

#include <cstdint>
#include <iterator>
#include <memory>
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

// Where rows go as they are made: the list view, or a printer that keeps none of
// them (a search may find millions).
class ListRowSink {
 public:
  virtual ~ListRowSink() = default;
  virtual void AddListRow(bool isFolder, std::string_view name, std::string_view archive, std::string_view path,
                          std::string_view sizeText) = 0;
  virtual void ClearListView() = 0;
};

// A sink that can take rows in batches made apart, each on one thread, and handed
// on in order: the search across catalogues then searches several files at once
// and still adds their rows in the files' order.
class BatchedRowSink : public ListRowSink {
 public:
  // An empty batch; may be called on any thread.
  virtual std::unique_ptr<ListRowSink> NewBatch() const = 0;
  // Adds a batch's rows, which it may take away. The batch came from NewBatch.
  virtual void AddBatch(ListRowSink& batch) = 0;
};

// The rows of the list view, in the order added.
struct ListRows final : BatchedRowSink {
  std::vector<ListRow> rows;
  // File rows added since the last reset; folder rows are not counted.
  std::int64_t FileCount = 0;

  void AddListRow(bool isFolder, std::string_view name, std::string_view archive, std::string_view path,
                  std::string_view sizeText) override {
    if (!isFolder) ++FileCount;
    rows.push_back({isFolder, std::string(name), isFolder ? std::string() : std::string(sizeText),
                    std::string(path), std::string(archive)});
  }
  // An emptied list counts its file rows from 0 again.
  void ClearListView() override {
    rows.clear();
    FileCount = 0;
  }

  std::unique_ptr<ListRowSink> NewBatch() const override { return std::make_unique<ListRows>(); }
  void AddBatch(ListRowSink& batch) override {
    auto& added = static_cast<ListRows&>(batch);
    if (rows.empty()) {
      rows = std::move(added.rows);
    } else {
      rows.insert(rows.end(), std::make_move_iterator(added.rows.begin()), std::make_move_iterator(added.rows.end()));
    }
    FileCount += added.FileCount;
    added.ClearListView();
  }
};

}  // namespace qvl
