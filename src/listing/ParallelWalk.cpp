#include "listing/ParallelWalk.h"

#include <sched.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

#include "listing/CompanionCollector.h"

namespace qvl {
namespace {

// Walked and not yet written, at most; past it the threads rest before taking more.
constexpr std::size_t kMaxHeldBytes = std::size_t{64} << 20;
// A walk hands its records on in pieces of about this size, so that they are
// written while it goes on, and in memory that has been used before.
constexpr std::size_t kPieceBytes = std::size_t{1} << 18;
constexpr std::size_t kMaxSparePieces = 16;
// How often the writing thread looks whether the walking threads wait on the disk.
constexpr std::chrono::milliseconds kBusyCheck{100};

struct Part;

// A stretch of a part's output: records with their companion entries and the
// folders found unreadable on the way, or a part of its own that comes in its place.
struct Piece {
  std::string records;
  std::vector<std::int64_t> times;
  std::vector<std::uint64_t> folderFirstEntry;  // counted from the piece's first entry
  std::uint64_t files = 0;
  std::uint64_t bytes = 0;
  std::vector<std::pair<std::string, std::string>> unreadable;  // listed path, reason
  std::string lastFolder;  // the listed path of the folder it ends in, for the progress
  Part* part = nullptr;
};

// A folder and everything below it that was not handed on. Pieces are added by the
// thread that walks it and taken in their order by the writing thread, both under
// the lock; a piece stays where it is while others are added.
struct Part {
  std::vector<std::string> pathNames;
  std::string listPath;
  enum State { Waiting, Walking, Walked } state = Waiting;
  std::deque<Piece> pieces;
  std::exception_ptr failure;
};

// Ends a part's walk once the listing has failed elsewhere.
struct Stopped {};

class Walks;

// The writing thread tells the progress which part it writes; the walks, nothing.
DriveWalk::Options WithoutFolderReports(DriveWalk::Options options) {
  options.reportFolders = false;
  return options;
}

// Walks parts on one thread, into pieces. As the walk's writer it passes each folder
// on, and closes a piece after a folder once the piece is large enough.
class PartWalker final : public SubfolderHandOff, public FolderWriter, public Progress {
 public:
  PartWalker(Walks& walks, std::unique_ptr<DirectorySource> source, const ParallelWalkSetup& setup, bool companion)
      : walks_(walks),
        source_(std::move(source)),
        companion_(companion),
        writer_(unused_, SIZE_MAX),
        collector_(writer_, data_),
        target_(companion ? static_cast<FolderWriter&>(collector_) : writer_),
        walk_(*source_, setup.collator, *this, *this, WithoutFolderReports(setup.options)) {
    walk_.SetHandOff(this);
  }

  void Walk(Part& part) {
    part_ = &part;
    walk_.RunFolder(part.pathNames, part.listPath);
    ClosePiece();
  }
  void ClosePiece();

  bool TakeSubfolders(const WalkState& state, const std::vector<std::string>& pathNames) override;
  void BeginFolder(const WalkState& state) override;
  void EndFolder(const WalkState& state) override;
  void FolderUnreadable(std::string_view listPath, std::string_view reason) override {
    unreadable_.emplace_back(listPath, reason);
  }

 private:
  Walks& walks_;
  std::unique_ptr<DirectorySource> source_;
  bool companion_;
  StringSink unused_;  // the writer's records are taken, never handed over
  CatalogueWriter writer_;
  CompanionData data_;
  CompanionCollector collector_;
  FolderWriter& target_;
  DriveWalk walk_;
  Part* part_ = nullptr;
  std::vector<std::pair<std::string, std::string>> unreadable_;
};

// The parts of a listing and the threads that walk them. Parts waiting to be walked
// queue with the most recently handed on first: those lie deepest in the tree, and
// so, mostly, soonest in the output.
class Walks {
 public:
  Walks(const ParallelWalkSetup& setup, std::unique_ptr<DirectorySource> source, bool companion)
      : setup_(setup), companion_(companion), walker_(*this, std::move(source), setup, companion) {}

