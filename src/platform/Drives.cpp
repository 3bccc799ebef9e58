#include "platform/Drives.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

#include "platform/File.h"
#include "platform/HexDigits.h"
#include "platform/IoError.h"
#include "platform/Locale.h"
#include "platform/Volume.h"

namespace qvl {
namespace {

bool IsOctal(char c) { return c >= '0' && c <= '7'; }

// Mount table fields escape blanks and backslashes as \ooo.
std::string UnescapeOctal(std::string_view text) {
  std::string result;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size() && IsOctal(text[i + 1]) && IsOctal(text[i + 2]) &&
        IsOctal(text[i + 3])) {
      int value = (text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 + (text[i + 3] - '0');
      result += static_cast<char>(value);
      i += 3;
    } else {
      result += text[i];
    }
  }
  return result;
}

// udev names labels with blanks and odd bytes as \xHH.
std::string UnescapeHex(std::string_view text) {
  std::string result;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' &&
        HexDigitValue(text[i + 2]) >= 0 && HexDigitValue(text[i + 3]) >= 0) {
      result += static_cast<char>(HexDigitValue(text[i + 2]) * 16 + HexDigitValue(text[i + 3]));
      i += 3;
    } else {
      result += text[i];
    }
  }
  return result;
}

bool IsBelow(std::string_view path, std::string_view folder) {
  return path == folder || path.starts_with(std::string(folder) + "/");
}

bool IsNetworkType(std::string_view type) {
  static const std::set<std::string_view> kTypes = {
      "nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "afs", "9p", "ceph", "glusterfs",
      "davfs", "fuse.sshfs", "fuse.rclone", "fuse.davfs2", "fuse.curlftpfs", "fuse.s3fs"};
  return kTypes.count(type) > 0;
}

bool IsPseudoType(std::string_view type) {
  static const std::set<std::string_view> kTypes = {
      "proc",     "sysfs",    "cgroup",     "cgroup2",   "devtmpfs",  "devpts",    "mqueue",
      "debugfs",  "tracefs",  "securityfs", "pstore",    "bpf",       "configfs",  "fusectl",
      "hugetlbfs", "autofs",  "binfmt_misc", "efivarfs", "nsfs",      "rpc_pipefs", "selinuxfs",
      "nfsd",     "fuse.gvfsd-fuse", "fuse.portal", "fuse.lxcfs"};
  return kTypes.count(type) > 0;
}

bool IsSystemFolder(std::string_view mountPoint) {
  for (std::string_view folder : {"/proc", "/sys", "/dev", "/run", "/snap"}) {
    if (IsBelow(mountPoint, folder) && !IsBelow(mountPoint, "/run/media")) return true;
  }
  return false;
}

std::optional<DriveType> TypeOf(const MountEntry& mount, const MountFacts& facts) {
  if (IsNetworkType(mount.fsType)) return DriveType::Network;
  if (IsPseudoType(mount.fsType) || IsSystemFolder(mount.mountPoint)) return std::nullopt;
  if (mount.fsType == "tmpfs" || mount.fsType == "ramfs") return DriveType::RamDisk;
  if (mount.fsType == "iso9660" || mount.fsType == "udf" || mount.source.starts_with("/dev/sr"))
    return DriveType::CdRom;
  if (!mount.source.starts_with("/dev/")) return std::nullopt;
  if (IsBelow(mount.mountPoint, "/media") || IsBelow(mount.mountPoint, "/run/media") ||
      (facts.isRemovable && facts.isRemovable(mount)))
    return DriveType::Removable;
  return DriveType::Fixed;
}

std::string RemoteNameOf(const MountEntry& mount) {
  std::string name = mount.source;
  if (name.starts_with("//")) std::replace(name.begin(), name.end(), '/', '\\');
  return name;
}

Drive DriveFor(char letter, DriveType type, const MountEntry& mount, const MountFacts& facts) {
  Drive drive;
  drive.letter = letter;
  drive.type = type;
  drive.rootDirectory = mount.mountPoint;
  if (type == DriveType::Network) drive.remoteName = RemoteNameOf(mount);
  if (facts.label) drive.label = facts.label(mount);
  return drive;
}

