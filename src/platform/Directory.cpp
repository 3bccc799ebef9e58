#include "platform/Directory.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <unordered_map>

#include "platform/FolderReader.h"

namespace qvl {
namespace {

// Folders read ahead but not yet taken by the walk hold at most this many entries;
// past it the readers rest until the walk has taken half of them.
constexpr std::size_t kMaxHeldEntries = std::size_t{1} << 18;
// Folders known to the read-ahead (announced, being read or read), at most.
constexpr std::size_t kMaxJobs = std::size_t{1} << 16;
// A reader takes this many folders at a time, and the walk, once it has had to
// wait, sleeps until this many more are read: one hand-over per batch, not per folder.
constexpr std::size_t kReaderBatch = 8;
constexpr std::size_t kWalkBatch = 512;
// Entry vectors go back to the readers once the walk is done with them, so that
// names are written into room made before rather than made on one thread and freed
// on another. Vectors of large folders are let go instead of kept.
constexpr std::size_t kMaxSpareVectors = 4096;
constexpr std::size_t kMaxSpareEntries = 4096;
// A folder read ahead stays open, up to this many at once, until its subfolders are
// opened from it: opening "a/b/c/d" from the root walks the whole path again.
constexpr std::size_t kMaxKeptFolders = 256;

// An open folder whose subfolders are still to be opened from it.
struct FolderHandle {
  FolderHandle(int folderFd, std::atomic<std::size_t>& keptCount) : fd(folderFd), kept(keptCount) {}
  ~FolderHandle() {
    ::close(fd);
    kept.fetch_sub(1, std::memory_order_relaxed);
  }
  FolderHandle(const FolderHandle&) = delete;
  FolderHandle& operator=(const FolderHandle&) = delete;
  int fd;
  std::atomic<std::size_t>& kept;
};
using FolderHandlePtr = std::shared_ptr<const FolderHandle>;

struct FoundFolder {
  std::string path;
  FolderHandlePtr parent;  // none: opened from the root
};

std::size_t KeptFoldersAllowed() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return kMaxKeptFolders;
  return std::min<std::size_t>(kMaxKeptFolders, limit.rlim_cur / 4);
}

std::string JoinPath(const std::string& parent, const std::string& name) {
  return parent.empty() ? name : parent + "/" + name;
}

std::string RelativePath(const std::vector<std::string>& folderNames) {
  std::string path;
  for (const auto& name : folderNames) {
    if (!path.empty()) path += '/';
    path += name;
  }
  return path;
}

// Takes the lock by trying for a moment before sleeping on it: it is held for a
// few table operations only, and a sleep would cost two system calls.
std::unique_lock<std::mutex> QuickLock(std::mutex& mutex) {
  for (int attempt = 0; attempt < 200; ++attempt) {
    if (mutex.try_lock()) return std::unique_lock(mutex, std::adopt_lock);
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
  }
  return std::unique_lock(mutex);
}

// Readers read the folders the walk will need soon, nearest first: the walk
// announces each folder's subfolders in its own order, and a reader that has read a
// folder announces the folders in it. Both go on top of one stack, so the readers
// go down the tree just ahead of the walk, as the walk itself will. The walk takes
// what has been read; a folder nobody has started it reads itself rather than wait.
class LinuxDirectorySource final : public DirectorySource {
 public:
  // Takes `rootFd` (or, when it is -1, keeps `rootError` to report).
  LinuxDirectorySource(int rootFd, int rootError, DirectoryOptions options)
      : rootFd_(rootFd),
        rootError_(rootFd_ < 0 ? rootError : 0),
        options_(options),
        reader_(rootFd_, options.linkTargets),
        keptFoldersAllowed_(KeptFoldersAllowed()) {
  }

  ~LinuxDirectorySource() override {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    readerWake_.notify_all();
    for (auto& reader : readers_) reader.join();
    if (rootFd_ >= 0) ::close(rootFd_);
  }
  LinuxDirectorySource(const LinuxDirectorySource&) = delete;
  LinuxDirectorySource& operator=(const LinuxDirectorySource&) = delete;

