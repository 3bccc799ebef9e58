#include "app/model/RowStore.h"

#include <limits>
#include <stdexcept>

namespace qvl::app {
namespace {

std::uint32_t Length32(std::string_view text) {
  if (text.size() > std::numeric_limits<std::uint32_t>::max())
    throw std::length_error("A name of the list is longer than 4 GB");
  return static_cast<std::uint32_t>(text.size());
}

}  // namespace

std::uint32_t SharedTexts::Index(std::string_view text) {
  if (text.empty()) return 0;
  if (auto found = indexes_.find(text); found != indexes_.end()) return found->second;
  if (texts_.size() > std::numeric_limits<std::uint32_t>::max()) throw std::length_error("Too many paths in the list");
  auto index = static_cast<std::uint32_t>(texts_.size());
  indexes_.emplace(texts_.emplace_back(text), index);
  textBytes_ += text.size();
  return index;
}

void SharedTexts::Clear() {
  textBytes_ = 0;
  indexes_.clear();
  texts_.clear();
  texts_.emplace_back();
}

std::size_t SharedTexts::MemoryBytes() const {
  std::size_t bytes = texts_.size() * sizeof(std::string) + indexes_.bucket_count() * sizeof(void*);
  // A node of the index: its link, the key, the value, the cached hash.
  bytes += indexes_.size() * (sizeof(void*) + sizeof(std::pair<std::string_view, std::uint32_t>) + sizeof(std::size_t));
  for (const auto& text : texts_) {
    if (text.capacity() >= sizeof(std::string)) bytes += text.capacity() + 1;  // beyond the inline buffer
  }
  return bytes;
}

void RowStore::Add(const ListRowView& row, std::int32_t image) {
  if (shared_.Text(lastPath_) != row.path) lastPath_ = shared_.Index(row.path);
  if (shared_.Text(lastArchive_) != row.archive) lastArchive_ = shared_.Index(row.archive);
  Push(row, lastPath_, lastArchive_, image);
}

void RowStore::Push(const ListRowView& row, std::uint32_t path, std::uint32_t archive, std::int32_t image) {
  std::string_view size = row.isFolder ? std::string_view() : row.fileSize;
  Row added{.textOffset = names_.size(),
            .captionLength = Length32(row.caption),
            .sizeLength = Length32(size),
            .path = path,
            .archive = archive,
            .image = image,
            .isFolder = row.isFolder};
  names_.append(row.caption).append(size);
  rows_.push_back(added);
  if (!row.isFolder) ++fileCount_;
}

void RowStore::Append(const RowStore& other) {
  // Each of the other store's shared texts is looked up here once.
  constexpr auto kUnknown = std::numeric_limits<std::uint32_t>::max();
  std::vector<std::uint32_t> mine(other.shared_.Count(), kUnknown);
  mine[0] = 0;
  auto Mine = [&](std::uint32_t index) {
    if (mine[index] == kUnknown) mine[index] = shared_.Index(other.shared_.Text(index));
    return mine[index];
  };
  for (std::size_t i = 0; i < other.Size(); ++i) {
    const Row& row = other.rows_[i];
    Push(other.View(i), Mine(row.path), Mine(row.archive), row.image);
  }
}

void RowStore::Clear() {
  rows_.clear();
  names_.clear();
  shared_.Clear();
  lastPath_ = lastArchive_ = 0;
  fileCount_ = 0;
}

ListRowView RowStore::View(std::size_t index) const {
  const Row& row = rows_[index];
  std::string_view texts(names_.data() + row.textOffset, std::size_t{row.captionLength} + row.sizeLength);
  return {.isFolder = row.isFolder,
          .caption = texts.substr(0, row.captionLength),
          .fileSize = texts.substr(row.captionLength),
          .path = shared_.Text(row.path),
          .archive = shared_.Text(row.archive)};
}

void RowStore::Reorder(const std::vector<std::uint32_t>& order) {
  std::vector<Row> reordered;
  reordered.reserve(rows_.capacity());
  for (std::uint32_t from : order) reordered.push_back(rows_[from]);
  rows_ = std::move(reordered);
}

std::size_t RowStore::MemoryBytes() const {
  return sizeof(*this) + rows_.capacity() * sizeof(Row) + names_.capacity() + shared_.MemoryBytes();
}

}  // namespace qvl::app
