#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qvl {

// What the system tells of the file system that holds a folder.
struct VolumeFacts {
  std::string uuid;        // from /dev/disk/by-uuid; empty when the system has none
  std::string label;       // from /dev/disk/by-label; empty when none
  std::string fileSystem;  // the mount table's type: "ext4", "vfat", "nfs4"
  std::optional<std::uint64_t> capacity;  // bytes, from statvfs
  std::optional<std::uint64_t> free;      // bytes the user may still write
};

// Never fails: what cannot be found out stays empty.
VolumeFacts DescribeVolume(const std::string& directory);

}  // namespace qvl
