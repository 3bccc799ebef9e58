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

// The way rows found on worker threads reach the list model on the window's
// thread, in the order found: one queue of batches in the store's own form, one
// pool of spare batches, and one place that paces the views. A search that finds
// rows faster than the list takes them must not hold the window up while it
// catches up: the list takes them a slice of time at a time, the views hear of
// them in parts, and workers wait while many batches wait.
class RowFeed : public QObject {
  Q_OBJECT
 public:
  explicit RowFeed(ListModel& model);

  // The rows of one piece of work on a worker thread, on their way to the list:
  // gathered in batches and handed on every few thousand rows or a few times a
  // second. Rows keep the order in which they were found.
  class Writer final : public BatchedRowSinkOf<StagedRows> {
   public:
    explicit Writer(RowFeed& feed) : feed_(feed) {}
    ~Writer() override { Flush(); }
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    void ClearListView() override;
    void TakeBatch(StagedRows& batch) override;
    // Hands on what is gathered.
    void Flush();

   private:
    void AddRow(const ListRowView& row) override;

    RowFeed& feed_;
    StagedRows pending_;
    std::chrono::steady_clock::time_point lastSent_ = std::chrono::steady_clock::now();
  };

  // No more rows are taken, and no worker waits for room: the window is going.
  void Abandon();
  // On the window's thread: runs `then` once every row handed on so far is in the list.
  void WhenIdle(std::function<void()> then);

 private:
  // From any thread: a batch to add, or the list to empty first. A worker waits
  // while many batches wait for the list.
  void Push(StagedRows&& batch);
  void PushClear();
  // From any thread: an empty batch, with the buffers of one the list has taken.
  StagedRows SpareBatch();
  void Schedule();  // the mutex is held
  void Drain();
  void Show();
  // Shows the rows stored unless the views were told of rows a moment ago.
  bool ShowIfDue();
  void Recycle(StagedRows&& batch);
  void ReleaseSpares();

  ListModel& model_;
  std::mutex mutex_;
  std::condition_variable roomForRows_;
  bool abandoned_ = false;
  std::deque<std::optional<StagedRows>> queue_;  // none: empty the list
  std::vector<StagedRows> spares_;
  bool scheduled_ = false;
  std::function<void()> whenIdle_;
  std::chrono::steady_clock::time_point lastShown_;
  QTimer showTimer_;
  bool showFirst_ = false;  // the next Drain tells the views of rows, and only that
};

}  // namespace qvl::app
