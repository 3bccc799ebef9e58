#include "app/RowStream.h"

#include <QTimer>

namespace qvl::app {
namespace {

constexpr std::size_t kBatchRows = 4096;
constexpr auto kBatchInterval = std::chrono::milliseconds(100);
// How long the window's thread adds rows before it lets other events in.
constexpr auto kDrainSlice = std::chrono::milliseconds(12);

}  // namespace

void RowFeeder::Push(ListRowBatch&& batch) {
  std::lock_guard lock(mutex_);
  queue_.emplace_back(std::move(batch));
  Schedule();
}

void RowFeeder::PushClear() {
  std::lock_guard lock(mutex_);
  queue_.emplace_back(std::nullopt);
  Schedule();
}

void RowFeeder::Schedule() {
  if (std::exchange(scheduled_, true)) return;
  QMetaObject::invokeMethod(this, &RowFeeder::Drain, Qt::QueuedConnection);
}

bool RowFeeder::Idle() {
  std::lock_guard lock(mutex_);
  return queue_.empty();
}

void RowFeeder::WhenIdle(std::function<void()> then) {
  if (Idle()) {
    then();
    return;
  }
  whenIdle_ = std::move(then);
}

void RowFeeder::Drain() {
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    std::optional<ListRowBatch> next;
    {
      std::lock_guard lock(mutex_);
      if (queue_.empty()) {
        scheduled_ = false;
        break;
      }
      if (std::chrono::steady_clock::now() - start >= kDrainSlice) {
        // The rest after the window has had its turn (timers included).
        QTimer::singleShot(1, this, &RowFeeder::Drain);
        return;
      }
      next = std::move(queue_.front());
      queue_.pop_front();
    }
    if (next)
      model_.TakeBatch(*next);
    else
      model_.ClearListView();
  }
  if (whenIdle_) std::exchange(whenIdle_, nullptr)();
}

void RowStream::ClearListView() {
  pending_.ClearListView();
  feeder_.PushClear();
}

void RowStream::AddRow(const ListRowView& row) {
  pending_.AddListRow(row);
  if (pending_.Size() >= kBatchRows || std::chrono::steady_clock::now() - lastSent_ >= kBatchInterval) Flush();
}

void RowStream::TakeBatch(ListRowBatch& batch) {
  Flush();
  lastSent_ = std::chrono::steady_clock::now();
  feeder_.Push(std::move(batch));
  batch = ListRowBatch();
}

void RowStream::Flush() {
  if (pending_.Size() == 0) return;
  lastSent_ = std::chrono::steady_clock::now();
  feeder_.Push(std::move(pending_));
  pending_ = ListRowBatch();
}

}  // namespace qvl::app