// A system file that is missing or cannot be read reads as empty: the drives are
// then listed without what it would have told.
std::string ReadSystemFile(const std::string& path) {
  try {
    return ReadFileBytes(path);
  } catch (const IoError&) {
    return {};
  }
}

std::string Canonical(const std::string& path) {
  std::error_code error;
  auto canonical = std::filesystem::canonical(path, error);
  return error ? path : canonical.string();
}

// Device node -> name, from the links udev keeps in a folder such as /dev/disk/by-label.
std::map<std::string, std::string> NamesByDevice(const char* folder) {
  std::map<std::string, std::string> names;
  std::error_code error;
  for (const auto& link : std::filesystem::directory_iterator(folder, error)) {
    names[Canonical(link.path().string())] = UnescapeHex(link.path().filename().string());
  }
  return names;
}

std::map<std::string, std::string> LabelsByDevice() { return NamesByDevice("/dev/disk/by-label"); }

bool SysFlag(const std::string& path) {
  std::string text = ReadSystemFile(path);
  return !text.empty() && text[0] == '1';
}

MountFacts SystemMountFacts() {
  auto labels = std::make_shared<std::map<std::string, std::string>>(LabelsByDevice());
  MountFacts facts;
  facts.isFolder = [](const MountEntry& mount) {
    struct stat st {};
    return ::stat(mount.mountPoint.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  };
  facts.isRemovable = [](const MountEntry& mount) {
    std::string block = "/sys/dev/block/" + mount.device;
    // A partition carries the flag on its parent disk.
    return SysFlag(block + "/removable") || SysFlag(block + "/../removable");
  };
  facts.label = [labels](const MountEntry& mount) {
    if (!mount.source.starts_with("/dev/")) return std::string();
    auto found = labels->find(Canonical(mount.source));
    return found == labels->end() ? std::string() : found->second;
  };
  return facts;
}

}  // namespace

std::string_view DriveTypeName(DriveType type) {
  switch (type) {
    case DriveType::Removable: return "removable";
    case DriveType::Fixed: return "fixed";
    case DriveType::CdRom: return "cdrom";
    case DriveType::Network: return "network";
    case DriveType::RamDisk: return "ramdisk";
  }
  return "fixed";
}

std::string DriveCaption(const Drive& drive) {
  std::string caption(1, AsciiLower(drive.letter));
  caption += ':';
  if (drive.type == DriveType::Removable) return caption;
  if (drive.type == DriveType::Network && !drive.remoteName.empty())
    return caption + " " + LowerCase(drive.remoteName);
  return caption + " [" + LowerCase(drive.label) + "]";
}

DriveTable::DriveTable(std::vector<Drive> drives) {
  for (auto& drive : drives) Put(std::move(drive));
}

const Drive* DriveTable::Find(char letter) const {
  letter = AsciiLower(letter);
  for (const auto& drive : drives_)
    if (drive.letter == letter) return &drive;
  return nullptr;
}

void DriveTable::Put(Drive drive) {
  drive.letter = AsciiLower(drive.letter);
  auto at = std::find_if(drives_.begin(), drives_.end(),
                         [&](const Drive& d) { return d.letter >= drive.letter; });
  if (at != drives_.end() && at->letter == drive.letter)
    *at = std::move(drive);
  else
    drives_.insert(at, std::move(drive));
}

std::vector<MountEntry> ParseMountInfo(std::string_view text) {
  std::vector<MountEntry> mounts;
  std::istringstream lines{std::string(text)};
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::vector<std::string> parts;
    std::string field;
    while (fields >> field) parts.push_back(field);
    auto dash = std::find(parts.begin(), parts.end(), "-");
    if (parts.size() < 5 || dash == parts.end() || parts.end() - dash < 3) continue;
    MountEntry mount;
    mount.device = parts[2];
    mount.mountPoint = UnescapeOctal(parts[4]);
    mount.fsType = *(dash + 1);
    mount.source = UnescapeOctal(*(dash + 2));
    mounts.push_back(std::move(mount));
  }
  return mounts;
}

