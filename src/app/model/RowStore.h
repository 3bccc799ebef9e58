#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "catalogue/ListRow.h"

namespace qvl::app {

// Texts that many rows share, the folder and the catalogue of search hits, each
// kept once. Text 0 is the empty text.
class SharedTexts {
 public:
  SharedTexts() { Clear(); }

  std::uint32_t Index(std::string_view text);
  std::string_view Text(std::uint32_t index) const { return texts_[index]; }
  std::size_t Count() const { return texts_.size(); }
  void Clear();
  std::size_t MemoryBytes() const;
  // The bytes of the texts themselves.
  std::size_t TextBytes() const { return textBytes_; }

 private:
  std::size_t textBytes_ = 0;
  std::deque<std::string> texts_;  // a deque: the index's keys view its texts
  std::unordered_map<std::string_view, std::uint32_t> indexes_;
};

// The list view's rows, compact: the captions and sizes of all rows in one arena,
// the shared texts once each, and 32 bytes a row.
class RowStore {
 public:
  // The image of a file row whose icon is still to be chosen.
  static constexpr std::int32_t kUnnumbered = -1;

  struct Row {
    std::uint64_t textOffset;    // the caption, then the size, in the arena
    std::uint32_t captionLength;
    std::uint32_t sizeLength;
    std::uint32_t path;          // in the shared texts
    std::uint32_t archive;
    std::int32_t image;
    bool isFolder;
  };

  // Appends a row; a folder row keeps no size.
  void Add(const ListRowView& row, std::int32_t image);
  // Appends the rows of another store.
  void Append(const RowStore& other);
  void Clear();

  std::size_t Size() const { return rows_.size(); }
  bool Empty() const { return rows_.empty(); }
  const Row& At(std::size_t row) const { return rows_[row]; }
  ListRowView View(std::size_t row) const;
  void SetImage(std::size_t row, std::int32_t image) { rows_[row].image = image; }
  // The rows in a new order: row i becomes the row that was order[i].
  void Reorder(const std::vector<std::uint32_t>& order);

  // File rows added since the last Clear.
  std::int64_t FileCount() const { return fileCount_; }
  // The bytes held, and the bytes of the texts themselves.
  std::size_t MemoryBytes() const;
  std::size_t TextBytes() const { return names_.size() + shared_.TextBytes(); }

 private:
  void Push(const ListRowView& row, std::uint32_t path, std::uint32_t archive, std::int32_t image);

  std::vector<Row> rows_;
  std::string names_;
  SharedTexts shared_;
  // Consecutive rows mostly share their folder and catalogue.
  std::uint32_t lastPath_ = 0;
  std::uint32_t lastArchive_ = 0;
  std::int64_t fileCount_ = 0;
};

}  // namespace qvl::app
