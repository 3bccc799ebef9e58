#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "catalogue/ListRow.h"
#include "search/RowOrder.h"

namespace qvl {

// Texts kept in big blocks that never move, so views into them stay valid and a
// list of millions grows without copying what it holds.
class TextBlocks {
 public:
  struct Place {
    std::uint32_t block, offset;
  };
  // Stores `text` whole in one block.
  Place Store(std::string_view text);
  // Takes `texts` as a block of its own, without copying them.
  Place Adopt(std::string&& texts);

  std::string_view At(Place place, std::size_t length) const {
    if (length == 0) return {};
    return {blocks_[place.block].data() + place.offset, length};
  }
  std::size_t MemoryBytes() const;

 private:
  std::vector<std::string> blocks_;
};

// A row of the list: 40 bytes, its texts elsewhere.
struct StoredRow {
  std::int64_t modified;   // kUnknownTime when not known
  TextBlocks::Place text;  // the caption, then the size
  std::uint32_t captionLength;
  std::uint32_t sizeLength;
  std::uint32_t path;  // in the shared texts
  std::uint32_t archive;
  std::int32_t image;
  bool isFolder;
};

// Rows gathered on a worker thread for a RowStore, in the store's own form: a
// batch the store takes without copying its rows. The folder and catalogue of a run
// of rows are kept once, hashed here, so the store finds its own copy fast. Icons
// are left to the store's owner: a folder row gets the folder image, a file row
// none yet (RowStore::kUnnumbered).
class StagedRows {
 public:
  void AddListRow(const ListRowView& row);
  void Add(const ListRowView& row, std::int32_t image);
  // Empties it, keeping its buffers for the next rows.
  void Clear();
  void ClearListView() { Clear(); }
  // Makes the buffers of an emptied batch ready for as much as it held before,
  // touching their memory here rather than on the thread that fills it.
  void Prepare();
  std::size_t Size() const { return rows_.size(); }

 private:
  friend class RowStore;
  struct Shared {
    std::uint32_t offset, length;
    std::size_t hash;
  };
  std::uint32_t SharedIndex(std::uint32_t last, std::string_view text);
  std::string_view Text(const Shared& shared) const { return {sharedTexts_.data() + shared.offset, shared.length}; }

  // Rows as the store keeps them, their texts in names_ and their folders and
  // catalogues in shared_; the store takes the rows and names as they are.
  std::vector<StoredRow> rows_;
  std::string names_;  // captions and sizes
  std::string sharedTexts_;
  std::vector<Shared> shared_{Shared{0, 0, 0}};  // 0 is the empty text
  std::uint32_t lastPath_ = 0, lastArchive_ = 0;
  std::int64_t fileCount_ = 0;
  std::int64_t datedCount_ = 0;
  std::size_t lastRows_ = 0, lastNameBytes_ = 0, lastSharedBytes_ = 0;
};

// Texts that many rows share, the folders and catalogues of search hits, each kept
// once for the whole list. Text 0 is the empty text.
class SharedTexts {
 public:
  SharedTexts() { Clear(); }
  // The index of `text`, whose hash is std::hash<std::string_view>'s, stored
  // here when new.
  std::uint32_t Index(std::string_view text, std::size_t hash);
  // The index of `text`, or 0 when it is not here.
  std::uint32_t Find(std::string_view text, std::size_t hash) const;
  // A buffer of texts to keep, without copying them, and to Add from.
  TextBlocks::Place Adopt(std::string&& texts) { return texts_.Adopt(std::move(texts)); }
  std::string_view At(TextBlocks::Place place, std::size_t length) const { return texts_.At(place, length); }
  // Adds `text`, kept at `place` already, unless it is here.
  std::uint32_t Add(TextBlocks::Place place, std::string_view text, std::size_t hash);
  std::string_view Text(std::uint32_t index) const {
    if (index == 0) return {};
    const Ref& ref = refs_[index];
    return texts_.At(ref.place, ref.length);
  }
  void Clear();
  std::size_t MemoryBytes() const;
  std::size_t TextBytes() const { return textBytes_; }