  ~Walks() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    workWake_.notify_all();
    for (auto& thread : threads_) thread.join();
  }
  Walks(const Walks&) = delete;
  Walks& operator=(const Walks&) = delete;

  void Run(CatalogueWriter& writer, CompanionData* companion) {
    Part& root = parts_.emplace_back();
    root.listPath = std::string(1, AsciiUpper(setup_.driveLetter)) + ":\\";
    // The root is walked here; the threads start on what it hands on.
    maxThreads_ = static_cast<std::size_t>(setup_.threads + setup_.extraThreads);
    threads_.reserve(maxThreads_);
    while (threads_.size() < static_cast<std::size_t>(setup_.threads)) StartThread();
    busySince_ = {std::chrono::steady_clock::now(), ProcessorTime()};
    // Parts are written depth first, each from the next of its pieces.
    std::vector<std::pair<Part*, std::size_t>> path;
    Enter(root);
    path.emplace_back(&root, 0);
    while (!path.empty()) {
      Part& part = *path.back().first;
      Piece* piece = NextPiece(part, path.back().second);
      if (piece == nullptr) {
        Release(part);
        path.pop_back();
        continue;
      }
      ++path.back().second;
      if (piece->part != nullptr) {
        Enter(*piece->part);
        path.emplace_back(piece->part, 0);
        continue;
      }
      WritePiece(*piece, writer, companion);
    }
  }

  bool WantsParts() const {
    return waiting_.load(std::memory_order_relaxed) < walkingThreads_.load(std::memory_order_relaxed);
  }
  bool Stopping() const { return stopping_.load(std::memory_order_relaxed); }

  // An empty piece whose records and times have room from pieces written before,
  // so that a walk writes into memory already in use rather than fresh pages.
  Piece SparePiece() {
    Piece piece;
    {
      std::lock_guard lock(mutex_);
      if (!spare_.empty()) {
        piece.records.swap(spare_.back().records);
        piece.times.swap(spare_.back().times);
        spare_.pop_back();
      }
    }
    // Room for a whole piece, made once: a walk's writer goes on in it.
    piece.records.reserve(2 * kPieceBytes);
    piece.times.reserve(kPieceBytes / 8);
    return piece;
  }

  // A piece of `part` walked.
  void AddPiece(Part& part, Piece piece) {
    bool wake = false;
    {
      std::lock_guard lock(mutex_);
      heldBytes_ += piece.records.size();
      part.pieces.push_back(std::move(piece));
      wake = awaited_ == &part;
    }
    if (wake) walked_.notify_one();
  }

  // Queues the subfolders of the folder being walked in `into` as parts of their
  // own, each a piece of `into` in the place where its output comes.
  void AddParts(const WalkState& state, const std::vector<std::string>& pathNames, Part& into) {
    std::vector<Part> added(state.Current().FolderNames.size());
    for (std::size_t i = 0; i < added.size(); ++i) {
      const std::string& name = state.Current().FolderNames[i];
      added[i].pathNames = pathNames;
      added[i].pathNames.push_back(name);
      added[i].listPath = state.ListPath + name + '\\';
    }
    bool wake = false;
    bool wakeWriter = false;
    {
      std::lock_guard lock(mutex_);
      auto at = queue_.begin();
      for (Part& part : added) {
        Part* queued = &parts_.emplace_back(std::move(part));
        into.pieces.emplace_back().part = queued;
        at = queue_.insert(at, queued) + 1;
      }
      waiting_.store(queue_.size(), std::memory_order_relaxed);
      wake = idleThreads_ > 0 && heldBytes_ < kMaxHeldBytes;
      wakeWriter = awaited_ == &into;
    }
    if (wake) workWake_.notify_all();
    if (wakeWriter) walked_.notify_one();
  }

