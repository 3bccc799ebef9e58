#include "app/work/RowFeed.h"

#include <QThread>
#include <QTimer>

namespace qvl::app {
namespace {

constexpr std::size_t kBatchRows = 4096;
// Batches the list has taken, kept with their buffers to be filled again while
// rows come (memory used anew costs a page fault a page), and let go after.
constexpr std::size_t kSpareBatches = 64;
constexpr std::size_t kKeptSpares = 4;
// Batches waiting for the list before a worker waits for room: rows found faster
// than the list takes them would otherwise pile up in fresh memory.
constexpr std::size_t kMaxWaiting = 32;
// Batches waiting that show the window's thread cannot keep up with the workers.
constexpr std::size_t kBehind = 2;
constexpr auto kBatchInterval = std::chrono::milliseconds(100);
// How long the window's thread adds rows before it lets other events in.
constexpr auto kDrainSlice = std::chrono::milliseconds(12);
// The least time between two inserts of rows into the list.
constexpr auto kShowInterval = std::chrono::milliseconds(100);
// How often rows that wait are looked at when no more come.
constexpr auto kShowPoll = std::chrono::milliseconds(20);
// The most rows the views hear of at once while more come.
constexpr std::size_t kMostShownAtOnce = 100'000;

}  // namespace

RowFeed::RowFeed(ListModel& model) : model_(model) {
  showTimer_.setSingleShot(true);
  connect(&showTimer_, &QTimer::timeout, this, [this] {
    if (!ShowIfDue()) showTimer_.start(kShowPoll);
  });
}

void RowFeed::Push(StagedRows&& batch) {
  std::unique_lock lock(mutex_);
  if (QThread::currentThread() != thread())
    roomForRows_.wait(lock, [this] { return abandoned_ || queue_.size() < kMaxWaiting; });
  if (abandoned_) return;
  queue_.emplace_back(std::move(batch));
  Schedule();
}

void RowFeed::Abandon() {
  std::lock_guard lock(mutex_);
  abandoned_ = true;
  queue_.clear();
  roomForRows_.notify_all();
}

void RowFeed::PushClear() {
  std::lock_guard lock(mutex_);
  if (abandoned_) return;
  queue_.emplace_back(std::nullopt);
  Schedule();
}

void RowFeed::Schedule() {
  if (std::exchange(scheduled_, true)) return;
  QMetaObject::invokeMethod(this, &RowFeed::Drain, Qt::QueuedConnection);
}

void RowFeed::WhenIdle(std::function<void()> then) {
  {
    std::lock_guard lock(mutex_);
    if (!queue_.empty()) {
      whenIdle_ = std::move(then);
      return;
    }
  }
  // No rows are coming: those stored go to the views now.
  Show();
  ReleaseSpares();
  then();
}

void RowFeed::Drain() {
  // Telling the views of rows takes a turn of the event loop of its own, so that
  // the window answers between it and taking more rows.
  if (std::exchange(showFirst_, false)) {
    ShowIfDue();
    QTimer::singleShot(1, this, &RowFeed::Drain);
    return;
  }
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    std::optional<StagedRows> next;
    {
      std::lock_guard lock(mutex_);
      if (queue_.empty()) {
        scheduled_ = false;
        break;
      }
      if (std::chrono::steady_clock::now() - start >= kDrainSlice) {
        // The rest after the window has had its turn (timers included).
        showFirst_ = true;
        QTimer::singleShot(1, this, &RowFeed::Drain);
        return;
      }
      next = std::move(queue_.front());
      queue_.pop_front();
      roomForRows_.notify_all();
    }
    if (next) {
      model_.StoreBatch(*next);
      Recycle(std::move(*next));
    } else {
      model_.ClearListView();
    }
  }
  if (whenIdle_) {
    WhenIdle(std::exchange(whenIdle_, nullptr));
  } else if (!ShowIfDue()) {
    // Caught up with the workers: what waits is shown a little later, with
    // whatever comes meanwhile.
    if (!showTimer_.isActive()) showTimer_.start(kShowPoll);
  }
}

bool RowFeed::ShowIfDue() {
  if (model_.RowsWaiting() == 0) return true;
  if (model_.RowsWaiting() > kMostShownAtOnce) {
    // The views take long over many rows: they get them a part at a time.
    model_.ShowStoredRows(kMostShownAtOnce);
    lastShown_ = std::chrono::steady_clock::now();
    return false;
  }
  if (std::chrono::steady_clock::now() - lastShown_ < kShowInterval) return false;
  Show();
  return true;
}

StagedRows RowFeed::SpareBatch() {
  std::lock_guard lock(mutex_);
  if (spares_.empty()) return {};
  StagedRows spare = std::move(spares_.back());
  spares_.pop_back();
  return spare;
}

void RowFeed::Recycle(StagedRows&& batch) {
  bool behind = false;
  {
    std::lock_guard lock(mutex_);
    if (spares_.size() >= kSpareBatches) return;
    behind = queue_.size() > kBehind;
  }
  // Fresh memory costs a page fault a page: the window's thread takes them while
  // the workers go on searching, unless it has rows enough to take meanwhile.
  if (!behind) batch.Prepare();
  std::lock_guard lock(mutex_);
  spares_.push_back(std::move(batch));
}

void RowFeed::ReleaseSpares() {
  std::lock_guard lock(mutex_);
  // A few stay for the next search, whose first rows then need no fresh memory.
  if (spares_.size() > kKeptSpares) spares_.resize(kKeptSpares);
}

void RowFeed::Show() {
  model_.ShowStoredRows();
  lastShown_ = std::chrono::steady_clock::now();
}

void RowFeed::Writer::ClearListView() {
  pending_.ClearListView();
  feed_.PushClear();
}

void RowFeed::Writer::AddRow(const ListRowView& row) {
  pending_.AddListRow(row);
  if (pending_.Size() >= kBatchRows || std::chrono::steady_clock::now() - lastSent_ >= kBatchInterval) Flush();
}

void RowFeed::Writer::TakeBatch(StagedRows& batch) {
  Flush();
  lastSent_ = std::chrono::steady_clock::now();
  feed_.Push(std::move(batch));
  batch = feed_.SpareBatch();
}

void RowFeed::Writer::Flush() {
  if (pending_.Size() == 0) return;
  lastSent_ = std::chrono::steady_clock::now();
  feed_.Push(std::move(pending_));
  pending_ = feed_.SpareBatch();
}

}  // namespace qvl::app