 private:
  struct Ref {
    TextBlocks::Place place;
    std::uint32_t length;
  };
  struct Slot {
    std::size_t hash;
    std::uint32_t index;  // 0: a free slot
  };
  void Grow();
  // The slot holding `text`, or the free one where it would go.
  std::size_t Probe(std::string_view text, std::size_t hash) const;

  TextBlocks texts_;
  std::vector<Ref> refs_;
  std::vector<Slot> slots_;  // open addressing, at most half full
  std::size_t textBytes_ = 0;
};

// The list view's rows, compact: 32 bytes a row, captions and sizes in big blocks,
// folders and catalogues once each.
class RowStore {
 public:
  // The image of a file row whose icon is still to be chosen.
  static constexpr std::int32_t kUnnumbered = -1;

  using Row = StoredRow;

  // Appends a row; a folder row keeps no size.
  void Add(const ListRowView& row, std::int32_t image);
  // Takes rows gathered elsewhere, leaving the batch empty but for its buffer
  // of folders, to be filled again.
  void Append(StagedRows& staged);
  void Clear();

  std::size_t Size() const { return rows_.Size(); }
  const Row& At(std::size_t row) const { return rows_[row]; }
  ListRowView View(std::size_t row) const;
  // visit(index, view) for every row in order, without looking each one up.
  template <class Visit>
  void ForEachView(Visit visit) const {
    std::size_t index = 0;
    rows_.ForEach([&](const Row& row) { visit(index++, View(row)); });
  }
  void SetImage(std::size_t row, std::int32_t image) { rows_[row].image = image; }
  // The order `order` puts the rows in, as RowOrder::Compare has it (rows whose
  // keys are equal keep their order): row i of it is the row that is now
  // order[i]. Most comparisons are decided on sixteen folded bytes of each key,
  // taken once: a million rows sort in a fraction of a second.
  std::vector<std::uint32_t> SortedOrder(const RowOrder& order) const;
  // The rows in a new order: row i becomes the row that was order[i].
  void Reorder(const std::vector<std::uint32_t>& order);

  // File rows added since the last Clear.
  std::int64_t FileCount() const { return fileCount_; }
  // Rows whose time is known: the list shows its Modified column when there are any.
  std::int64_t DatedCount() const { return datedCount_; }
  // The bytes held, and the bytes of the texts themselves.
  std::size_t MemoryBytes() const;
  std::size_t TextBytes() const { return nameBytes_ + shared_.TextBytes(); }

 private:
  // Rows in the runs they came in: a store of millions grows without moving them.
  class Runs {
   public:
    std::size_t Size() const { return size_; }
    Row& operator[](std::size_t i) {
      auto [run, at] = Locate(i);
      return runs_[run][at];
    }
    const Row& operator[](std::size_t i) const {
      auto [run, at] = Locate(i);
      return runs_[run][at];
    }
    void PushBack(const Row& row);
    void Adopt(std::vector<Row>&& rows);
    // The rows as one run.
    std::vector<Row>& Flatten();
    template <class Visit>
    void ForEach(Visit visit) const {
      for (const auto& run : runs_)
        for (const Row& row : run) visit(row);
    }
    std::size_t MemoryBytes() const;

   private:
    // The run holding row i, and the row's place in it.
    std::pair<std::size_t, std::size_t> Locate(std::size_t i) const;
    std::vector<std::vector<Row>> runs_;
    std::vector<std::size_t> starts_;  // the index of each run's first row
    std::size_t size_ = 0;
  };

  ListRowView View(const Row& row) const;

  Runs rows_;
  TextBlocks names_;
  SharedTexts shared_;
  std::uint32_t lastPath_ = 0, lastArchive_ = 0;  // of rows added one at a time
  std::size_t nameBytes_ = 0;
  std::int64_t fileCount_ = 0;
  std::int64_t datedCount_ = 0;
};

}  // namespace qvl