  bool Enumerate(const std::vector<std::string>& folderNames, std::vector<DirEntry>& entries) override {
    if (rootFd_ < 0) {
      lastError_ = rootError_;
      return false;
    }
    std::string path = RelativePath(folderNames);
    if (!readers_.empty() && TakeReadAhead(path)) {
      TakeOver(entries);
      return lastOk_;
    }
    if (readers_.empty()) return reader_.ReadInWalk(path, entries, lastError_);
    return reader_.Read(path, entries, lastError_);
  }

  std::unique_ptr<DirectorySource> Fork() override {
    DirectoryOptions options = options_;
    options.readAheadThreads = 0;
    int fd = rootFd_ < 0 ? -1 : ::fcntl(rootFd_, F_DUPFD_CLOEXEC, 0);
    if (rootFd_ >= 0 && fd < 0) return nullptr;
    return std::make_unique<LinuxDirectorySource>(fd, rootError_, options);
  }

  std::string FailureReason() const override { return std::strerror(lastError_); }

  bool HashFile(const std::vector<std::string>& folderNames, const std::string& name, Hash128& hash,
                const BytesRead& read) override {
    if (rootFd_ < 0) {
      lastError_ = rootError_;
      return false;
    }
    return reader_.HashFile(RelativePath(folderNames), name, hash, read, lastError_);
  }

  // Kept until the walk next takes the lock, so that a folder costs it one.
  void ExpectFolders(const std::vector<std::string>& folderNames,
                     const std::vector<std::string>& subfolderNames) override {
    // The readers start with the first folders announced: a source that is only
    // forked, or reads one folder, needs none.
    if (readers_.empty() && rootFd_ >= 0)
      for (int i = 0; i < options_.readAheadThreads; ++i) readers_.emplace_back([this] { ReadAhead(); });
    if (readers_.empty() || subfolderNames.empty()) return;
    std::string parent = RelativePath(folderNames);
    // Last first, so that the first subfolder, the walk's next step, ends on top.
    for (auto name = subfolderNames.rbegin(); name != subfolderNames.rend(); ++name)
      announced_.push_back({JoinPath(parent, *name), nullptr});
  }

 private:
  struct Job {
    enum State { Announced, Reading, Done } state = Announced;
    bool ok = false;
    int error = 0;
    std::vector<DirEntry> entries;
    FolderHandlePtr parent;  // while announced
  };

  // What a reader read becomes the walk's; the walk's vector before goes back to the
  // readers, its names' room with it.
  void TakeOver(std::vector<DirEntry>& entries) {
    entries.swap(taken_);
    if (taken_.size() <= kMaxSpareEntries) returned_.push_back(std::move(taken_));
    taken_ = {};
  }

  // Hands the vectors the walk is done with to the readers; the lock is held.
  void KeepReturned() {
    for (auto& vector : returned_)
      if (spare_.size() < kMaxSpareVectors) spare_.push_back(std::move(vector));
    returned_.clear();
  }

  // A folder of a reader's batch. Its job stays in the table while it is read.
  struct Read {
    Job* job = nullptr;
    bool ok = false;
    int error = 0;
    std::vector<DirEntry> entries;
    FolderHandlePtr parent;
  };

  // Puts folders on top of the stack; the lock is held. A folder announced again
  // (by the walk, after a reader) moves up; its older place is skipped later. True
  // when resting readers are to be woken (once the lock is let go).
  bool Announce(std::vector<FoundFolder>& folders) {
    bool added = false;
    for (auto& folder : folders) {
      if (jobs_.size() >= kMaxJobs) break;
      auto [job, fresh] = jobs_.try_emplace(folder.path);
      if (!fresh && job->second.state != Job::Announced) continue;
      if (!job->second.parent) job->second.parent = std::move(folder.parent);
      stack_.push_back(std::move(folder.path));
      added = true;
    }
    folders.clear();
    if (!added || !readersWantWork_) return false;
    readersWantWork_ = false;
    return true;
  }

