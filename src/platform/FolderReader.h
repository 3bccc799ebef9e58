#pragma once

#include <string>
#include <vector>

#include "platform/Directory.h"

namespace qvl {

// An entry that a walk goes into: a folder, neither a link nor a mount point.
inline bool IsSubfolderEntry(const DirEntry& entry) {
  return (entry.attributes & attr::Directory) && !(entry.attributes & attr::ReparsePoint);
}

// Reads folders below one root folder: opens a folder by its path relative to the
// root without following symbolic links or leaving the root's file system, and
// reports its entries with synthesised attribute words. One reader per thread.
class FolderReader {
 public:
  // With `linkTargets`, a link to a folder is told from other links (one more stat).
  explicit FolderReader(int rootFd, bool linkTargets = true);
  ~FolderReader();
  FolderReader(const FolderReader&) = delete;
  FolderReader& operator=(const FolderReader&) = delete;
  // `relativePath` is "" for the root, else "a/b/c". False when it cannot be read;
  // then `error` holds the system's error number.
  // The entries already in `entries` are written over, names included, rather than
  // made again, so that a vector handed back and forth keeps its names' room.
  bool Read(const std::string& relativePath, std::vector<DirEntry>& entries, int& error);
  // The two halves of Read, for a caller that keeps the folder open to open its
  // subfolders from: OpenFolder opens `relativePath`, from `parentFd` (the open
  // folder that holds it) when that is not -1, which spares the walk down the path;
  // ReadOpened reads an open folder and leaves it open.
  int OpenFolder(const std::string& relativePath, int parentFd);
  // Read for a walk that goes down the tree one folder at a time: a folder read is
  // kept open while it may have subfolders still to come, and a folder below it is
  // opened from it by its own name rather than by its whole path from the root.
  bool ReadInWalk(const std::string& relativePath, std::vector<DirEntry>& entries, int& error);
  bool ReadOpened(int fd, std::vector<DirEntry>& entries, int& error);
  // Hashes the regular file `name` of the folder; false with `error` set when it
  // cannot be read, or is no regular file (EINVAL) or a link (ELOOP).
  bool HashFile(const std::string& relativePath, const std::string& name, Hash128& hash, const BytesRead& read,
                int& error);

 private:
  int Open(const std::string& relativePath);
  bool ReadEntries(int fd, std::vector<DirEntry>& entries, std::size_t& count);
  void AddEntry(int fd, const char* name, unsigned char type, std::vector<DirEntry>& entries, std::size_t& count);

  int rootFd_;
  bool linkTargets_;
  // The last folder opened by a path too long for one call, kept open so that its
  // subfolders are opened from it rather than from the root.
  std::string deepPath_;
  int deepFd_ = -1;
  // ReadInWalk's open folders from the root down, each with its path: a chain of
  // ancestors of the folder read last, at most kMaxChain of them.
  struct ChainLink {
    std::string path;
    int fd;
  };
  static constexpr std::size_t kMaxChain = 64;
  std::vector<ChainLink> chain_;
  bool mountRootKnown_ = false;  // whether the kernel flags mount points itself
  // Whether a read that leaves the folder at the last position there is has read
  // it to its end, so that no further read is needed to learn it (ext4 does so).
  bool lastPositionIsEnd_ = false;
  unsigned long folderDevice_ = 0;
  alignas(8) char buffer_[1 << 15];
  std::vector<char> fileBuffer_;  // for hashing, made when first needed
};

}  // namespace qvl
