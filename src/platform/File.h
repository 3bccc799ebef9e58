#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ByteSink.h"

namespace qvl {

// Which file a name leads to, to tell later whether it still leads there.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  bool operator==(const FileIdentity&) const = default;
};

// A file as a reader saw it: a file changed since (written over in place, cut
// short, appended to, or another file renamed in its place) no longer matches.
struct FileState {
  FileIdentity identity;
  std::int64_t size = 0;
  std::int64_t modifiedNs = 0;  // the modification time, in nanoseconds
  bool operator==(const FileState&) const = default;
};

// A FileState with the time of the inode's last change, which no program can set
// back: a file written over in place and given its old time again still differs.
struct FileStamp {
  FileState state;
  std::int64_t changedNs = 0;
  bool operator==(const FileStamp&) const = default;
};

// One open file over a POSIX descriptor. Every failure throws IoError naming the
// file and the system's reason. Writes go straight to the operating system, so
// what Write has returned from survives the end of the process.
class File : public ByteSink {
 public:
  // Creates or truncates a file for writing. Files opened for writing carry an
  // exclusive advisory lock, so a second writer is refused instead of mixing its
  // bytes in; readers are not hindered.
  static File Create(const std::string& path);
  // Creates a new file for writing, locked as Create locks, that nothing else had:
  // never through a symbolic link, never a file that exists already (another
  // user's, or one left by a run that was stopped, which the error names).
  static File CreateExclusive(const std::string& path);
  // CreateExclusive under a name no other user can guess and take first: `stem`, a
  // random part, then `ending`. For files to be renamed over another when complete,
  // which failures name: `meant`.
  static File CreateUnique(const std::string& stem, std::string_view ending, const std::string& meant);
  // Opens an existing file for writing without changing it, and takes the writer's
  // lock: held while a new version is written beside it, it keeps a second writer out.
  static File LockExisting(const std::string& path);
  // Opens an existing file for writing at its end. When one of its last 128 bytes
  // is an end-of-file mark (0x1A), the file is first cut before the first of them;
  // `cutText` receives what was cut off, so that a failed append can put it back.
  static File OpenAppendText(const std::string& path, std::string* cutText = nullptr);
  // Opens an existing regular file for reading. A pipe, device or socket is
  // refused rather than waited on: reading one could block for ever.
  static File OpenRead(const std::string& path);

  File() = default;
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File() override;

  bool IsOpen() const { return fd_ >= 0; }
  // What the open file is now: which file, how long, when last changed.
  FileState State() const;
  FileStamp Stamp() const;
  const std::string& Path() const { return path_; }

  std::int64_t Size() const;
  void Seek(std::int64_t position);
  // Reads up to `capacity` bytes at the current position; fewer at the end of the file.
  std::size_t Read(char* buffer, std::size_t capacity);
  // Reads up to `capacity` bytes at `position`, leaving the current position alone.
  std::size_t ReadAt(std::int64_t position, char* buffer, std::size_t capacity) const;
  // Asks the system to start reading these bytes now (a hint, never an error):
  // reads asked for together are in flight together, which on a cold disk is
  // most of the time saved.
  void Prefetch(std::int64_t position, std::int64_t length) const;
  void Write(std::string_view bytes) override;
  // Cuts the file to `size` bytes.
  void Truncate(std::int64_t size);
  // Waits until the data is on the medium (fsync).
  void Sync();
  // Gives the file the permission bits of the file `model`, and its owner and group
  // where the system allows (root; a group of one's own): a replacement written by
  // another user keeps the file theirs.
  void TakePermissionsOf(const std::string& model);
  // Closes the file, reporting a failure of the close itself.
  void Close();

 private:
  File(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  void Release() noexcept;
  friend void ReplaceFile(const std::string& path, std::string_view content);

  int fd_ = -1;
  std::string path_;
};

// True when `path` names an existing file that is not a folder.
bool FileExists(const std::string& path);
void DeleteFile(const std::string& path);
// Replaces `to` by `from` in one step, then makes the change durable.
void RenameFile(const std::string& from, const std::string& to);
// True when both names lead to the same file (hard links, symbolic links, "./").
bool SameFile(const std::string& a, const std::string& b);

// None when the name leads to no file.
std::optional<FileIdentity> IdentityOf(const std::string& path);
std::optional<FileState> StateOf(const std::string& path);
std::optional<FileStamp> StampOf(const std::string& path);

// The file that a new version of `path` is renamed over: through symbolic links,
// the last link's target, whether it exists or not. A folder, or a file its owner
// may not write, is refused (IoError) as writing it in place would be; so is a link
// that another user put in a folder everyone may write (as the system itself
// refuses to follow one there).
std::string ReplacementTarget(const std::string& path);

// The file a chain of symbolic links named `path` ends in, whether it exists or
// not; `path` itself when it is no link or the chain cannot be followed. For
// finding what lies beside a file, not for writing: see ReplacementTarget.
std::string LinkTargetOf(const std::string& path);

// The whole content of an existing file.
std::string ReadFileBytes(const std::string& path);
// Gives a file new content in one step: a temporary file beside it is written, made
// durable and renamed over it, so a failure leaves the old content as it was. The
// file keeps its permissions, and its owner where allowed; through a symbolic link
// the link's target is replaced. A file its owner may not write is refused, as an
// in-place write would be.
void ReplaceFile(const std::string& path, std::string_view content);

}  // namespace qvl