  // True when a reader read the folder (entries, lastOk_ and lastError_ set);
  // false when the walk must read it itself.
  bool TakeReadAhead(const std::string& path) {
    bool wakeReaders = false;
    bool taken = false;
    {
      std::unique_lock lock = QuickLock(mutex_);
      wakeReaders = Announce(announced_);
      KeepReturned();
      auto found = jobs_.find(path);
      if (found != jobs_.end() && found->second.state == Job::Announced) {
        jobs_.erase(found);  // its place on the stack is skipped
      } else if (found != jobs_.end()) {
        // Readers add jobs while the walk waits, which can move the table's
        // iterators but never its elements.
        Job* job = &found->second;
        bool waited = job->state == Job::Reading;
        if (waited) {
          waitedJob_ = job;
          doneWhileWaiting_ = 0;
          walkWake_.wait(lock, [&] { return WalkMayGoOn(); });
          waitedJob_ = nullptr;
        }
        heldEntries_ -= job->entries.size();
        taken_ = std::move(job->entries);
        lastOk_ = job->ok;
        lastError_ = job->error;
        if (waited)
          jobs_.erase(path);
        else
          jobs_.erase(found);
        taken = true;
        if (readersWantRoom_ && heldEntries_ < kMaxHeldEntries / 2) {
          readersWantRoom_ = false;
          wakeReaders = true;
        }
      }
    }
    if (wakeReaders) readerWake_.notify_all();
    return taken;
  }

  // The walk waits for a folder being read: it goes on once that one is read and a
  // batch more with it, or nothing more is coming soon.
  bool WalkMayGoOn() const {
    return waitedJob_->state == Job::Done &&
           (doneWhileWaiting_ >= kWalkBatch || reading_ == 0 || heldEntries_ >= kMaxHeldEntries);
  }

  // Up to a batch of the folders on top of the stack, marked as being read.
  void TakeBatch(std::vector<std::string>& batch, std::vector<Read>& results) {
    while (!stack_.empty() && batch.size() < kReaderBatch) {
      std::string path = std::move(stack_.back());
      stack_.pop_back();
      auto job = jobs_.find(path);
      if (job == jobs_.end() || job->second.state != Job::Announced) continue;
      job->second.state = Job::Reading;
      batch.push_back(std::move(path));
      if (results.size() < batch.size()) results.emplace_back();
      Read& result = results[batch.size() - 1];
      result.job = &job->second;
      result.parent = std::move(job->second.parent);
      if (result.entries.empty() && !spare_.empty()) {
        result.entries = std::move(spare_.back());
        spare_.pop_back();
      }
    }
  }

