#include "search/SearchAhead.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

namespace qvl {
namespace {

// A worker waits while this many rows of its file wait to be added: a frequent
// text in a large catalogue may give a million rows.
constexpr std::size_t kMaxQueuedRows = std::size_t{1} << 17;
// Rows are handed over in batches of at least this many, or what the file had.
constexpr std::size_t kBatchRows = 2048;
constexpr auto kProgressInterval = std::chrono::milliseconds(100);
constexpr unsigned kMaxWorkers = 4;

struct FileJob {
  const std::string* fileName = nullptr;
  bool started = false;  // past the skip test; about to open the file
  bool opened = false;
  bool ended = false;
  int percent = 0;
  std::deque<std::pair<std::unique_ptr<RowBatch>, std::size_t>> batches;  // with their row counts
  std::size_t queuedRows = 0;
  CatalogueSearch result;
  std::exception_ptr error;
};

// Thrown inside a worker's scan to end it when the search is given up.
struct Abandoned {};

class Searcher {
 public:
  Searcher(std::string_view text, const std::vector<std::string>& files, const BatchedRowSink& rows,
           const HitOptions& hits, const ScanOptions& options)
      : text_(text), hits_(hits), options_(options), rows_(rows), jobs_(files.size()) {
    for (std::size_t i = 0; i < files.size(); ++i) jobs_[i].fileName = &files[i];
    unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    auto count = static_cast<unsigned>(std::min<std::size_t>({cores, kMaxWorkers, files.size()}));
    lookahead_ = count + 1;
    for (unsigned i = 0; i < count; ++i) workers_.emplace_back([this] { Work(); });
  }

  ~Searcher() {
    {
      std::lock_guard lock(mutex_);
      abandoned_ = true;
    }
    forWorkers_.notify_all();
    workers_.clear();  // joins them
  }

  Searcher(const Searcher&) = delete;
  Searcher& operator=(const Searcher&) = delete;

  // Hands on the files' rows and events in order.
  void Run(BatchedRowSink& rows, ScanWatcher& watcher, const FileSearched& searched) {
    for (FileJob& job : jobs_) {
      HandOn(job, rows, watcher);
      searched(*job.fileName, job.result);
      std::lock_guard lock(mutex_);
      ++head_;
      forWorkers_.notify_all();
    }
  }

 private:
  void HandOn(FileJob& job, BatchedRowSink& rows, ScanWatcher& watcher) {
    bool toldStarting = false, toldOpened = false;
    std::unique_lock lock(mutex_);
    for (;;) {
      bool moved = forHead_.wait_for(lock, kProgressInterval, [&] {
        return (job.started && !toldStarting) || (job.opened && !toldOpened) || !job.batches.empty() ||
               job.ended;
      });
      std::unique_ptr<RowBatch> batch;
      if (!job.batches.empty()) {
        batch = std::move(job.batches.front().first);
        job.queuedRows -= job.batches.front().second;
        job.batches.pop_front();
        forWorkers_.notify_all();
      }
      bool tellStarting = job.started && !toldStarting, tellOpened = job.opened && !toldOpened;
      bool ended = job.ended && job.batches.empty() && !batch;
      int percent = job.percent;
      lock.unlock();
      if (tellStarting) watcher.Starting(*job.fileName);
      if (tellOpened) watcher.Opened();
      toldStarting = toldStarting || tellStarting;
      toldOpened = toldOpened || tellOpened;
      const bool added = batch != nullptr;
      if (added) {
        rows.AddBatch(*batch);
        Recycle(std::move(batch));
      }
      if (ended) {
        if (job.error) std::rethrow_exception(job.error);
        return;
      }
      // Progress after rows, and while waiting for them.
      if (toldOpened && (added || !moved)) watcher.Block(percent);
      lock.lock();
    }
  }

  // Emptied batches are used again: a new one for every block would cost an
  // allocation, and fresh pages, each time. There are never more spares than
  // batches were once queued at the same time.
  void Recycle(std::unique_ptr<RowBatch> batch) {
    batch->ClearListView();
    std::lock_guard lock(mutex_);
    spare_.push_back(std::move(batch));
  }

  // Takes a spare batch, or makes one; the mutex is held.
  std::unique_ptr<RowBatch> SpareBatch() {
    if (spare_.empty()) return rows_.NewBatch();
    auto batch = std::move(spare_.back());
    spare_.pop_back();
    return batch;
  }

