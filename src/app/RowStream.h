#pragma once

#include <QObject>
#include <chrono>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

#include "app/model/ListModel.h"

namespace qvl::app {

// Hands rows found on worker threads to the list model on the window's thread, in
// the order found, a slice of time at a time: a search that finds rows faster than
// the list takes them must not hold the window up while it catches up.
class RowFeeder : public QObject {
  Q_OBJECT
 public:
  explicit RowFeeder(ListModel& model) : model_(model) {}
  // From any thread: a batch to add, or the list to empty first.
  void Push(ListRowBatch&& batch);
  void PushClear();
  // On the window's thread: runs `then` once every row pushed so far is in the list.
  void WhenIdle(std::function<void()> then);
  bool Idle();

 private:
  void Schedule();  // the mutex is held
  void Drain();

  ListModel& model_;
  std::mutex mutex_;
  std::deque<std::optional<ListRowBatch>> queue_;  // none: empty the list
  bool scheduled_ = false;
  std::function<void()> whenIdle_;
};

// The rows of a search running on a worker thread, on their way to the list model:
// gathered in batches of the model's kind and handed on every few thousand rows or
// a few times a second. Rows keep the order in which they were found.
class RowStream final : public BatchedRowSinkOf<ListRowBatch> {
 public:
  explicit RowStream(RowFeeder& feeder) : feeder_(feeder) {}
  ~RowStream() override { Flush(); }
  RowStream(const RowStream&) = delete;
  RowStream& operator=(const RowStream&) = delete;

  void ClearListView() override;
  void TakeBatch(ListRowBatch& batch) override;
  // Hands on what is gathered.
  void Flush();

 private:
  void AddRow(const ListRowView& row) override;

  RowFeeder& feeder_;
  ListRowBatch pending_;
  std::chrono::steady_clock::time_point lastSent_ = std::chrono::steady_clock::now();
};

}  // namespace qvl::app