  void ReadAhead() {
    FolderReader reader(rootFd_, options_.linkTargets);
    std::vector<std::string> batch;
    std::vector<Read> results;
    std::vector<FoundFolder> found;  // folders in what was read, for the stack
    std::unique_lock lock(mutex_);
    for (;;) {
      for (;;) {
        if (stopping_) return;
        if (heldEntries_ >= kMaxHeldEntries) {
          readersWantRoom_ = true;
        } else {
          TakeBatch(batch, results);
          if (!batch.empty()) break;
          readersWantWork_ = true;
        }
        readerWake_.wait(lock);
      }
      reading_ += batch.size();
      lock.unlock();
      for (std::size_t i = 0; i < batch.size(); ++i) {
        Read& result = results[i];
        result.error = 0;
        int fd = reader.OpenFolder(batch[i], result.parent ? result.parent->fd : -1);
        int openError = errno;
        result.parent.reset();  // may close the parent
        if (fd < 0) {
          result.ok = false;
          result.error = openError;
          result.entries.clear();
          continue;
        }
        result.ok = reader.ReadOpened(fd, result.entries, result.error);
        result.parent = KeepOpen(fd, result.entries);
      }
      // The batch came off the top, its first folder soonest needed: the folders
      // in that one go on top, each folder's in their order.
      for (std::size_t i = batch.size(); i-- > 0;) {
        const auto& entries = results[i].entries;
        for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry)
          if (IsSubfolderEntry(*entry)) found.push_back({JoinPath(batch[i], entry->name), results[i].parent});
        results[i].parent.reset();
      }
      lock = QuickLock(mutex_);
      reading_ -= batch.size();
      for (std::size_t i = 0; i < batch.size(); ++i) {
        // A job being read stays in the table: the walk waits for it instead of erasing it.
        Job& job = *results[i].job;
        heldEntries_ += results[i].entries.size();
        job.entries = std::move(results[i].entries);
        results[i].entries = {};
        job.ok = results[i].ok;
        job.error = results[i].error;
        job.state = Job::Done;
        ++doneWhileWaiting_;
      }
      batch.clear();
      bool wakeReaders = Announce(found);
      bool wakeWalk = waitedJob_ != nullptr && WalkMayGoOn();
      if (wakeReaders || wakeWalk) {
        // Woken after the lock is let go, so that they do not wake only to wait for it.
        lock.unlock();
        if (wakeReaders) readerWake_.notify_all();
        if (wakeWalk) walkWake_.notify_one();
        lock = QuickLock(mutex_);
      }
    }
  }

  // The folder just read, kept open for its subfolders when it has any and room is
  // left; else closed.
  FolderHandlePtr KeepOpen(int fd, const std::vector<DirEntry>& entries) {
    bool hasFolders = std::any_of(entries.begin(), entries.end(), IsSubfolderEntry);
    if (hasFolders && keptFolders_.fetch_add(1, std::memory_order_relaxed) < keptFoldersAllowed_)
      return std::make_shared<const FolderHandle>(fd, keptFolders_);
    if (hasFolders) keptFolders_.fetch_sub(1, std::memory_order_relaxed);
    ::close(fd);
    return nullptr;
  }

  int rootFd_;
  int rootError_;
  DirectoryOptions options_;
  FolderReader reader_;
  const std::size_t keptFoldersAllowed_;
  // Declared before the jobs, whose handles count themselves out of it.
  std::atomic<std::size_t> keptFolders_{0};
  bool lastOk_ = false;
  int lastError_ = 0;
  std::vector<FoundFolder> announced_;  // by the walk, not yet on the stack
  std::vector<DirEntry> taken_;         // as a reader left it, for TakeOver
  std::vector<std::vector<DirEntry>> returned_;  // by the walk, not yet spare

  std::mutex mutex_;
  std::condition_variable readerWake_;
  std::condition_variable walkWake_;
  std::unordered_map<std::string, Job> jobs_;
  std::vector<std::string> stack_;  // folders to read, the soonest needed on top
  std::vector<std::vector<DirEntry>> spare_;  // entry vectors for the readers to fill
  std::size_t heldEntries_ = 0;     // entries of the folders read ahead
  std::size_t reading_ = 0;         // folders being read
  std::size_t doneWhileWaiting_ = 0;
  const Job* waitedJob_ = nullptr;  // the folder the walk waits for
  bool readersWantWork_ = false;
  bool readersWantRoom_ = false;
  bool stopping_ = false;
  std::vector<std::thread> readers_;
};

}  // namespace

std::unique_ptr<DirectorySource> MakeLinuxDirectorySource(const std::string& rootDirectory,
                                                          DirectoryOptions options) {
  int fd = ::open(rootDirectory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  int error = fd < 0 ? errno : 0;
  return std::make_unique<LinuxDirectorySource>(fd, error, options);
}

std::unique_ptr<DirectorySource> MakeLinuxDirectorySource(const std::string& rootDirectory, bool readAhead) {
  DirectoryOptions options;
  if (!readAhead) options.readAheadThreads = 0;
  return MakeLinuxDirectorySource(rootDirectory, options);
}

}  // namespace qvl
