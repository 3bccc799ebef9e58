#pragma once

#include <concepts>
#include <cstdint>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Time.h"

namespace qvl {

// One row of the list view: a folder or a file of the folder shown, or a hit of a
// search. The four texts are the four columns.
struct ListRow {
  bool isFolder = false;
  std::string caption;   // Filename
  std::string fileSize;  // digits as stored, empty for folders and entries without a size
  std::string path;      // the folder of a search hit
  std::string archive;   // the catalogue of a search hit
  std::int64_t modified = kUnknownTime;  // the entry's modification time, from the companion
};

// A row as it is handed to a sink, the texts in the columns' order. Callers name
// the fields (`{.isFolder = ..., .caption = ..., .path = ...}`): four texts in a
// row would let a swap compile, and designators out of order do not.
struct ListRowView {
  bool isFolder = false;
  std::string_view caption = {}, fileSize = {}, path = {}, archive = {};
  // Seconds UTC, from the catalogue's companion; kUnknownTime without one. A sink
  // that shows no dates ignores it.
  std::int64_t modified = kUnknownTime;
};

// Where rows go as they are made: the list view, or a printer that keeps none of
// them (a search may find millions). A sink is used on one thread at a time.
class ListRowSink {
 public:
  virtual ~ListRowSink() = default;
  // A folder's entry may carry a size; its row shows none, whatever the sink.
  void AddListRow(const ListRowView& row) {
    if (row.isFolder && !row.fileSize.empty()) {
      AddRow({.isFolder = true, .caption = row.caption, .path = row.path, .archive = row.archive,
              .modified = row.modified});
    } else {
      AddRow(row);
    }
  }
  virtual void ClearListView() = 0;

 private:
  // Takes a row whose folder rule is applied.
  virtual void AddRow(const ListRowView& row) = 0;
};

// A batch of rows made by a BatchedRowSink to be handed back to it.
class RowBatch : public ListRowSink {};

// A sink that can take rows in batches made apart, each on one thread, and handed
// on in order: the search across catalogues then searches several files at once
// and still adds their rows in the files' order. Its users see only RowBatch, so
// they need not know the sink; BatchedRowSinkOf makes sure a batch goes back to a
// sink of the kind that made it.
class BatchedRowSink : public ListRowSink {
 public:
  // An empty batch; may be called on any thread, while the sink takes rows.
  virtual std::unique_ptr<RowBatch> NewBatch() const = 0;
  // Adds a batch's rows, which it may take away, on the sink's own thread. The
  // batch came from NewBatch of a sink of this kind; any other is a logic_error.
  virtual void AddBatch(RowBatch& batch) = 0;
};

// What a sink's batches are: made empty, filled row by row, emptied to be used
// again. A sink takes a whole batch at once (a list model: one insert signal).
template <class Batch>
concept RowBatchKind = std::default_initializable<Batch> && requires(Batch batch, const ListRowView& row) {
  batch.AddListRow(row);
  batch.ClearListView();
};

// A batched sink whose batches are `Batch`es, taken by TakeBatch. (The sink may be
// its own kind of batch, so Batch is checked where it is complete.)
template <class Batch>
class BatchedRowSinkOf : public BatchedRowSink {
 public:
  std::unique_ptr<RowBatch> NewBatch() const final {
    static_assert(RowBatchKind<Batch>);
    return std::make_unique<Made>();
  }
  // The one place a batch becomes its sink's kind again.
  void AddBatch(RowBatch& batch) final {
    auto* made = dynamic_cast<Made*>(&batch);
    if (made == nullptr) throw std::logic_error("A batch of rows was handed to a sink that did not make it");
    TakeBatch(made->batch);
  }
  // Adds the batch's rows, which it may take away.
  virtual void TakeBatch(Batch& batch) = 0;

 private:
  struct Made final : RowBatch {
    void ClearListView() override { batch.ClearListView(); }
    void AddRow(const ListRowView& row) override { batch.AddListRow(row); }
    Batch batch;
  };
};

// The rows of the list view, in the order added.
struct ListRows final : BatchedRowSinkOf<ListRows> {
  std::vector<ListRow> rows;
  // File rows added since the last reset; folder rows are not counted.
  std::int64_t FileCount = 0;

  // An emptied list counts its file rows from 0 again.
  void ClearListView() override {
    rows.clear();
    FileCount = 0;
  }

  void TakeBatch(ListRows& added) override {
    if (rows.empty()) {
      rows = std::move(added.rows);
    } else {
      rows.insert(rows.end(), std::make_move_iterator(added.rows.begin()), std::make_move_iterator(added.rows.end()));
    }
    FileCount += added.FileCount;
    added.ClearListView();
  }

 private:
  void AddRow(const ListRowView& row) override {
    if (!row.isFolder) ++FileCount;
    rows.push_back({row.isFolder, std::string(row.caption), std::string(row.fileSize), std::string(row.path),
                    std::string(row.archive), row.modified});
  }
};

}  // namespace qvl
