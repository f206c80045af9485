#include "platform/linux/block_device.h"
#include "platform/linux/drive_kind.h"
#include "drives/volume_layer.h"
#include "platform/linux/volume_tags.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace corvath {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using test::writeFile;

// A sysfs tree with the shape the kernel gives it: devices under their buses,
// /sys/dev/block links to them, "subsystem" links naming each bus.
class FakeSysfs {
public:
    // Adds a disk (and, with partition > 0, its partition) at a device path
    // below devices/; returns the disk's folder.
    fs::path addDisk(const std::string& devicePath, const std::string& disk, unsigned major, unsigned diskMinor,
                     int partition = 0, const std::string& removable = "0") {
        const fs::path folder = root() / "devices" / devicePath / "block" / disk;
        fs::create_directories(folder);
        writeFile(folder / "removable", removable + "\n");
        link(major, diskMinor, folder);
        if (partition > 0) {
            const fs::path part = folder / (disk + std::to_string(partition));
            fs::create_directories(part);
            writeFile(part / "partition", std::to_string(partition) + "\n");
            link(major, diskMinor + static_cast<unsigned>(partition), part);
        }
        return folder;
    }
    // Marks the device at devicePath as sitting on bus.
    void setBus(const std::string& devicePath, const std::string& bus) {
        fs::create_directories(root() / "bus" / bus);
        fs::create_directories(root() / "devices" / devicePath);
        fs::create_directory_symlink(root() / "bus" / bus, root() / "devices" / devicePath / "subsystem");
    }
    std::string path() const { return root().string(); }

private:
    fs::path root() const { return dir_.path() / "sys"; }
    void link(unsigned major, unsigned minor, const fs::path& target) {
        fs::create_directories(root() / "dev" / "block");
        fs::create_directory_symlink(target, root() / "dev" / "block" /
                                                 (std::to_string(major) + ":" + std::to_string(minor)));
    }
    TempDir dir_;
};

MountEntry blockMount(unsigned major, unsigned minor, const std::string& type = "ext4") {
    MountEntry entry;
    entry.mountPoint = "/mnt/x";
    entry.fsType = type;
    entry.source = "/dev/no-such-node";  // the table's device number is used instead
    entry.fsRoot = "/";
    entry.device = makedev(major, minor);
    return entry;
}

DriveKind kindIn(const FakeSysfs& sysfs, const MountEntry& entry) {
    return driveKindOf(entry, backingBlockDevice(entry, sysfs.path()), sysfs.path());
}

TEST(DriveKind, BlockDevicesByBusFlagAndName) {
    FakeSysfs sysfs;
    sysfs.addDisk("pci0000:00/0000:00:1f.2/ata1/host0/target0/0:0:0:0", "sda", 8, 0, 1);
    sysfs.setBus("pci0000:00/0000:00:1f.2/ata1/host0/target0/0:0:0:0", "scsi");
    sysfs.setBus("pci0000:00/0000:00:1f.2", "pci");
    // USB disks usually say 0 in "removable"; the bus gives them away.
    sysfs.addDisk("pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/target6:0:0/6:0:0:0", "sdb", 8, 16, 1);
    sysfs.setBus("pci0000:00/0000:00:14.0/usb2/2-1", "usb");
    sysfs.addDisk("platform/soc/mmc_host/mmc0/mmc0:0001", "mmcblk0", 179, 0, 2);
    sysfs.setBus("platform/soc/mmc_host/mmc0/mmc0:0001", "mmc");
    sysfs.addDisk("pci0000:00/0000:00:1f.2/ata2/host1/target1/1:0:0:0", "sdc", 8, 32, 0, "1");
    sysfs.addDisk("pci0000:00/0000:00:1f.2/ata3/host2/target2/2:0:0:0", "sr0", 11, 0);
    const fs::path sdd = sysfs.addDisk("pci0000:00/0000:00:1f.2/ata4/host3/target3/3:0:0:0", "sdd", 8, 48);
    fs::create_directories(sdd / "device");
    writeFile(sdd / "device" / "type", "5\n");
    sysfs.addDisk("virtual", "zram0", 252, 0);
    sysfs.addDisk("virtual", "loop0", 7, 0);

    EXPECT_EQ(kindIn(sysfs, blockMount(8, 1)), DriveKind::Fixed);
    EXPECT_EQ(kindIn(sysfs, blockMount(8, 17, "vfat")), DriveKind::Removable);
    EXPECT_EQ(kindIn(sysfs, blockMount(179, 2, "exfat")), DriveKind::Removable);
    EXPECT_EQ(kindIn(sysfs, blockMount(8, 32)), DriveKind::Removable);
    EXPECT_EQ(kindIn(sysfs, blockMount(11, 0, "iso9660")), DriveKind::Optical);
    EXPECT_EQ(kindIn(sysfs, blockMount(8, 48, "udf")), DriveKind::Optical);
    EXPECT_EQ(kindIn(sysfs, blockMount(252, 0)), DriveKind::RamDisk);
    EXPECT_EQ(kindIn(sysfs, blockMount(7, 0, "iso9660")), DriveKind::Fixed);
    EXPECT_EQ(kindIn(sysfs, blockMount(8, 1, "fuseblk")), DriveKind::Fixed);
}

