#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Hash.h"
#include "platform/Time.h"

namespace qvl {

// The attribute word of a directory entry, as the catalogue's classification reads it.
namespace attr {
constexpr std::uint32_t ReadOnly = 0x01;
constexpr std::uint32_t Hidden = 0x02;
constexpr std::uint32_t System = 0x04;
constexpr std::uint32_t VolumeLabel = 0x08;
constexpr std::uint32_t Directory = 0x10;
constexpr std::uint32_t Archive = 0x20;
constexpr std::uint32_t ReparsePoint = 0x400;
}  // namespace attr

struct DirEntry {
  std::string name;  // bytes as the file system holds them
  std::uint32_t attributes = 0;
  std::int64_t size = 0;
  std::int64_t modified = kUnknownTime;  // seconds UTC, as the enumeration's stat gives it
};

// Told of the bytes of a file as they are read for its hash.
using BytesRead = std::function<void(std::uint64_t bytes)>;

// Lists folders of one drive. A folder is named by the folder names that lead to it
// from the drive's root (none for the root itself).
//
// Threads: called from one thread; a source may read ahead on a thread of its own.
class DirectorySource {
 public:
  virtual ~DirectorySource() = default;
  // Fills `entries` with the folder's entries in the file system's order ("." and
  // ".." may be among them). Returns false when the folder cannot be read.
  virtual bool Enumerate(const std::vector<std::string>& folderNames,
                         std::vector<DirEntry>& entries) = 0;
  // Why the last Enumerate that returned false failed: the system's text, such as
  // "Permission denied".
  virtual std::string FailureReason() const { return "The folder cannot be read"; }
  // Reads the file `name` of the folder and hashes its content (XXH3-128); `read`
  // is told of the bytes as they pass. False, with FailureReason set, when it
  // cannot be read or is no regular file.
  virtual bool HashFile(const std::vector<std::string>& folderNames, const std::string& name, Hash128& hash,
                        const BytesRead& read) {
    (void)folderNames;
    (void)name;
    (void)hash;
    (void)read;
    return false;
  }
  // Another source over the same folders, for a walk of part of them on another
  // thread: it reads each folder when asked, with no threads of its own. None where
  // this source cannot make one.
  virtual std::unique_ptr<DirectorySource> Fork() { return nullptr; }
  // A hint: the subfolders of `folderNames` are about to be enumerated, in this order.
  virtual void ExpectFolders(const std::vector<std::string>& folderNames,
                             const std::vector<std::string>& subfolderNames) {
    (void)folderNames;
    (void)subfolderNames;
  }
};

// How a Linux source reads. A listing asks for no link targets: it lists a link as
// a file of size 0 whatever it points to, so following it would be a stat for nothing.
struct DirectoryOptions {
  // Threads reading announced folders (and the folders below them) ahead of the
  // caller; 0 reads each folder when it is asked for. Several reads in flight let a
  // cold disk work through a queue rather than one request at a time.
  int readAheadThreads = 3;
  // Whether a symbolic link's word says that it leads to a folder (0x410 for 0x400).
  bool linkTargets = true;
};

// The folders below `rootDirectory` on this machine. Symbolic links and folders on
// which another file system is mounted are reported as reparse points and never
// entered, and paths of any depth work. The read-ahead threads live inside the
// source: they start when the first folders are announced and end with it.
std::unique_ptr<DirectorySource> MakeLinuxDirectorySource(const std::string& rootDirectory,
                                                          DirectoryOptions options);
// With the default options, or without read-ahead.
std::unique_ptr<DirectorySource> MakeLinuxDirectorySource(const std::string& rootDirectory,
                                                          bool readAhead = true);

}  // namespace qvl
