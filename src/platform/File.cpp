#include "platform/File.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
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

FileState StateFrom(const struct stat& st) {
  return {{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)},
          static_cast<std::int64_t>(st.st_size),
          static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}

FileStamp StampFrom(const struct stat& st) {
  return {StateFrom(st), static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1'000'000'000 + st.st_ctim.tv_nsec};
}

// O_EXCL never follows a link and never takes a file that is there already.
int CreateNew(const std::string& path) {
  int fd;
  do {
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

// Letters and digits no one else can guess.
std::string RandomPart() {
  constexpr std::string_view kDigits = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  unsigned char bytes[12];
  std::size_t got = 0;
  while (got < sizeof bytes) {
    ssize_t n = ::getrandom(bytes + got, sizeof bytes - got, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw IoError(std::string("Cannot make a temporary file name: ") + std::strerror(errno));
    got += static_cast<std::size_t>(n);
  }
  std::string part;
  for (unsigned char byte : bytes) part += kDigits[byte % kDigits.size()];
  return part;
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

File File::CreateExclusive(const std::string& path) {
  int fd = CreateNew(path);
  if (fd < 0 && errno == EEXIST)
    throw IoError("Cannot create \"" + path +
                  "\": a file of that name is in the way, perhaps left by a run that was stopped; "
                  "remove it if no program is writing it");
  if (fd < 0) ThrowIoError("create", path, errno);
  LockForWriting(fd, path, "create");
  return File(fd, path);
}

File File::CreateUnique(const std::string& stem, std::string_view ending, const std::string& meant) {
  for (int attempt = 0;; ++attempt) {
    std::string path = stem + RandomPart() + std::string(ending);
    int fd = CreateNew(path);
    if (fd >= 0) {
      LockForWriting(fd, meant, "create");
      return File(fd, path);
    }
    if (errno != EEXIST || attempt == 20) ThrowIoError("create", meant, errno);
  }
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
  // Without O_NONBLOCK, opening a pipe waits for a writer that may never come.
  File file(OpenOrThrow(path, O_RDONLY | O_NONBLOCK, "open"), path);
  struct stat st {};
  if (::fstat(file.fd_, &st) != 0) ThrowIoError("open", path, errno);
  if (S_ISDIR(st.st_mode)) ThrowIoError("open", path, EISDIR);
  if (!S_ISREG(st.st_mode)) throw IoError("Cannot open \"" + path + "\": it is not a regular file");
  int flags = ::fcntl(file.fd_, F_GETFL);
  if (flags >= 0) (void)::fcntl(file.fd_, F_SETFL, flags & ~O_NONBLOCK);
  return file;
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

FileState File::State() const {
  struct stat st {};
  if (::fstat(fd_, &st) != 0) ThrowIoError("get the size of", path_, errno);
  return StateFrom(st);
}

FileStamp File::Stamp() const {
  struct stat st {};
  if (::fstat(fd_, &st) != 0) ThrowIoError("get the size of", path_, errno);
  return StampFrom(st);
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

std::size_t File::ReadAt(std::int64_t position, char* buffer, std::size_t capacity) const {
  std::size_t got = 0;
  while (got < capacity) {
    ssize_t n = ::pread(fd_, buffer + got, capacity - got, static_cast<off_t>(position + static_cast<std::int64_t>(got)));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ThrowIoError("read", path_, errno);
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  return got;
}

void File::Prefetch(std::int64_t position, std::int64_t length) const {
  if (length > 0) (void)::posix_fadvise(fd_, static_cast<off_t>(position), static_cast<off_t>(length), POSIX_FADV_WILLNEED);
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

std::optional<FileState> StateOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return StateFrom(st);
}

std::optional<FileStamp> StampOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return StampFrom(st);
}

namespace {

// The kernel follows a link in a sticky folder that everyone may write only when
// the link is the follower's or the folder owner's (fs.protected_symlinks); a name
// resolved here and then renamed over gets the same rule, whatever that setting.
void CheckLinkMayBeFollowed(const std::string& link, const struct stat& linkStat) {
  struct stat folder {};
  if (::stat(FolderOf(link).c_str(), &folder) != 0) return;
  const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
  if (shared && linkStat.st_uid != ::geteuid() && linkStat.st_uid != folder.st_uid)
    throw IoError("Cannot write through the link \"" + link +
                  "\": it belongs to another user, in a folder everyone may write");
}

// The name a chain of symbolic links ends in, whether or not a file is there.
std::string FollowLinks(const std::string& path) {
  std::string current = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    CheckLinkMayBeFollowed(current, st);
    std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
    ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
    if (length < 0) ThrowIoError("follow the link", current, errno);
    target.resize(static_cast<std::size_t>(length));
    current = target.starts_with('/') ? target : FolderOf(current) + "/" + target;
  }
  ThrowIoError("follow the link", path, ELOOP);
}

}  // namespace

std::string ReplacementTarget(const std::string& path) {
  std::string target = FollowLinks(path);
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) ThrowIoError("write to", target, EISDIR);
    if (::access(target.c_str(), W_OK) != 0) ThrowIoError("write to", target, errno);
  }
  return target;
}

std::string LinkTargetOf(const std::string& path) {
  std::string current = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
    ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
    if (length < 0) return path;
    target.resize(static_cast<std::size_t>(length));
    current = target.starts_with('/') ? target : FolderOf(current) + "/" + target;
  }
  return path;
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

  // A name of its own, so two programs saving at once never share one.
  File file = File::CreateUnique(target + ".", ".tmp", target);
  const std::string temp = file.Path();
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