TEST(DriveKind, FilesystemTypesWithoutABlockDevice) {
    FakeSysfs sysfs;
    MountEntry entry = blockMount(0, 44, "tmpfs");
    EXPECT_EQ(kindIn(sysfs, entry), DriveKind::RamDisk);
    for (const char* network : {"nfs", "nfs4", "cifs", "smb3", "9p", "ceph", "glusterfs", "fuse.sshfs", "afs"}) {
        entry.fsType = network;
        EXPECT_EQ(kindIn(sysfs, entry), DriveKind::Network) << network;
    }
    for (const char* local : {"overlay", "btrfs", "zfs"}) {
        entry.fsType = local;
        EXPECT_EQ(kindIn(sysfs, entry), DriveKind::Fixed) << local;
    }
    // A process serves it: no fixed drive, whatever it holds; with a block
    // device under it (ntfs-3g's fuseblk) it is the disk it is.
    for (const char* served : {"fuse.gocryptfs", "fuse.corvath-hang", "fuse"}) {
        entry.fsType = served;
        EXPECT_EQ(kindIn(sysfs, entry), DriveKind::UserSpace) << served;
        EXPECT_EQ(driveTypeCode(DriveKind::UserSpace), drive_type::kRemote);
        EXPECT_STREQ(kindCaption(DriveKind::UserSpace), "Local Disk");
    }
    // libmount's own network flag counts even for a type not named here.
    entry.fsType = "somenetfs";
    entry.network = true;
    EXPECT_EQ(kindIn(sysfs, entry), DriveKind::Network);
}

TEST(VolumeLabel, FoundThroughUdevLinksWithEscapesUndone) {
    struct stat loop {};
    if (::stat("/dev/loop0", &loop) != 0 || !S_ISBLK(loop.st_mode)) GTEST_SKIP() << "no /dev/loop0 to point at";
    TempDir dir;
    fs::create_directories(dir / "by-label");
    fs::create_symlink("/dev/null", dir / "by-label" / "Other");
    fs::create_symlink("/dev/loop0", dir / "by-label" / "Holiday\\x20Photos");
    BlockDevice device;
    device.number = loop.st_rdev;
    EXPECT_EQ(volumeLabel(device, (dir / "by-label").string()), "Holiday Photos");
    device.number = makedev(1, 3);
    EXPECT_EQ(volumeLabel(device, (dir / "by-label").string()), "");
}

TEST(VolumeLabel, DecodesOnlyWellFormedEscapes) {
    EXPECT_EQ(decodeUdevName("A\\x2fB"), "A/B");
    EXPECT_EQ(decodeUdevName("plain"), "plain");
    EXPECT_EQ(decodeUdevName("cut\\x2"), "cut\\x2");
    EXPECT_EQ(decodeUdevName("odd\\xZZ"), "odd\\xZZ");
}

}  // namespace
}  // namespace corvath
