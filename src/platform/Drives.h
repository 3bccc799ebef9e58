#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qvl {

enum class DriveType { Removable, Fixed, CdRom, Network, RamDisk };

std::string_view DriveTypeName(DriveType type);  // "removable", "fixed", ...

struct Drive {
  char letter = 'c';  // 'a' to 'z'
  DriveType type = DriveType::Fixed;
  std::string label;       // volume label; empty when there is none
  std::string remoteName;  // network drives: the share, as \\server\share
  std::string rootDirectory;
};

// The drive selector's text: "a:", "c: [data]", "x: \\server\share".
std::string DriveCaption(const Drive& drive);

// Drives a: to z: in letter order.
class DriveTable {
 public:
  DriveTable() = default;
  explicit DriveTable(std::vector<Drive> drives);
  const std::vector<Drive>& Drives() const { return drives_; }
  const Drive* Find(char letter) const;  // any letter case
  // Adds or replaces a drive, like a substituted drive letter.
  void Put(Drive drive);

 private:
  std::vector<Drive> drives_;
};

// One line of the kernel's mount table.
struct MountEntry {
  std::string device;  // "major:minor"
  std::string mountPoint;
  std::string fsType;
  std::string source;
};

std::vector<MountEntry> ParseMountInfo(std::string_view text);

// What the mount table does not say; the system answers come from /sys and /dev.
struct MountFacts {
  std::function<bool(const MountEntry&)> isFolder;
  std::function<bool(const MountEntry&)> isRemovable;
  std::function<std::string(const MountEntry&)> label;
};

// c: is the file system holding "/", then d:, e:, ... the other real file systems in
// mount-point order; pseudo and system file systems get no letter.
std::vector<Drive> DrivesFromMounts(const std::vector<MountEntry>& mounts, const MountFacts& facts);

// This machine's drives.
DriveTable SystemDriveTable();

// A folder standing in for a drive letter: type fixed, with the label given or else
// the label of the file system that holds the folder.
Drive SubstitutedDrive(char letter, const std::string& directory,
                       std::optional<std::string> label = std::nullopt);

}  // namespace qvl