std::vector<Drive> DrivesFromMounts(const std::vector<MountEntry>& mounts, const MountFacts& facts) {
  // A later mount on the same point hides the earlier one.
  std::map<std::string, const MountEntry*> visible;
  for (const auto& mount : mounts) visible[mount.mountPoint] = &mount;

  std::vector<Drive> drives;
  if (auto root = visible.find("/"); root != visible.end()) {
    auto type = TypeOf(*root->second, facts).value_or(DriveType::Fixed);
    drives.push_back(DriveFor('c', type, *root->second, facts));
  }
  char letter = 'd';
  for (const auto& [mountPoint, mount] : visible) {  // std::map: mount-point order
    if (mountPoint == "/" || letter > 'z') continue;
    auto type = TypeOf(*mount, facts);
    if (!type || (facts.isFolder && !facts.isFolder(*mount))) continue;
    drives.push_back(DriveFor(letter++, *type, *mount, facts));
  }
  return drives;
}

DriveTable SystemDriveTable() {
  return DriveTable(DrivesFromMounts(ParseMountInfo(ReadSystemFile("/proc/self/mountinfo")),
                                     SystemMountFacts()));
}

Drive SubstitutedDrive(char letter, const std::string& directory, std::optional<std::string> label) {
  Drive drive;
  drive.letter = AsciiLower(letter);
  drive.type = DriveType::Fixed;
  drive.rootDirectory = directory;
  if (label) {
    drive.label = *label;
    return drive;
  }
  // The label of the file system that holds the folder: the longest mount point above it.
  std::string path = Canonical(directory);
  auto mounts = ParseMountInfo(ReadSystemFile("/proc/self/mountinfo"));
  const MountEntry* holder = nullptr;
  for (const auto& mount : mounts) {
    if (IsBelow(path, mount.mountPoint) || mount.mountPoint == "/") {
      if (holder == nullptr || mount.mountPoint.size() >= holder->mountPoint.size()) holder = &mount;
    }
  }
  if (holder != nullptr) drive.label = SystemMountFacts().label(*holder);
  return drive;
}

VolumeFacts DescribeVolume(const std::string& directory) {
  VolumeFacts facts;
  struct statvfs vfs {};
  if (::statvfs(directory.c_str(), &vfs) == 0) {
    facts.capacity = static_cast<std::uint64_t>(vfs.f_blocks) * vfs.f_frsize;
    facts.free = static_cast<std::uint64_t>(vfs.f_bavail) * vfs.f_frsize;
  }
  // The mount of the folder's device; failing that (btrfs subvolumes report other
  // numbers), the longest mount point above it.
  auto mounts = ParseMountInfo(ReadSystemFile("/proc/self/mountinfo"));
  std::string path = Canonical(directory);
  struct stat st {};
  std::string device;
  if (::stat(path.c_str(), &st) == 0) device = std::to_string(major(st.st_dev)) + ":" + std::to_string(minor(st.st_dev));
  const MountEntry* holder = nullptr;
  for (const auto& mount : mounts) {
    if (!IsBelow(path, mount.mountPoint) && mount.mountPoint != "/") continue;
    bool sameDevice = mount.device == device;
    bool holderSameDevice = holder != nullptr && holder->device == device;
    if (holder == nullptr || (sameDevice && !holderSameDevice) ||
        (sameDevice == holderSameDevice && mount.mountPoint.size() >= holder->mountPoint.size()))
      holder = &mount;
  }
  if (holder == nullptr) return facts;
  facts.fileSystem = holder->fsType;
  if (!holder->source.starts_with("/dev/")) return facts;
  const std::string node = Canonical(holder->source);
  auto uuids = NamesByDevice("/dev/disk/by-uuid");
  if (auto found = uuids.find(node); found != uuids.end()) facts.uuid = found->second;
  auto labels = LabelsByDevice();
  if (auto found = labels.find(node); found != labels.end()) facts.label = found->second;
  return facts;
}

}  // namespace qvl
