#include "platform/FolderReader.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <limits>
#include <cstring>

namespace qvl {
namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// Opens a path below `dirFd` without following any symbolic link on the way and
// without crossing into another file system; older kernels get plain openat.
int OpenBeneath(int dirFd, const char* path) {
  open_how how{};
  how.flags = kFolderFlags;
  how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_NO_XDEV | RESOLVE_NO_MAGICLINKS | RESOLVE_BENEATH;
  for (;;) {
    long fd = ::syscall(SYS_openat2, dirFd, path, &how, sizeof how);
    if (fd >= 0) return static_cast<int>(fd);
    if (errno == EINTR || errno == EAGAIN) continue;
    if (errno != ENOSYS) return -1;
    int plain = ::openat(dirFd, path, kFolderFlags);
    if (plain >= 0 || errno != EINTR) return plain;
  }
}

std::uint32_t AttributesFromDirentType(unsigned char type) {
  switch (type) {
    case DT_DIR: return attr::Directory;
    case DT_REG: return attr::Archive;
    case DT_LNK: return attr::ReparsePoint;
    default: return attr::Archive | attr::System;
  }
}

bool IsDotOrDotDot(const char* name) {
  return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

}  // namespace

FolderReader::FolderReader(int rootFd, bool linkTargets) : rootFd_(rootFd), linkTargets_(linkTargets) {
  // ext4 (and ext2 and ext3 through its driver) ends a folder at the largest
  // position and gives no entry that position; other file systems, FUSE above all,
  // hand out positions of their own, and get the read that returns nothing.
  struct statfs system {};
  lastPositionIsEnd_ = ::fstatfs(rootFd, &system) == 0 && system.f_type == EXT4_SUPER_MAGIC;
}

FolderReader::~FolderReader() {
  if (deepFd_ >= 0) ::close(deepFd_);
  for (const auto& link : chain_) ::close(link.fd);
}

bool FolderReader::ReadInWalk(const std::string& relativePath, std::vector<DirEntry>& entries, int& error) {
  // Folders of the chain that do not lead here are done with.
  auto leadsHere = [&](const std::string& path) {
    return relativePath.size() > path.size() && relativePath[path.size()] == '/' &&
           relativePath.compare(0, path.size(), path) == 0;
  };
  while (!chain_.empty() && !leadsHere(chain_.back().path)) {
    ::close(chain_.back().fd);
    chain_.pop_back();
  }
  // A folder one step below the chain's last is opened from it; any other (the
  // chain was full, or this is the root's own) as Read opens it.
  const char* rest = chain_.empty() ? nullptr : relativePath.c_str() + chain_.back().path.size() + 1;
  int fd = rest != nullptr && std::strchr(rest, '/') == nullptr ? OpenBeneath(chain_.back().fd, rest)
                                                                 : Open(relativePath);
  if (fd < 0) {
    error = errno;
    entries.clear();
    return false;
  }
  bool ok = ReadOpened(fd, entries, error);
  bool hasFolders = std::any_of(entries.begin(), entries.end(), IsSubfolderEntry);
  if (hasFolders && chain_.size() < kMaxChain && !relativePath.empty())
    chain_.push_back({relativePath, fd});
  else
    ::close(fd);
  return ok;
}

bool FolderReader::Read(const std::string& relativePath, std::vector<DirEntry>& entries, int& error) {
  int fd = Open(relativePath);
  if (fd < 0) {
    error = errno;
    entries.clear();
    return false;
  }
  bool ok = ReadOpened(fd, entries, error);
  ::close(fd);
  return ok;
}

int FolderReader::OpenFolder(const std::string& relativePath, int parentFd) {
  if (parentFd < 0 || relativePath.empty()) return Open(relativePath);
  auto slash = relativePath.rfind('/');
  return OpenBeneath(parentFd, relativePath.c_str() + (slash == std::string::npos ? 0 : slash + 1));
}

bool FolderReader::ReadOpened(int fd, std::vector<DirEntry>& entries, int& error) {
  std::size_t count = 0;
  bool ok = ReadEntries(fd, entries, count);
  if (!ok) error = errno;
  entries.resize(count);
  return ok;
}

int FolderReader::Open(const std::string& relativePath) {
  // A fresh open of the root, so that reading it twice starts at its beginning twice.
  if (relativePath.empty()) return OpenBeneath(rootFd_, ".");
  if (relativePath.size() < PATH_MAX - 1) return OpenBeneath(rootFd_, relativePath.c_str());
  // Longer than the system takes in one call: open it a piece at a time, from the
  // last such folder when this one lies below it (as a walk going down has it).
  int base = rootFd_;
  std::size_t start = 0;
  if (deepFd_ >= 0 && relativePath.size() > deepPath_.size() && relativePath[deepPath_.size()] == '/' &&
      relativePath.compare(0, deepPath_.size(), deepPath_) == 0) {
    base = deepFd_;
    start = deepPath_.size() + 1;
  }
  int fd = base;
  while (start < relativePath.size()) {
    std::size_t end = relativePath.size();
    if (end - start >= PATH_MAX - 1) end = relativePath.rfind('/', start + PATH_MAX - 2);
    if (end == std::string::npos || end <= start) end = relativePath.find('/', start);
    if (end == std::string::npos) end = relativePath.size();
    int next = OpenBeneath(fd, relativePath.substr(start, end - start).c_str());
    if (fd != base) ::close(fd);
    if (next < 0) return -1;
    fd = next;
    start = end + 1;
  }
  int kept = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
  if (kept >= 0) {
    if (deepFd_ >= 0) ::close(deepFd_);
    deepFd_ = kept;
    deepPath_ = relativePath;
  }
  return fd;
}

bool FolderReader::ReadEntries(int fd, std::vector<DirEntry>& entries, std::size_t& count) {
  if (!mountRootKnown_) {
    struct statx self {};
    if (::statx(fd, "", AT_EMPTY_PATH, STATX_TYPE, &self) == 0) {
      mountRootKnown_ = (self.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0;
      folderDevice_ = makedev(self.stx_dev_major, self.stx_dev_minor);
    }
  }
  for (bool first = true;; first = false) {
    long n = ::syscall(SYS_getdents64, fd, buffer_, sizeof buffer_);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return !first;  // a folder that cannot be read at all is empty
    if (n == 0) return true;
    // Room for as many entries as the first block holds at most: one allocation
    // where growing one entry at a time would make several.
    if (first) entries.reserve(static_cast<std::size_t>(n) / 24);
    std::int64_t position = 0;
    for (long offset = 0; offset < n;) {
      auto* record = reinterpret_cast<dirent64*>(buffer_ + offset);
      offset += record->d_reclen;
      position = record->d_off;
      if (!IsDotOrDotDot(record->d_name)) AddEntry(fd, record->d_name, record->d_type, entries, count);
    }
    // Spares the read that would return nothing: one system call of five a folder.
    if (lastPositionIsEnd_ && position == std::numeric_limits<std::int64_t>::max()) return true;
  }
}

void FolderReader::AddEntry(int fd, const char* name, unsigned char type, std::vector<DirEntry>& entries,
                            std::size_t& count) {
  std::uint32_t hidden = name[0] == '.' ? attr::Hidden : 0;
  struct statx st {};
  int failed = ::statx(fd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | AT_STATX_DONT_SYNC,
                       STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_MTIME, &st);
  if (failed != 0 && errno == ENOENT) return;  // gone since the folder was read
  if (count == entries.size()) entries.emplace_back();
  DirEntry& entry = entries[count++];
  entry.name.assign(name);
  entry.size = 0;
  entry.modified = kUnknownTime;
  if (failed != 0) {
    entry.attributes = AttributesFromDirentType(type) | hidden;
    return;
  }
  // The time comes with the stat the size needs: no call of its own.
  if (st.stx_mask & STATX_MTIME) entry.modified = st.stx_mtime.tv_sec;
  std::uint32_t readOnly = (st.stx_mode & S_IWUSR) ? 0 : attr::ReadOnly;
  if (S_ISDIR(st.stx_mode)) {
    // A folder where another file system is mounted is not part of this drive.
    bool mountRoot = mountRootKnown_ ? (st.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0
                                     : makedev(st.stx_dev_major, st.stx_dev_minor) != folderDevice_;
    entry.attributes = attr::Directory | (mountRoot ? attr::ReparsePoint : 0) | hidden | readOnly;
  } else if (S_ISLNK(st.stx_mode)) {
    struct stat target {};
    bool toFolder = linkTargets_ && ::fstatat(fd, name, &target, 0) == 0 && S_ISDIR(target.st_mode);
    entry.attributes = attr::ReparsePoint | (toFolder ? attr::Directory : 0) | hidden;
  } else {
    entry.attributes = (S_ISREG(st.stx_mode) ? attr::Archive : attr::Archive | attr::System) | hidden | readOnly;
    entry.size = static_cast<std::int64_t>(st.stx_size);
  }
}

bool FolderReader::HashFile(const std::string& relativePath, const std::string& name, Hash128& hash,
                            const BytesRead& read, int& error) {
  int folder = Open(relativePath);
  if (folder < 0) {
    error = errno;
    return false;
  }
  // Without O_NONBLOCK a fifo renamed in since the folder was read would wait for ever.
  int fd;
  do {
    fd = ::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  error = errno;
  ::close(folder);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    error = S_ISREG(st.st_mode) || st.st_mode == 0 ? errno : EINVAL;
    ::close(fd);
    return false;
  }
  (void)::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  if (fileBuffer_.empty()) fileBuffer_.resize(std::size_t{1} << 20);
  StreamHash128 content;
  bool ok = true;
  for (;;) {
    ssize_t n = ::read(fd, fileBuffer_.data(), fileBuffer_.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = errno;
      ok = false;
      break;
    }
    if (n == 0) break;
    content.Add(fileBuffer_.data(), static_cast<std::size_t>(n));
    if (read) read(static_cast<std::uint64_t>(n));
  }
  ::close(fd);
  if (ok) hash = content.Digest();
  return ok;
}

}  // namespace qvl