 private:
  void Work(PartWalker& walker) {
    std::unique_lock lock(mutex_);
    for (;;) {
      while (!stopping_ && (queue_.empty() || heldBytes_ >= kMaxHeldBytes)) {
        ++idleThreads_;
        workWake_.wait(lock);
        --idleThreads_;
      }
      if (stopping_) return;
      Part& part = *queue_.front();
      queue_.pop_front();
      waiting_.store(queue_.size(), std::memory_order_relaxed);
      WalkHere(walker, part, lock);
    }
  }

  void StartThread() {
    threads_.emplace_back([this] { WalkOnThisThread(); });
    walkingThreads_.store(threads_.size(), std::memory_order_relaxed);
  }

  // A walking thread reads through a descriptor table of its own, made before it
  // opens anything: the kernel then takes no reference on a folder for each stat
  // in it, as it must where threads share one. What it opens it closes itself.
  void WalkOnThisThread() {
#if !defined(__SANITIZE_THREAD__)  // which tells descriptors apart by number alone
    (void)::unshare(CLONE_FILES);
#endif
    try {
      std::unique_ptr<DirectorySource> source = setup_.source.Fork();
      if (!source) return;  // the parts go to the others
      PartWalker walker(*this, std::move(source), setup_, companion_);
      Work(walker);
    } catch (...) {
      // Nothing was taken that the others cannot walk.
    }
  }

  static std::chrono::nanoseconds ProcessorTime() {
    timespec time{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &time);
    return std::chrono::seconds(time.tv_sec) + std::chrono::nanoseconds(time.tv_nsec);
  }

  // Whether the threads kept the processor busy since the last look: when they
  // did not, they wait on the disk, and more of them keep more reads in flight.
  bool WalkersBusy() {
    auto now = std::chrono::steady_clock::now();
    if (now - busySince_.first < kBusyCheck) return true;  // too soon to tell
    auto used = ProcessorTime();
    double wall = std::chrono::duration<double>(now - busySince_.first).count();
    double processor = std::chrono::duration<double>(used - busySince_.second).count();
    busySince_ = {now, used};
    return wall <= 0 || processor / wall >= static_cast<double>(threads_.size()) - 0.5;
  }

  // Walks `part` on this thread; the lock is held before and after.
  void WalkHere(PartWalker& walker, Part& part, std::unique_lock<std::mutex>& lock) {
    part.state = Part::Walking;
    lock.unlock();
    try {
      walker.Walk(part);
    } catch (...) {
      part.failure = std::current_exception();
    }
    lock.lock();
    part.state = Part::Walked;
    if (awaited_ == &part) walked_.notify_one();
  }

  // Starts writing `part`: walks it on this thread when no other has started it.
  void Enter(Part& part) {
    {
      std::unique_lock lock(mutex_);
      if (part.state == Part::Waiting) {
        auto queued = std::find(queue_.begin(), queue_.end(), &part);  // the root never queues
        if (queued != queue_.end()) queue_.erase(queued);
        waiting_.store(queue_.size(), std::memory_order_relaxed);
        WalkHere(walker_, part, lock);
      }
    }
    setup_.progress.Status("Listing " + part.listPath);
  }

  // The piece of `part` at `index` once it is there; none when the part is walked
  // and has no more. The pieces written before leave the budget.
  Piece* NextPiece(Part& part, std::size_t index) {
    bool wake = false;
    Piece* piece = nullptr;
    {
      std::unique_lock lock(mutex_);
      const bool wasFull = heldBytes_ >= kMaxHeldBytes;
      heldBytes_ -= std::exchange(writtenBytes_, 0);
      for (Piece& written : written_)
        if (spare_.size() < kMaxSparePieces) spare_.push_back(std::move(written));
      written_.clear();
      wake = wasFull && heldBytes_ < kMaxHeldBytes && idleThreads_ > 0 && !queue_.empty();
      awaited_ = &part;
      while (index >= part.pieces.size() && part.state != Part::Walked) {
        walked_.wait_for(lock, kBusyCheck);
        if (threads_.size() < maxThreads_ && !WalkersBusy()) StartThread();
      }
      awaited_ = nullptr;
      if (index < part.pieces.size()) piece = &part.pieces[index];
    }
    if (wake) workWake_.notify_all();
    if (piece == nullptr && part.failure) std::rethrow_exception(part.failure);
    return piece;
  }

