#include "platform/File.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>

#include "platform/IoError.h"

namespace qvl {
namespace {

int OpenOrThrow(const std::string& path, int flags, std::string_view action) {
  int fd;
  do {
    fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) ThrowIoError(action, path, errno);
  return fd;
}

void LockForWriting(int fd, const std::string& path, std::string_view action) {
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return;
  int err = errno;
  ::close(fd);
  ThrowIoError(action, path, err == EWOULDBLOCK ? EBUSY : err);
}

std::string FolderOf(const std::string& path) {
  auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

}  // namespace

File File::Create(const std::string& path) {
  // Truncate only after the lock is ours, so a refused writer damages nothing.
  int fd = OpenOrThrow(path, O_WRONLY | O_CREAT, "create");
  LockForWriting(fd, path, "create");
  File file(fd, path);
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::ftruncate(fd, 0) != 0)
    ThrowIoError("truncate", path, errno);
  return file;
}

File File::CreateReplacement(const std::string& path, const std::string& temporary) {
  int fd;
  do {
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) ThrowIoError("create", path, errno);
  LockForWriting(fd, path, "create");
  File file(fd, temporary);
  if (::ftruncate(fd, 0) != 0) ThrowIoError("truncate", temporary, errno);
  return file;
}

File File::LockExisting(const std::string& path) {
  int fd = OpenOrThrow(path, O_WRONLY, "open for writing");
  LockForWriting(fd, path, "open for writing");
  return File(fd, path);
}

File File::OpenAppendText(const std::string& path, std::string* cutText) {
  int fd = OpenOrThrow(path, O_RDWR, "open for appending");
  LockForWriting(fd, path, "open for appending");
  File file(fd, path);
  std::int64_t size = file.Size();
  std::int64_t tailStart = size > 128 ? size - 128 : 0;
  char tail[128];
  std::size_t got = 0;
  while (got < static_cast<std::size_t>(size - tailStart)) {
    ssize_t n = ::pread(fd, tail + got, static_cast<std::size_t>(size - tailStart) - got,
                        tailStart + static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ThrowIoError("read", path, errno);
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  std::int64_t end = size;
  if (const void* found = std::memchr(tail, 0x1A, got)) {
    const char* mark = static_cast<const char*>(found);
    end = tailStart + (mark - tail);
    if (cutText != nullptr) cutText->assign(mark, static_cast<std::size_t>(tail + got - mark));
    if (::ftruncate(fd, end) != 0) ThrowIoError("truncate", path, errno);
  }
  file.Seek(end);
  return file;
}

File File::OpenRead(const std::string& path) {
  return File(OpenOrThrow(path, O_RDONLY, "open"), path);
}

File::File(File&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Release();
    fd_ = std::exchange(other.fd_, -1);
    path_ = std::move(other.path_);
  }
  return *this;
}

File::~File() { Release(); }

void File::Release() noexcept {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

std::int64_t File::Size() const {
  struct stat st {};
  if (::fstat(fd_, &st) != 0) ThrowIoError("get the size of", path_, errno);
  return st.st_size;
}

void File::Seek(std::int64_t position) {
  if (::lseek(fd_, position, SEEK_SET) < 0) ThrowIoError("seek in", path_, errno);
}

std::size_t File::Read(char* buffer, std::size_t capacity) {
  std::size_t got = 0;
  while (got < capacity) {
    ssize_t n = ::read(fd_, buffer + got, capacity - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ThrowIoError("read", path_, errno);
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  return got;
}

void File::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd_, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ThrowIoError("write to", path_, errno);
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

void File::Truncate(std::int64_t size) {
  if (::ftruncate(fd_, size) != 0) ThrowIoError("truncate", path_, errno);
}

void File::Sync() {
  if (::fsync(fd_) != 0) ThrowIoError("write to", path_, errno);
}

void File::TakePermissionsOf(const std::string& model) {
  struct stat st {};
  if (::stat(model.c_str(), &st) != 0) ThrowIoError("read the permissions of", model, errno);
  // Owner first: a change of owner may clear the set-id bits that fchmod then sets.
  // Not being allowed to give the file away is no failure; its group may still be.
  if (::fchown(fd_, st.st_uid, st.st_gid) != 0) {
    if (errno == EPERM) {
      // The group may be refused too; the file then keeps its creator's.
      [[maybe_unused]] int groupSet = ::fchown(fd_, static_cast<uid_t>(-1), st.st_gid);
    } else if (errno != EINVAL && errno != EOPNOTSUPP) ThrowIoError("set the owner of", path_, errno);
  }
  if (::fchmod(fd_, st.st_mode & 07777) != 0) ThrowIoError("set the permissions of", path_, errno);
}

void File::Close() {
  if (fd_ < 0) return;
  int fd = std::exchange(fd_, -1);
  if (::close(fd) != 0 && errno != EINTR) ThrowIoError("close", path_, errno);
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

void DeleteFile(const std::string& path) {
  if (::unlink(path.c_str()) != 0) ThrowIoError("delete", path, errno);
}

void RenameFile(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) ThrowIoError("rename", from, errno);
  // The new name is only safe once the folder entry itself is on the medium.
  int dir = ::open(FolderOf(to).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

bool SameFile(const std::string& a, const std::string& b) {
  auto identity = IdentityOf(a);
  return identity && identity == IdentityOf(b);
}

std::optional<FileIdentity> IdentityOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

std::string ReplacementTarget(const std::string& path) {
  std::string target = path;
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    std::error_code error;
    auto resolved = std::filesystem::weakly_canonical(path, error);
    if (error) ThrowIoError("follow the link", path, error.value());
    target = resolved.string();
  }
  if (::stat(target.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) ThrowIoError("write to", target, EISDIR);
    if (::access(target.c_str(), W_OK) != 0) ThrowIoError("write to", target, errno);
  }
  return target;
}

std::string ReadFileBytes(const std::string& path) {
  File file = File::OpenRead(path);
  std::string content;
  char block[1 << 16];
  while (std::size_t got = file.Read(block, sizeof block)) content.append(block, got);
  return content;
}

void ReplaceFile(const std::string& path, std::string_view content) {
  std::string target = ReplacementTarget(path);
  bool existed = FileExists(target);

  // A name of this process's own, so two programs saving at once never share one.
  std::string temp;
  int fd = -1;
  for (int attempt = 0; fd < 0; ++attempt) {
    temp = target + "." + std::to_string(::getpid()) + "-" + std::to_string(attempt) + ".tmp";
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && (errno != EEXIST || attempt == 99)) ThrowIoError("create", temp, errno);
  }
  File file(fd, temp);
  try {
    if (existed) file.TakePermissionsOf(target);
    file.Write(content);
    file.Sync();
    file.Close();
    RenameFile(temp, target);
  } catch (...) {
    file.Release();
    ::unlink(temp.c_str());
    throw;
  }
}

}  // namespace qvl
