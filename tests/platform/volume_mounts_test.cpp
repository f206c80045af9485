#include "platform/linux/linux_drive_mounts.h"
#include "platform/linux/linux_volume_layer.h"
#include "support/mount_namespace.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include "support/drive_roots.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

namespace corvath {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

// Unmounts what a test mounted, last first, before its folders are removed.
class Mounts {
public:
    ~Mounts() {
        for (auto it = points_.rbegin(); it != points_.rend(); ++it) ::umount2(it->c_str(), MNT_DETACH);
    }
    void tmpfs(const fs::path& at, const std::string& options = "size=16m") {
        fs::create_directories(at);
        test::mountTmpfs(at.string(), options);
        points_.push_back(at.string());
    }
    void bind(const fs::path& from, const fs::path& at) {
        fs::create_directories(at);
        test::mountBind(from.string(), at.string());
        points_.push_back(at.string());
    }
    void kernel(const std::string& type, const fs::path& at) {
        fs::create_directories(at);
        if (::mount(type.c_str(), at.c_str(), type.c_str(), 0, nullptr) != 0) {
            throw std::runtime_error("mount " + type + " on " + at.string());
        }
        points_.push_back(at.string());
    }
    bool unmount(const fs::path& at) {
        const auto it = std::find(points_.begin(), points_.end(), at.string());
        if (it == points_.end() || ::umount2(at.c_str(), 0) != 0) return false;
        points_.erase(it);
        return true;
    }
    void adopt(const fs::path& at) { points_.push_back(at.string()); }
    // A kernel overlay of fresh folders beside at.
    void overlay(const fs::path& layers, const fs::path& at) {
        for (const char* part : {"lower", "upper", "work"}) fs::create_directories(layers / part);
        fs::create_directories(at);
        const std::string options = "lowerdir=" + (layers / "lower").string() + ",upperdir=" +
                                    (layers / "upper").string() + ",workdir=" + (layers / "work").string();
        if (::mount("overlay", at.c_str(), "overlay", 0, options.c_str()) != 0) {
            throw std::runtime_error("mount overlay on " + at.string());
        }
        points_.push_back(at.string());
    }

private:
    std::vector<std::string> points_;
};

class VolumeLayerOnRealMounts : public ::testing::Test {
protected:
    void SetUp() override {
        std::string reason;
        if (!test::enterPrivateMountNamespace(reason)) GTEST_SKIP() << reason;
    }
    bool listed(const std::vector<std::string>& roots, const fs::path& folder) {
        return std::find(roots.begin(), roots.end(), folder.string() + "/") != roots.end();
    }

