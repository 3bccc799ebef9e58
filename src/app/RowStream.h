#pragma once

#include <QPointer>
#include <chrono>
#include <cstddef>

#include "app/model/ListModel.h"

namespace qvl::app {

// The rows of a search running on a worker thread, on their way to the list model:
// gathered in batches of the model's kind and handed to the window's thread a few
// times a second or every few thousand rows, where the model takes each batch with
// one insert. Rows keep the order in which they were found.
class RowStream final : public BatchedRowSinkOf<ListRowBatch> {
 public:
  explicit RowStream(ListModel& model) : model_(&model) {}
  ~RowStream() override { Flush(); }
  RowStream(const RowStream&) = delete;
  RowStream& operator=(const RowStream&) = delete;

  void ClearListView() override;
  void TakeBatch(ListRowBatch& batch) override;
  // Hands on what is gathered.
  void Flush();

 private:
  void AddRow(const ListRowView& row) override;
  void Send(ListRowBatch&& batch);

  QPointer<ListModel> model_;
  ListRowBatch pending_;
  std::chrono::steady_clock::time_point lastSent_ = std::chrono::steady_clock::now();
};

}  // namespace qvl::app
