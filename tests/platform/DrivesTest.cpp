#include <gtest/gtest.h>

#include "platform/Drives.h"
#include "support/TempDir.h"

namespace qvl {
namespace {

// A mount table as a desktop machine has it, system file systems and all.
constexpr const char* kMountInfo =
    "22 27 0:21 / /proc rw,relatime - proc proc rw\n"
    "23 27 0:22 / /sys rw,relatime - sysfs sysfs rw\n"
    "24 27 0:6 / /dev rw - devtmpfs devtmpfs rw\n"
    "25 24 0:23 / /dev/shm rw - tmpfs tmpfs rw\n"
    "27 1 8:2 / / rw,relatime - ext4 /dev/sda2 rw\n"
    "30 27 0:25 / /run rw - tmpfs tmpfs rw\n"
    "31 30 0:26 / /run/user/1000 rw - tmpfs tmpfs rw\n"
    "32 27 8:1 / /boot/efi rw - vfat /dev/sda1 rw\n"
    "33 27 8:17 / /media/me/USB\\040STICK rw - vfat /dev/sdb1 rw\n"
    "34 27 11:0 / /mnt/cd rw - iso9660 /dev/sr0 ro\n"
    "35 27 0:40 / /mnt/share rw - cifs //nas/Photos rw\n"
    "36 27 0:41 / /mnt/ram rw - tmpfs ramdisk rw\n"
    "37 27 7:3 / /snap/core/1 ro - squashfs /dev/loop3 ro\n"
    "38 27 8:2 /etc/hosts /etc/hosts rw - ext4 /dev/sda2 rw\n"
    "39 27 0:42 / /home/me/remote rw optional:1 shared:2 - fuse.sshfs me@host:/data rw\n"
    "40 27 8:33 / /data rw - xfs /dev/sdc1 rw\n"
    "41 27 8:49 / /data rw - ext4 /dev/sdd1 rw\n"
    "broken line\n";

MountFacts TestFacts() {
  MountFacts facts;
  facts.isFolder = [](const MountEntry& mount) { return mount.mountPoint != "/etc/hosts"; };
  facts.isRemovable = [](const MountEntry&) { return false; };
  facts.label = [](const MountEntry& mount) {
    if (mount.source == "/dev/sda2") return std::string("System");
    if (mount.source == "/dev/sdb1") return std::string("USB STICK");
    if (mount.source == "/dev/sr0") return std::string("HOLIDAY_2019");
    return std::string();
  };
  return facts;
}

TEST(Drives, LettersFollowTheMountTable) {
  auto drives = DrivesFromMounts(ParseMountInfo(kMountInfo), TestFacts());
  std::vector<std::string> lines;
  for (const auto& drive : drives)
    lines.push_back(DriveCaption(drive) + "|" + std::string(DriveTypeName(drive.type)) + "|" + drive.rootDirectory);
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "c: [system]|fixed|/",
                       "d: []|fixed|/boot/efi",
                       "e: []|fixed|/data",
                       "f: me@host:/data|network|/home/me/remote",
                       "g:|removable|/media/me/USB STICK",
                       "h: [holiday_2019]|cdrom|/mnt/cd",
                       "i: []|ramdisk|/mnt/ram",
                       "j: \\\\nas\\photos|network|/mnt/share",
                   }));
}

TEST(Drives, TableFindsAnyLetterCaseAndTakesSubstitutes) {
  test::TempDir dir;
  DriveTable table(DrivesFromMounts(ParseMountInfo(kMountInfo), TestFacts()));
  ASSERT_NE(table.Find('C'), nullptr);
  EXPECT_EQ(table.Find('c')->rootDirectory, "/");
  EXPECT_EQ(table.Find('z'), nullptr);

  table.Put(SubstitutedDrive('T', dir.Path(), "Music"));
  table.Put(SubstitutedDrive('c', dir.Path(), "Other"));
  ASSERT_NE(table.Find('t'), nullptr);
  EXPECT_EQ(DriveCaption(*table.Find('t')), "t: [music]");
  EXPECT_EQ(table.Find('c')->rootDirectory, dir.Path());
  EXPECT_EQ(table.Drives().back().letter, 't');
  for (std::size_t i = 1; i < table.Drives().size(); ++i)
    EXPECT_LT(table.Drives()[i - 1].letter, table.Drives()[i].letter);
}

TEST(Drives, MountFieldsAreUnescaped) {
  auto mounts = ParseMountInfo("1 0 8:1 / /media/a\\040b\\134c rw - ext4 /dev/x\\011y rw\n");
  ASSERT_EQ(mounts.size(), 1u);
  EXPECT_EQ(mounts[0].mountPoint, "/media/a b\\c");
  EXPECT_EQ(mounts[0].source, "/dev/x\ty");
  EXPECT_EQ(mounts[0].device, "8:1");
  EXPECT_TRUE(ParseMountInfo("").empty());
}

}  // namespace
}  // namespace qvl