    TempDir dir_;
};

TEST_F(VolumeLayerOnRealMounts, ListsEachDataFilesystemOnceWithItsKindAndName) {
    Mounts mounts;
    mounts.tmpfs(dir_ / "ram");
    fs::create_directory(dir_ / "ram" / "sub");
    mounts.bind(dir_ / "ram" / "sub", dir_ / "bound-sub");
    mounts.bind(dir_ / "ram", dir_ / "ram-again");
    mounts.kernel("proc", dir_ / "proc");
    mounts.kernel("sysfs", dir_ / "sys");
    mounts.kernel("mqueue", dir_ / "mq");
    mounts.tmpfs(dir_ / "later", "size=1m");

    LinuxVolumeLayer layer;
    const auto roots = test::splitDriveRoots(layer.driveRoots());
    ASSERT_FALSE(roots.empty());
    EXPECT_EQ(roots.front(), "/");
    EXPECT_TRUE(listed(roots, dir_ / "ram"));
    EXPECT_TRUE(listed(roots, dir_ / "later"));
    for (const char* absent : {"bound-sub", "ram-again", "proc", "sys", "mq"}) {
        EXPECT_FALSE(listed(roots, dir_ / absent)) << absent;
    }
    for (const std::string& root : roots) {
        EXPECT_NE(root.rfind("/proc", 0), 0u) << root;
        EXPECT_NE(root.rfind("/sys", 0), 0u) << root;
    }
    const auto ram = std::find(roots.begin(), roots.end(), (dir_ / "ram").string() + "/");
    const auto later = std::find(roots.begin(), roots.end(), (dir_ / "later").string() + "/");
    EXPECT_LT(ram, later);

    ShellInfo info;
    ASSERT_TRUE(layer.shellInfo((dir_ / "ram").string() + "/", info));
    EXPECT_EQ(info.displayName, "RAM Disk (" + (dir_ / "ram").string() + ")");
    EXPECT_EQ(info.iconName, "media-memory");
    EXPECT_EQ(layer.driveType((dir_ / "ram").string()), drive_type::kRamDisk);
    EXPECT_EQ(layer.driveType((dir_ / "ram-again").string()), drive_type::kNoRootDir);
    EXPECT_EQ(layer.probe((dir_ / "ram").string() + "/"), ProbeOutcome::Readable);

    // The mount point vanishes: nothing can be said about it any more.
    ASSERT_TRUE(mounts.unmount(dir_ / "later"));
    EXPECT_FALSE(layer.shellInfo((dir_ / "later").string() + "/", info));
    EXPECT_EQ(layer.driveType((dir_ / "later").string()), drive_type::kNoRootDir);
}

TEST_F(VolumeLayerOnRealMounts, ContainerLayersAreNoDrivesAPlainOverlayIsAFixedOne) {
    Mounts mounts;
    // The runtimes' folders, in this namespace only.
    mounts.tmpfs("/var/lib", "size=16m");
    mounts.overlay("/var/lib/layers/a", "/var/lib/docker/overlay2/0123abcd/merged");
    mounts.overlay("/var/lib/layers/b", "/var/lib/containers/storage/overlay/4567ef/merged");
    mounts.tmpfs(dir_ / "ground");
    mounts.overlay(dir_ / "ground", dir_ / "ovl");

    LinuxVolumeLayer layer;
    const auto roots = test::splitDriveRoots(layer.driveRoots());
    EXPECT_FALSE(listed(roots, "/var/lib/docker/overlay2/0123abcd/merged"));
    EXPECT_FALSE(listed(roots, "/var/lib/containers/storage/overlay/4567ef/merged"));
    ASSERT_TRUE(listed(roots, dir_ / "ovl"));
    EXPECT_EQ(layer.driveType((dir_ / "ovl").string()), drive_type::kFixed);
}

TEST_F(VolumeLayerOnRealMounts, UsedBytesOfATmpfsFollowItsFiles) {
    Mounts mounts;
    mounts.tmpfs(dir_ / "ram", "size=16m");
    LinuxVolumeLayer layer;
    DiskSpace before;
    ASSERT_TRUE(layer.diskSpace((dir_ / "ram").string(), before));
    EXPECT_EQ(before.totalBytes, 16u * 1024 * 1024);
    test::writeFile(dir_ / "ram" / "data", std::string(3 * 1024 * 1024, 'x'));
    DiskSpace after;
    ASSERT_TRUE(layer.diskSpace((dir_ / "ram").string(), after));
    EXPECT_EQ((after.totalBytes - after.totalFreeBytes) - (before.totalBytes - before.totalFreeBytes),
              3u * 1024 * 1024);
}

TEST_F(VolumeLayerOnRealMounts, ALabelledDiskImageShowsItsLabel) {
    const fs::path image = dir_ / "disk.img";
    { std::ofstream(image).close(); }
    fs::resize_file(image, 8 * 1024 * 1024);
    const std::string format = "mkfs.ext4 -q -F -L 'Corvath Data' " + image.string() + " >/dev/null 2>&1";
    if (std::system(format.c_str()) != 0) GTEST_SKIP() << "mkfs.ext4 is not available";
    fs::create_directory(dir_ / "disk");
    Mounts mounts;
    const std::string mount = "mount -o loop " + image.string() + " " + (dir_ / "disk").string() + " 2>&1";
    if (std::system(mount.c_str()) != 0) GTEST_SKIP() << "no loop device to mount the image";
    mounts.adopt(dir_ / "disk");

    LinuxVolumeLayer layer;
    ShellInfo info;
    ASSERT_TRUE(layer.shellInfo((dir_ / "disk").string() + "/", info));
    EXPECT_EQ(info.displayName, "Corvath Data (" + (dir_ / "disk").string() + ")");
    EXPECT_EQ(info.iconName, "drive-harddisk");
    EXPECT_EQ(layer.driveType((dir_ / "disk").string()), drive_type::kFixed);
}

std::uint64_t mountIdOf(const fs::path& folder) {
    struct statx st {};
    return ::statx(AT_FDCWD, folder.c_str(), 0, STATX_MNT_ID, &st) == 0 ? st.stx_mnt_id : 0;
}

TEST_F(VolumeLayerOnRealMounts, TheDriveMountedAtARootIsKnownByItsMountAndItsFilesystem) {
    const fs::path image = dir_ / "disk.img";
    { std::ofstream(image).close(); }
    fs::resize_file(image, 8 * 1024 * 1024);
    const std::string uuid = "0b4c7d3e-1f2a-4b5c-8d6e-7f8091a2b3c4";
    if (std::system(("mkfs.ext4 -q -F -U " + uuid + " " + image.string() + " >/dev/null 2>&1").c_str()) != 0) {
        GTEST_SKIP() << "mkfs.ext4 is not available";
    }
    Mounts mounts;
    fs::create_directories(dir_ / "disk");
    if (std::system(("mount -o loop " + image.string() + " " + (dir_ / "disk").string() + " 2>&1").c_str()) != 0) {
        GTEST_SKIP() << "no loop device to mount the image";
    }
    mounts.adopt(dir_ / "disk");
    fs::create_directories(dir_ / "disk" / "sub");
    mounts.bind(dir_ / "disk" / "sub", dir_ / "bound");
    mounts.tmpfs(dir_ / "ram");

    LinuxDriveMounts table;
    const auto disk = table.mountAt((dir_ / "disk").string() + "/");
    ASSERT_TRUE(disk);
    EXPECT_EQ(disk->mountId, mountIdOf(dir_ / "disk"));
    EXPECT_EQ(disk->volume, uuid);
    const auto bound = table.mountAt((dir_ / "bound").string());
    ASSERT_TRUE(bound);
    EXPECT_EQ(bound->volume, uuid + ":/sub") << "a part of the disk is a drive of its own";
    const auto ram = table.mountAt((dir_ / "ram").string());
    ASSERT_TRUE(ram);
    EXPECT_EQ(ram->volume, "") << "a tmpfs has no identity but its mount point";

    // Mounted over, the later mount is what the folder shows; unmounted, nothing is.
    mounts.tmpfs(dir_ / "ram");
    EXPECT_EQ(table.mountAt((dir_ / "ram").string())->mountId, mountIdOf(dir_ / "ram"));
    EXPECT_NE(table.mountAt((dir_ / "ram").string())->mountId, ram->mountId);
    ASSERT_TRUE(mounts.unmount(dir_ / "ram"));
    ASSERT_TRUE(mounts.unmount(dir_ / "ram"));
    EXPECT_FALSE(table.mountAt((dir_ / "ram").string()));
    EXPECT_TRUE(fs::is_directory(dir_ / "ram")) << "its folder stays, and must not pass for the drive";
}

}  // namespace
}  // namespace corvath