  // A part written: its memory goes.
  static void Release(Part& part) {
    part.pieces = {};
    part.pathNames = {};
    part.listPath = {};
  }

  void WritePiece(Piece& piece, CatalogueWriter& writer, CompanionData* companion) {
    for (const auto& [listPath, reason] : piece.unreadable) setup_.progress.FolderUnreadable(listPath, reason);
    setup_.progress.Status("Listing " + piece.lastFolder);
    if (companion != nullptr) {
      const std::uint64_t first = companion->EntryCount();
      for (std::uint64_t entry : piece.folderFirstEntry) companion->folderFirstEntry.push_back(first + entry);
      companion->times.insert(companion->times.end(), piece.times.begin(), piece.times.end());
      companion->volume.files += piece.files;
      companion->volume.bytes += piece.bytes;
    }
    writer.AppendRecords(piece.records);
    writtenBytes_ += piece.records.size();
    piece.records.clear();
    piece.times.clear();
    Piece& written = written_.emplace_back();
    written.records.swap(piece.records);
    written.times.swap(piece.times);
    piece = Piece{};
  }

  const ParallelWalkSetup& setup_;
  const bool companion_;
  PartWalker walker_;  // on the writing thread
  std::size_t maxThreads_ = 0;
  std::atomic<std::size_t> walkingThreads_{0};
  std::pair<std::chrono::steady_clock::time_point, std::chrono::nanoseconds> busySince_;
  std::mutex mutex_;
  std::condition_variable workWake_;
  std::condition_variable walked_;
  std::deque<Part> parts_;
  std::deque<Part*> queue_;
  std::atomic<std::size_t> waiting_{0};
  std::atomic<bool> stopping_{false};
  std::size_t heldBytes_ = 0;     // in pieces not yet written
  std::size_t writtenBytes_ = 0;  // written since the lock was last taken to write
  std::size_t idleThreads_ = 0;
  std::vector<Piece> written_;  // since the lock was last taken to write, for spare_
  std::vector<Piece> spare_;
  const Part* awaited_ = nullptr;
  std::vector<std::thread> threads_;
};

void PartWalker::ClosePiece() {
  Piece piece = walks_.SparePiece();
  writer_.SwapRecords(piece.records);
  if (companion_) {
    data_.times.swap(piece.times);
    piece.folderFirstEntry = std::exchange(data_.folderFirstEntry, {});
    piece.files = std::exchange(data_.volume.files, 0);
    piece.bytes = std::exchange(data_.volume.bytes, 0);
  }
  piece.unreadable = std::exchange(unreadable_, {});
  piece.lastFolder = walk_.State().ListPath.empty() ? part_->listPath : walk_.State().ListPath;
  if (piece.records.empty() && piece.unreadable.empty()) {
    writer_.SwapRecords(piece.records);
    data_.times.swap(piece.times);
    return;
  }
  walks_.AddPiece(*part_, std::move(piece));
}

bool PartWalker::TakeSubfolders(const WalkState& state, const std::vector<std::string>& pathNames) {
  if (!walks_.WantsParts()) return false;
  ClosePiece();
  walks_.AddParts(state, pathNames, *part_);
  return true;
}

void PartWalker::BeginFolder(const WalkState& state) {
  if (walks_.Stopping()) throw Stopped{};
  target_.BeginFolder(state);
}

void PartWalker::EndFolder(const WalkState& state) {
  target_.EndFolder(state);
  if (writer_.PendingBytes() >= kPieceBytes) ClosePiece();
}

}  // namespace

int DefaultWalkThreads() {
  return static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 2u, 4u));
}

bool WalkInParallel(const ParallelWalkSetup& setup, CatalogueWriter& writer, CompanionData* companion) {
  std::unique_ptr<DirectorySource> source = setup.source.Fork();
  if (!source) return false;
  Walks walks(setup, std::move(source), companion != nullptr);
  walks.Run(writer, companion);
  return true;
}

}  // namespace qvl
