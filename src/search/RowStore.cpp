#include "search/RowStore.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <stdexcept>

#include "browse/FileTypeImages.h"
#include "platform/Locale.h"

namespace qvl {
namespace {

constexpr std::size_t kMax32 = std::numeric_limits<std::uint32_t>::max();
// Blocks double from the first up to the largest, so a short list stays small.
constexpr std::size_t kFirstBlockBytes = std::size_t{1} << 12;
constexpr std::size_t kBlockBytes = std::size_t{1} << 22;

std::uint32_t Size32(std::size_t size, const char* what) {
  if (size > kMax32) throw std::length_error(what);
  return static_cast<std::uint32_t>(size);
}

// Eight bytes of a key from `from` on, folded as CompareText folds them, big end
// first, zeros behind a shorter key. Two different prefixes order their keys as
// CompareText does; equal ones leave it to CompareText.
std::uint64_t FoldedPrefix(std::string_view key, std::size_t from) {
  std::uint64_t prefix = 0;
  for (std::size_t i = from; i < from + 8; ++i) {
    prefix <<= 8;
    if (i < key.size()) prefix |= static_cast<unsigned char>(AsciiUpper(key[i]));
  }
  return prefix;
}

// A row's key as the sort reads it, without touching the row again.
struct SortKey {
  std::uint64_t prefix;  // the first sixteen bytes, which decide most comparisons
  std::uint64_t prefix2;
  const char* key;
  std::uint32_t length;
  std::uint32_t row;  // the top bit: a file row that goes after the folder rows
};
constexpr std::uint32_t kAfterFolders = 0x8000'0000u;

}  // namespace

TextBlocks::Place TextBlocks::Store(std::string_view text) {
  if (blocks_.empty() || blocks_.back().capacity() - blocks_.back().size() < text.size()) {
    Size32(blocks_.size(), "The list holds as many texts as it can");
    std::size_t bytes = blocks_.empty() ? kFirstBlockBytes : std::min(kBlockBytes, blocks_.back().capacity() * 2);
    blocks_.emplace_back().reserve(std::max(bytes, text.size()));
  }
  std::string& block = blocks_.back();
  Place place{static_cast<std::uint32_t>(blocks_.size() - 1), Size32(block.size(), "A block of the list's texts is full")};
  block.append(text);  // within the capacity: the block does not move
  return place;
}

TextBlocks::Place TextBlocks::Adopt(std::string&& texts) {
  Size32(blocks_.size(), "The list holds as many texts as it can");
  blocks_.push_back(std::move(texts));
  return {static_cast<std::uint32_t>(blocks_.size() - 1), 0};
}

std::size_t TextBlocks::MemoryBytes() const {
  std::size_t bytes = blocks_.capacity() * sizeof(std::string);
  for (const auto& block : blocks_) bytes += block.capacity();
  return bytes;
}

std::uint32_t StagedRows::SharedIndex(std::uint32_t last, std::string_view text) {
  if (Text(shared_[last]) == text) return last;
  if (text.empty()) return 0;
  shared_.push_back({Size32(sharedTexts_.size(), "The rows' folders take more than 4 GB"),
                     Size32(text.size(), "A folder name is longer than 4 GB"), std::hash<std::string_view>{}(text)});
  sharedTexts_.append(text);
  return Size32(shared_.size() - 1, "Too many folders in a batch of rows");
}

void StagedRows::AddListRow(const ListRowView& row) {
  Add(row, row.isFolder ? FileTypeImages::kFolder : RowStore::kUnnumbered);
}

void StagedRows::Add(const ListRowView& row, std::int32_t image) {
  if (rows_.capacity() == 0) {
    // A batch filled again gets room for as many rows as it held last time.
    rows_.reserve(lastRows_);
    names_.reserve(lastNameBytes_);
    sharedTexts_.reserve(lastSharedBytes_);
  }
  std::string_view size = row.isFolder ? std::string_view() : row.fileSize;
  lastPath_ = SharedIndex(lastPath_, row.path);
  lastArchive_ = SharedIndex(lastArchive_, row.archive);
  rows_.push_back({.modified = row.modified,
                   .text = {0, Size32(names_.size(), "The rows' names take more than 4 GB")},
                   .captionLength = Size32(row.caption.size(), "A name of the list is longer than 4 GB"),
                   .sizeLength = Size32(size.size(), "A size of the list is longer than 4 GB"),
                   .path = lastPath_,
                   .archive = lastArchive_,
                   .image = image,
                   .isFolder = row.isFolder});
  names_.append(row.caption).append(size);
  if (!row.isFolder) ++fileCount_;
  if (row.modified != kUnknownTime) ++datedCount_;
}

void StagedRows::Prepare() {
  // Sizing up and back down touches the pages; clearing keeps them.
  rows_.resize(std::max(rows_.capacity(), lastRows_));
  rows_.clear();
  names_.resize(std::max(names_.capacity(), lastNameBytes_));
  names_.clear();
  sharedTexts_.resize(std::max(sharedTexts_.capacity(), lastSharedBytes_));
  sharedTexts_.clear();
}

void StagedRows::Clear() {
  lastRows_ = std::max(lastRows_, rows_.size());
  lastNameBytes_ = std::max(lastNameBytes_, names_.size());
  rows_.clear();
  names_.clear();
  sharedTexts_.clear();
  shared_.resize(1);
  lastPath_ = lastArchive_ = 0;
  fileCount_ = 0;
  datedCount_ = 0;
}

void SharedTexts::Clear() {
  texts_ = {};
  refs_.assign(1, Ref{});
  slots_ = {};
  textBytes_ = 0;
}

void SharedTexts::Grow() {
  std::vector<Slot> slots(std::max<std::size_t>(1024, slots_.size() * 2));
  const std::size_t mask = slots.size() - 1;
  for (const Slot& slot : slots_) {
    if (slot.index == 0) continue;
    std::size_t at = slot.hash & mask;
    while (slots[at].index != 0) at = (at + 1) & mask;
    slots[at] = slot;
  }
  slots_ = std::move(slots);
}

std::size_t SharedTexts::Probe(std::string_view text, std::size_t hash) const {
  const std::size_t mask = slots_.size() - 1;
  std::size_t at = hash & mask;
  while (slots_[at].index != 0 && (slots_[at].hash != hash || Text(slots_[at].index) != text)) at = (at + 1) & mask;
  return at;
}

std::uint32_t SharedTexts::Find(std::string_view text, std::size_t hash) const {
  return text.empty() || slots_.empty() ? 0 : slots_[Probe(text, hash)].index;
}

std::uint32_t SharedTexts::Add(TextBlocks::Place place, std::string_view text, std::size_t hash) {
  if (text.empty()) return 0;
  if (refs_.size() * 2 >= slots_.size()) Grow();
  Slot& slot = slots_[Probe(text, hash)];
  if (slot.index != 0) return slot.index;
  slot = {hash, Size32(refs_.size(), "Too many folders in the list")};
  refs_.push_back({place, static_cast<std::uint32_t>(text.size())});
  textBytes_ += text.size();
  return slot.index;
}

std::uint32_t SharedTexts::Index(std::string_view text, std::size_t hash) {
  if (std::uint32_t found = Find(text, hash)) return found;
  const TextBlocks::Place place = texts_.Store(text);
  return Add(place, texts_.At(place, text.size()), hash);
}

std::size_t SharedTexts::MemoryBytes() const {
  return texts_.MemoryBytes() + refs_.capacity() * sizeof(Ref) + slots_.capacity() * sizeof(Slot);
}

void RowStore::Runs::PushBack(const Row& row) {
  if (runs_.empty()) {
    runs_.emplace_back();
    starts_.push_back(0);
  }
  runs_.back().push_back(row);
  ++size_;
}

void RowStore::Runs::Adopt(std::vector<Row>&& rows) {
  if (rows.empty()) return;
  starts_.push_back(size_);
  size_ += rows.size();
  runs_.push_back(std::move(rows));
}

std::vector<RowStore::Row>& RowStore::Runs::Flatten() {
  if (runs_.size() > 1) {
    std::vector<Row> all;
    all.reserve(size_);
    for (const auto& run : runs_) all.insert(all.end(), run.begin(), run.end());
    *this = Runs();
    Adopt(std::move(all));
  }
  if (runs_.empty()) {
    runs_.emplace_back();
    starts_.push_back(0);
  }
  return runs_.front();
}

std::pair<std::size_t, std::size_t> RowStore::Runs::Locate(std::size_t i) const {
  if (runs_.size() == 1) return {0, i};
  std::size_t run = static_cast<std::size_t>(std::upper_bound(starts_.begin(), starts_.end(), i) - starts_.begin()) - 1;
  return {run, i - starts_[run]};
}

std::size_t RowStore::Runs::MemoryBytes() const {
  std::size_t bytes = runs_.capacity() * sizeof(runs_[0]) + starts_.capacity() * sizeof(std::size_t);
  for (const auto& run : runs_) bytes += run.capacity() * sizeof(Row);
  return bytes;
}

void RowStore::Add(const ListRowView& row, std::int32_t image) {
  std::string_view size = row.isFolder ? std::string_view() : row.fileSize;
  auto shared = [this](std::uint32_t last, std::string_view text) {
    return shared_.Text(last) == text ? last : shared_.Index(text, std::hash<std::string_view>{}(text));
  };
  lastPath_ = shared(lastPath_, row.path);
  lastArchive_ = shared(lastArchive_, row.archive);
  std::string texts;
  texts.reserve(row.caption.size() + size.size());
  texts.append(row.caption).append(size);
  rows_.PushBack({.modified = row.modified,
                  .text = names_.Store(texts),
                  .captionLength = Size32(row.caption.size(), "A name of the list is longer than 4 GB"),
                  .sizeLength = static_cast<std::uint32_t>(size.size()),
                  .path = lastPath_,
                  .archive = lastArchive_,
                  .image = image,
                  .isFolder = row.isFolder});
  nameBytes_ += texts.size();
  if (!row.isFolder) ++fileCount_;
  if (row.modified != kUnknownTime) ++datedCount_;
}

void RowStore::Append(StagedRows& staged) {
  if (staged.rows_.empty()) return;
  // The sizes of the buffers this takes, for the batch's next rows.
  staged.lastRows_ = std::max(staged.lastRows_, staged.rows_.size());
  staged.lastNameBytes_ = std::max(staged.lastNameBytes_, staged.names_.size());
  staged.lastSharedBytes_ = std::max(staged.lastSharedBytes_, staged.sharedTexts_.size());
  // Each of the staged folders and catalogues is looked up here once.
  std::vector<std::uint32_t> mine(staged.shared_.size());
  std::size_t unknown = 0;
  for (std::size_t i = 1; i < mine.size(); ++i) {
    mine[i] = shared_.Find(staged.Text(staged.shared_[i]), staged.shared_[i].hash);
    if (mine[i] == 0) ++unknown;
  }
  if (unknown * 2 > mine.size()) {
    // Mostly new folders: their buffer joins the list whole, rather than copied.
    TextBlocks::Place block = shared_.Adopt(std::move(staged.sharedTexts_));
    for (std::size_t i = 1; i < mine.size(); ++i) {
      const StagedRows::Shared& text = staged.shared_[i];
      TextBlocks::Place place{block.block, text.offset};
      if (mine[i] == 0) mine[i] = shared_.Add(place, shared_.At(place, text.length), text.hash);
    }
  } else if (unknown > 0) {
    for (std::size_t i = 1; i < mine.size(); ++i)
      if (mine[i] == 0) mine[i] = shared_.Index(staged.Text(staged.shared_[i]), staged.shared_[i].hash);
  }
  nameBytes_ += staged.names_.size();
  fileCount_ += staged.fileCount_;
  datedCount_ += staged.datedCount_;
  const std::uint32_t block = names_.Adopt(std::move(staged.names_)).block;
  for (Row& row : staged.rows_) {
    row.text.block = block;
    row.path = mine[row.path];
    row.archive = mine[row.archive];
  }
  rows_.Adopt(std::move(staged.rows_));
  lastPath_ = lastArchive_ = 0;
  staged.Clear();
}

void RowStore::Clear() { *this = RowStore(); }

ListRowView RowStore::View(std::size_t index) const { return View(rows_[index]); }

ListRowView RowStore::View(const Row& row) const {
  std::string_view texts = names_.At(row.text, std::size_t{row.captionLength} + row.sizeLength);
  return {.isFolder = row.isFolder,
          .caption = texts.substr(0, row.captionLength),
          .fileSize = texts.substr(row.captionLength),
          .path = shared_.Text(row.path),
          .archive = shared_.Text(row.archive),
          .modified = row.modified};
}

std::vector<std::uint32_t> RowStore::SortedOrder(const RowOrder& order) const {
  const std::size_t count = Size();
  if (count >= kAfterFolders) throw std::length_error("The list holds more rows than it can sort");
  std::vector<SortKey> keys(count);
  const bool byTime = order.ByTime();
  ForEachView([&](std::size_t i, const ListRowView& row) {
    std::string_view key = order.KeyOf(row);
    std::uint32_t group = order.FoldersFirst() && !row.isFolder ? kAfterFolders : 0;
    // A time orders as its bits with the sign bit flipped; equal times keep their order.
    std::uint64_t first = byTime ? static_cast<std::uint64_t>(row.modified) ^ (std::uint64_t{1} << 63)
                                 : FoldedPrefix(key, 0);
    keys[i] = {first, byTime ? 0 : FoldedPrefix(key, 8), key.data(), static_cast<std::uint32_t>(key.size()),
               static_cast<std::uint32_t>(i) | group};
  });
  // RowOrder::Compare on keys at hand: folder rows first, then the first bytes, then
  // the whole keys.
  const bool ascending = order.SortAscending(order.SortColumn());
  std::stable_sort(keys.begin(), keys.end(), [&](const SortKey& a, const SortKey& b) {
    if ((a.row ^ b.row) & kAfterFolders) return (a.row & kAfterFolders) == 0;
    if (a.prefix != b.prefix) return ascending ? a.prefix < b.prefix : a.prefix > b.prefix;
    if (a.prefix2 != b.prefix2) return ascending ? a.prefix2 < b.prefix2 : a.prefix2 > b.prefix2;
    return order.CompareKeys({a.key, a.length}, {b.key, b.length}) < 0;
  });
  std::vector<std::uint32_t> sorted(count);
  for (std::size_t i = 0; i < count; ++i) sorted[i] = keys[i].row & ~kAfterFolders;
  return sorted;
}

void RowStore::Reorder(const std::vector<std::uint32_t>& order) {
  std::vector<Row>& rows = rows_.Flatten();
  // In place, cycle by cycle: a list of millions is not copied again (fresh memory
  // costs a page fault a page).
  std::vector<bool> placed(rows.size());
  for (std::size_t start = 0; start < rows.size(); ++start) {
    if (placed[start]) continue;
    const Row first = rows[start];
    std::size_t at = start;
    for (std::size_t from = order[at]; from != start; at = from, from = order[at]) {
      rows[at] = rows[from];
      placed[at] = true;
    }
    rows[at] = first;
    placed[at] = true;
  }
}

std::size_t RowStore::MemoryBytes() const {
  return sizeof(*this) + rows_.MemoryBytes() + names_.MemoryBytes() + shared_.MemoryBytes();
}

}  // namespace qvl
