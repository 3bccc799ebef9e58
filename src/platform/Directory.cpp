#include "platform/Directory.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <unordered_map>

#include "platform/FolderReader.h"

namespace qvl {
namespace {

// Folders read ahead (or announced) but not yet taken by the walk, and the entries
// they hold: together they bound the memory the read-ahead may take.
constexpr std::size_t kMaxReadAhead = 4096;
constexpr std::size_t kMaxHeldEntries = std::size_t{1} << 18;

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

bool IsFolderEntry(const DirEntry& entry) {
  return (entry.attributes & attr::Directory) && !(entry.attributes & attr::ReparsePoint);
}

// The walk reads the folder it needs next itself. A helper thread meanwhile reads
// the folders the walk will need last: the oldest announced subfolders (siblings of
// folders on the current path, needed only after their whole subtrees), then their
// subfolders in turn, oldest first. So the two threads seldom want the same folder,
// and neither waits for the other.
class LinuxDirectorySource final : public DirectorySource {
 public:
  LinuxDirectorySource(const std::string& rootDirectory, bool readAhead)
      : rootFd_(::open(rootDirectory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)),
        rootError_(rootFd_ < 0 ? errno : 0),
        reader_(rootFd_) {
    if (readAhead && rootFd_ >= 0) helper_ = std::thread([this] { ReadAhead(); });
  }

  ~LinuxDirectorySource() override {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    helperWake_.notify_all();
    if (helper_.joinable()) helper_.join();
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
    if (helper_.joinable() && TakeReadAhead(path, entries)) return lastOk_;
    return reader_.Read(path, entries, lastError_);
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

  void ExpectFolders(const std::vector<std::string>& folderNames,
                     const std::vector<std::string>& subfolderNames) override {
    if (!helper_.joinable() || subfolderNames.size() < 2) return;
    std::string parent = RelativePath(folderNames);
    std::lock_guard lock(mutex_);
    // The first subfolder is the walk's own next step; the others wait for it.
    for (std::size_t i = 1; i < subfolderNames.size() && jobs_.size() < kMaxReadAhead; ++i) {
      std::string path = JoinPath(parent, subfolderNames[i]);
      if (jobs_.try_emplace(path).second) pending_.push_back(std::move(path));
    }
    if (helperIdle_) helperWake_.notify_one();
  }

 private:
  struct Job {
    enum State { Announced, Reading, Done } state = Announced;
    bool ok = false;
    int error = 0;
    std::vector<DirEntry> entries;
  };

  // True when the folder was read ahead (entries, lastOk_ and lastError_ set);
  // false when the walk must read it itself.
  bool TakeReadAhead(const std::string& path, std::vector<DirEntry>& entries) {
    std::unique_lock lock(mutex_);
    auto found = jobs_.find(path);
    if (found == jobs_.end()) return false;
    // The helper may add jobs while the walk waits, which can move the table's
    // iterators but never its elements.
    Job* job = &found->second;
    if (job->state == Job::Reading) {
      ++walkWaiting_;
      walkWake_.wait(lock, [&] { return job->state == Job::Done; });
      --walkWaiting_;
    }
    bool done = job->state == Job::Done;
    if (done) {
      heldEntries_ -= job->entries.size();
      entries = std::move(job->entries);
      lastOk_ = job->ok;
      lastError_ = job->error;
    }
    jobs_.erase(path);
    if (helperIdle_) helperWake_.notify_one();  // room for more read-ahead
    return done;
  }

  // The oldest folder announced and not yet taken by the walk; empty when none, or
  // when what was read ahead already holds enough entries.
  std::string NextForHelper() {
    while (!pending_.empty() && heldEntries_ < kMaxHeldEntries) {
      std::string path = std::move(pending_.front());
      pending_.pop_front();
      auto job = jobs_.find(path);
      if (job != jobs_.end() && job->second.state == Job::Announced) {
        job->second.state = Job::Reading;
        return path;
      }
    }
    return {};
  }

  void ReadAhead() {
    FolderReader reader(rootFd_);
    std::vector<DirEntry> entries;
    std::unique_lock lock(mutex_);
    for (;;) {
      std::string path;
      while (!stopping_ && (path = NextForHelper()).empty()) {
        helperIdle_ = true;
        helperWake_.wait(lock);
        helperIdle_ = false;
      }
      if (stopping_) return;
      lock.unlock();
      int error = 0;
      bool ok = reader.Read(path, entries, error);
      lock.lock();
      // A job being read stays in the table: the walk waits for it instead of erasing it.
      Job& job = jobs_[path];
      for (auto entry = entries.begin(); entry != entries.end() && jobs_.size() < kMaxReadAhead; ++entry) {
        if (!IsFolderEntry(*entry)) continue;
        std::string child = JoinPath(path, entry->name);
        if (jobs_.try_emplace(child).second) pending_.push_back(std::move(child));
      }
      heldEntries_ += entries.size();
      job.entries = std::move(entries);
      job.ok = ok;
      job.error = error;
      job.state = Job::Done;
      entries = {};
      if (walkWaiting_ > 0) walkWake_.notify_all();
    }
  }

  int rootFd_;
  int rootError_;
  FolderReader reader_;
  bool lastOk_ = false;
  int lastError_ = 0;

  std::mutex mutex_;
  std::condition_variable helperWake_;
  std::condition_variable walkWake_;
  std::unordered_map<std::string, Job> jobs_;
  std::deque<std::string> pending_;  // announced folders, oldest first
  std::size_t heldEntries_ = 0;      // entries of the folders read ahead
  bool helperIdle_ = false;
  int walkWaiting_ = 0;
  bool stopping_ = false;
  std::thread helper_;
};

}  // namespace

std::unique_ptr<DirectorySource> MakeLinuxDirectorySource(const std::string& rootDirectory, bool readAhead) {
  return std::make_unique<LinuxDirectorySource>(rootDirectory, readAhead);
}

}  // namespace qvl