  // The rows a worker finds go to a batch; a full batch is queued after each block.
  class BatchFiller final : public ListRowSink, public ScanWatcher {
   public:
    BatchFiller(Searcher& searcher, FileJob& job) : searcher_(searcher), job_(job) {
      std::lock_guard lock(searcher_.mutex_);
      batch_ = searcher_.SpareBatch();
    }

    void ClearListView() override {}

    void Starting(const std::string&) override { Tell([this] { job_.started = true; }); }
    void Opened() override { Tell([this] { job_.opened = true; }); }
    // The percent is taken as it is when the head's thread looks; only rows are
    // worth waking it for.
    void Block(int percent) override { Queue(percent, kBatchRows); }

    // Queues the batch if it holds at least `rows` rows, and one.
    void Queue(int percent, std::size_t rows = 1) {
      std::unique_lock lock(searcher_.mutex_);
      job_.percent = std::max(job_.percent, percent);
      if (searcher_.abandoned_) throw Abandoned{};
      if (rowCount_ < std::max<std::size_t>(rows, 1)) return;
      searcher_.forWorkers_.wait(lock, [&] { return searcher_.abandoned_ || job_.queuedRows < kMaxQueuedRows; });
      if (searcher_.abandoned_) throw Abandoned{};
      job_.batches.emplace_back(std::exchange(batch_, searcher_.SpareBatch()), rowCount_);
      job_.queuedRows += std::exchange(rowCount_, 0);
      if (&job_ == &searcher_.jobs_[searcher_.head_]) searcher_.forHead_.notify_one();
    }

   private:
    void AddRow(const ListRowView& row) override {
      batch_->AddListRow(row);
      ++rowCount_;
    }

    template <class Change>
    void Tell(Change change) {
      std::lock_guard lock(searcher_.mutex_);
      if (searcher_.abandoned_) throw Abandoned{};
      change();
      searcher_.forHead_.notify_one();
    }

    Searcher& searcher_;
    FileJob& job_;
    std::unique_ptr<RowBatch> batch_;
    std::size_t rowCount_ = 0;
  };

  void Work() {
    for (;;) {
      FileJob* job = nullptr;
      {
        std::unique_lock lock(mutex_);
        forWorkers_.wait(lock, [&] { return abandoned_ || next_ >= jobs_.size() || next_ < head_ + lookahead_; });
        if (abandoned_ || next_ >= jobs_.size()) return;
        job = &jobs_[next_++];
      }
      CatalogueSearch result;
      std::exception_ptr error;
      std::optional<BatchFiller> filler;
      try {
        filler.emplace(*this, *job);
        result = ScanCatalogueFile(text_, *job->fileName, *filler, *filler, options_, hits_);
        filler->Queue(100);
      } catch (const Abandoned&) {
        return;
      } catch (...) {
        error = std::current_exception();
        // The rows found until then are kept, as they would be one file after another.
        try {
          if (filler) filler->Queue(0);
        } catch (...) {
          return;  // given up meanwhile
        }
      }
      std::lock_guard lock(mutex_);
      job->result = result;
      job->error = error;
      job->ended = true;
      forHead_.notify_one();
    }
  }

  const std::string text_;
  const HitOptions hits_;
  const ScanOptions options_;
  const BatchedRowSink& rows_;
  std::vector<FileJob> jobs_;
  std::size_t lookahead_ = 1;

  std::mutex mutex_;
  std::condition_variable forHead_;     // the file being handed on has news
  std::condition_variable forWorkers_;  // room for rows, a file to take, or the end
  std::size_t head_ = 0;  // the file being handed on
  std::size_t next_ = 0;  // the next file for a worker
  bool abandoned_ = false;
  std::vector<std::unique_ptr<RowBatch>> spare_;
  std::vector<std::jthread> workers_;  // last: joined before the rest goes
};

}  // namespace

void SearchFilesAhead(std::string_view text, const std::vector<std::string>& files, BatchedRowSink& rows,
                      ScanWatcher& watcher, const FileSearched& searched, const HitOptions& hits,
                      const ScanOptions& options) {
  if (files.empty()) return;
  Searcher searcher(text, files, rows, hits, options);
  searcher.Run(rows, watcher, searched);
}

}  // namespace qvl
