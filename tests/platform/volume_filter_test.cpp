#include "platform/linux/mount_table.h"
#include "platform/linux/volume_filter.h"
#include "platform/mountinfo_file.h"
#include "support/temp_dir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/sysmacros.h>

namespace corvath {
namespace {

using test::MountInfoFile;
using test::TempDir;
using ::testing::ElementsAre;

std::vector<std::string> mountPoints(const std::vector<MountEntry>& entries) {
    std::vector<std::string> points;
    for (const MountEntry& entry : entries) points.push_back(entry.mountPoint);
    return points;
}

std::vector<MountEntry> listedFrom(const MountInfoFile& file) {
    const auto table = readMountTable(file.write());
    EXPECT_TRUE(table.has_value());
    return table ? listedVolumes(*table) : std::vector<MountEntry>{};
}

TEST(MountTable, ReadsFieldsWithEscapesUndone) {
    TempDir dir;
    MountInfoFile file(dir / "mountinfo");
    file.add("8:1", "/", "/", "ext4", "/dev/sda1", "rw,relatime")
        .add("8:17", "/photos", "/media/usb stick", "vfat", "/dev/sdb1", "ro,nosuid");
    const auto table = readMountTable(file.write());
    ASSERT_TRUE(table.has_value());
    ASSERT_EQ(table->size(), 2u);
    const MountEntry& usb = (*table)[1];
    EXPECT_EQ(usb.mountPoint, "/media/usb stick");
    EXPECT_EQ(usb.fsRoot, "/photos");
    EXPECT_EQ(usb.fsType, "vfat");
    EXPECT_EQ(usb.source, "/dev/sdb1");
    EXPECT_EQ(usb.device, makedev(8, 17));
    EXPECT_TRUE(usb.readOnly);
    EXPECT_FALSE((*table)[0].readOnly);
}

TEST(MountTable, UnreadableFileIsAFailureNotAnEmptyTable) {
    TempDir dir;
    EXPECT_FALSE(readMountTable((dir / "missing").string()).has_value());
}

TEST(VolumeFilter, LeavesOutPseudoFilesystemsAndSystemFoldersKeepingTableOrder) {
    TempDir dir;
    MountInfoFile file(dir / "mountinfo");
    file.add("0:20", "/", "/proc", "proc", "proc")
        .add("0:21", "/", "/sys", "sysfs", "sysfs")
        .add("0:6", "/", "/dev", "devtmpfs", "devtmpfs")
        .add("8:1", "/", "/", "ext4", "/dev/sda1")
        .add("0:22", "/", "/dev/shm", "tmpfs", "tmpfs")
        .add("0:23", "/", "/run", "tmpfs", "tmpfs")
        .add("0:24", "/", "/run/user/0", "tmpfs", "tmpfs")
        .add("0:25", "/", "/sys/fs/cgroup", "cgroup2", "cgroup2")
        .add("0:26", "/", "/mnt/cg", "cgroup", "cgroup")
        .add("0:27", "/", "/proc/sys/fs/binfmt_misc", "binfmt_misc", "binfmt_misc")
        .add("0:28", "/", "/mnt/mq", "mqueue", "mqueue")
        .add("0:29", "/", "/mnt/auto", "autofs", "systemd-1")
        .add("7:0", "/", "/snap/core/1", "squashfs", "/dev/loop0", "ro")
        .add("7:1", "/", "/mnt/rw-squash", "squashfs", "/dev/loop1", "rw")
        .add("0:30", "/", "/tmp", "tmpfs", "tmpfs")
        .add("0:31", "/", "/run/media/ann/USB", "vfat", "/dev/sdb1")
        .add("0:32", "/", "/runner", "ext4", "/dev/sdc1")
        .add("0:33", "/", "/mnt/ovl", "overlay", "overlay")
        .add("0:34", "/", "/mnt/ssh", "fuse.sshfs", "me@host:/")
        .add("0:35", "/", "/run/user/1000/gvfs", "fuse.gvfsd-fuse", "gvfsd-fuse")
        .add("0:36", "/", "/home/ann/.cache/gvfs", "fuse.gvfsd-fuse", "gvfsd-fuse")
        .add("0:37", "/", "/mnt/nfs", "nfs4", "server:/export");
    EXPECT_THAT(mountPoints(listedFrom(file)),
                ElementsAre("/", "/mnt/rw-squash", "/tmp", "/run/media/ann/USB", "/runner", "/mnt/ovl", "/mnt/ssh",
                            "/mnt/nfs"));
}

TEST(VolumeFilter, LeavesOutContainerLayersSnapsAndApplicationImages) {
    TempDir dir;
    MountInfoFile file(dir / "mountinfo");
    file.add("8:1", "/", "/", "ext4", "/dev/sda1")
        .add("0:40", "/", "/var/lib/docker/overlay2/1f2e/merged", "overlay", "overlay")
        .add("0:41", "/", "/var/lib/containerd/io.containerd.runtime.v2.task/k8s.io/9a/rootfs", "overlay", "overlay")
        .add("0:42", "/", "/home/ann/.local/share/containers/storage/overlay/77/merged", "fuse.fuse-overlayfs",
             "fuse-overlayfs")
        .add("0:43", "/", "/srv/box", "fuse.fuse-overlayfs", "fuse-overlayfs")
        .add("0:44", "/", "/tmp/.mount_KritaX1", "fuse.Krita.AppImage", "Krita.AppImage")
        .add("0:45", "/", "/opt/app", "fuse.squashfuse", "squashfuse")
        .add("0:46", "/", "/snap/hello/12", "fuse.squashfuse_ll", "squashfuse_ll")
        // Kept: a plain overlay, a data FUSE mount, an ext4 where a runtime keeps its volumes.
        .add("0:47", "/", "/mnt/ovl", "overlay", "overlay")
        .add("0:48", "/", "/home/ann/vault", "fuse.gocryptfs", "/home/ann/.vault")
        .add("8:17", "/", "/var/lib/docker", "ext4", "/dev/sdb1")
        .add("0:49", "/", "/tmp/.mountain", "fuse.gocryptfs", "/srv/c");
    EXPECT_THAT(mountPoints(listedFrom(file)),
                ElementsAre("/", "/mnt/ovl", "/home/ann/vault", "/var/lib/docker", "/tmp/.mountain"));
}

TEST(VolumeFilter, ListsEachFilesystemOnceFirstMountPointWinning) {
    TempDir dir;
    MountInfoFile file(dir / "mountinfo");
    file.add("8:1", "/", "/", "ext4", "/dev/sda1")
        .add("8:2", "/", "/home", "ext4", "/dev/sda2")
        .add("8:2", "/", "/mnt/home-again", "ext4", "/dev/sda2")     // mounted twice
        .add("8:2", "/ann/data", "/data", "ext4", "/dev/sda2")       // bind of a folder of it
        .add("8:1", "/srv", "/srv-bind", "ext4", "/dev/sda1")        // bind of a folder of /
        .add("8:3", "/sub", "/mnt/part", "ext4", "/dev/sda3")        // only a folder of sda3 is mounted
        .add("8:3", "/subway", "/mnt/subway", "ext4", "/dev/sda3")   // a sibling, not inside /sub
        .add("8:3", "/sub/deeper", "/mnt/deeper", "ext4", "/dev/sda3")
        .add("8:3", "/", "/mnt/whole", "ext4", "/dev/sda3");         // the whole of it is more
    EXPECT_THAT(mountPoints(listedFrom(file)), ElementsAre("/", "/home", "/mnt/part", "/mnt/subway", "/mnt/whole"));
}

TEST(VolumeFilter, SameDeviceHiddenBehindAFilteredMountStillCounts) {
    TempDir dir;
    MountInfoFile file(dir / "mountinfo");
    // /dev/shm is not a drive; the same tmpfs bound to a visible place is.
    file.add("0:22", "/", "/dev/shm", "tmpfs", "tmpfs").add("0:22", "/", "/mnt/shm", "tmpfs", "tmpfs");
    EXPECT_THAT(mountPoints(listedFrom(file)), ElementsAre("/mnt/shm"));
}

TEST(VolumeFilter, AMountOverAnotherTakesItsPlace) {
    TempDir dir;
    MountInfoFile file(dir / "mountinfo");
    file.add("8:1", "/", "/", "ext4", "/dev/sda1")
        .add("0:40", "/", "/mnt/x", "tmpfs", "tmpfs")
        .add("0:41", "/", "/mnt/y", "tmpfs", "tmpfs")
        .add("0:42", "/", "/mnt/x", "tmpfs", "tmpfs");
    const auto listed = listedFrom(file);
    ASSERT_THAT(mountPoints(listed), ElementsAre("/", "/mnt/x", "/mnt/y"));
    EXPECT_EQ(listed[1].device, makedev(0, 42));
}

TEST(VolumeFilter, ABindMountedFileIsNoDrive) {
    TempDir dir;
    test::writeFile(dir / "hosts", "127.0.0.1 localhost\n");
    std::filesystem::create_directory(dir / "folder");
    MountInfoFile file(dir / "mountinfo");
    file.add("0:50", "/", "/", "overlay", "overlay")
        .add("254:1", "/containers/1/hosts", (dir / "hosts").string(), "ext4", "/dev/vdb")
        .add("254:1", "/containers/1/data", (dir / "folder").string(), "ext4", "/dev/vdb");
    EXPECT_THAT(mountPoints(listedFrom(file)), ElementsAre("/", (dir / "folder").string()));
}

TEST(VolumeFilter, NothingBelowANetworkMountIsLookedAt) {
    TempDir dir;
    test::writeFile(dir / "hosts", "127.0.0.1 localhost\n");
    MountInfoFile file(dir / "mountinfo");
    // Telling a mounted file from a folder would walk through the network
    // mount, which may hang; the mount is kept unexamined instead.
    file.add("0:50", "/", dir.path().string(), "nfs4", "server:/export")
        .add("254:1", "/containers/1/hosts", (dir / "hosts").string(), "ext4", "/dev/vdb");
    EXPECT_THAT(mountPoints(listedFrom(file)), ElementsAre(dir.path().string(), (dir / "hosts").string()));
}

TEST(VolumeFilter, SystemFoldersAreMatchedByWholePathComponents) {
    EXPECT_TRUE(isSystemMountPoint("/proc"));
    EXPECT_TRUE(isSystemMountPoint("/dev/shm"));
    EXPECT_TRUE(isSystemMountPoint("/run"));
    EXPECT_TRUE(isSystemMountPoint("/run/mediafiles"));
    EXPECT_FALSE(isSystemMountPoint("/run/media"));
    EXPECT_FALSE(isSystemMountPoint("/run/media/ann/disk"));
    EXPECT_FALSE(isSystemMountPoint("/devel"));
    EXPECT_FALSE(isSystemMountPoint("/system"));
    EXPECT_FALSE(isSystemMountPoint("/"));
}

}  // namespace
}  // namespace corvath
