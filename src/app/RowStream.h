#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "app/model/ListModel.h"

namespace qvl::app {

// Hands rows found on worker threads to the list model on the window's thread, in
// the order found, a slice of time at a time: a search that finds rows faster than
// the list takes them must not hold the window up while it catches up.
class RowFeeder : public QObject {
  Q_OBJECT
 public:
  explicit RowFeeder(ListModel& model);
  // From any thread: a batch to add, or the list to empty first. A worker waits
  // while many batches wait for the list.
  void Push(ListRowBatch&& batch);
  // No more rows are taken, and no worker waits for room: the window is going.
  void Abandon();
  void PushClear();
  // On the window's thread: runs `then` once every row pushed so far is in the list.
  void WhenIdle(std::function<void()> then);
  // From any thread: an empty batch, with the buffers of one the list has taken.
  ListRowBatch SpareBatch();

 private:
  void Schedule();  // the mutex is held
  void Drain();
  void Show();
  // Shows the rows stored unless the views were told of rows a moment ago.
  bool ShowIfDue();
  void Recycle(ListRowBatch&& batch);
  void ReleaseSpares();

  ListModel& model_;
  std::mutex mutex_;
  std::condition_variable roomForRows_;
  bool abandoned_ = false;
  std::deque<std::optional<ListRowBatch>> queue_;  // none: empty the list
  std::vector<ListRowBatch> spares_;
  bool scheduled_ = false;
  std::function<void()> whenIdle_;
  std::chrono::steady_clock::time_point lastShown_;
  QTimer showTimer_;
  bool showFirst_ = false;  // the next Drain tells the views of rows, and only that
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
