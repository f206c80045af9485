// Opening folders below a kept folder never follows a link or enters a mount.
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <vector>
#include <unistd.h>

#include "engine/posix/folder_open.h"
#include "engine/unmount_guard.h"
#include "support/mount_namespace.h"
#include "support/temp_dir.h"

namespace corvath::test {
namespace {

namespace fs = std::filesystem;

class FolderOpenTest : public ::testing::TestWithParam<bool> {
protected:
    UniqueFd openBelow(int anchor, const std::string& relative) {
        return GetParam() ? opener.openBelowStepwise(anchor, relative) : opener.openBelow(anchor, relative);
    }
    FolderOpener opener{!GetParam()};
};

ino_t inodeOf(int fd) {
    struct stat st {};
    ::fstat(fd, &st);
    return st.st_ino;
}

TEST_P(FolderOpenTest, ReachesRealFoldersButNoLinks) {
    TempDir dir;
    fs::create_directories(dir / "a" / "b" / "c");
    fs::create_directory_symlink("a", dir / "link");
    fs::create_directory_symlink("c", dir / "a" / "b" / "last-link");
    const UniqueFd root = opener.openRoot(dir.path().string());
    ASSERT_GE(root.get(), 0);

    const UniqueFd c = openBelow(root.get(), "a/b/c");
    ASSERT_GE(c.get(), 0);
    struct stat expected {};
    ASSERT_EQ(::stat((dir / "a" / "b" / "c").c_str(), &expected), 0);
    EXPECT_EQ(inodeOf(c.get()), expected.st_ino);
    EXPECT_LT(openBelow(root.get(), "link/b").get(), 0);
    EXPECT_LT(openBelow(root.get(), "a/b/last-link").get(), 0);
    EXPECT_EQ(openBelow(root.get(), "a/missing/c").get(), -ENOENT);
}

// Past the length the kernel takes in one call (longer than PATH_MAX here),
// the path is opened a piece at a time, and no piece may follow a link either.
TEST_P(FolderOpenTest, PathLongerThanOneOpenTakes) {
    TempDir dir;
    std::string relative, linkHome;
    ino_t expected = 0;
    {
        UniqueFd fd(::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY));
        for (char part = 'a'; part < 'a' + 25; ++part) {
            const std::string name(200, part);
            relative += (relative.empty() ? "" : "/") + name;
            ASSERT_EQ(::mkdirat(fd.get(), name.c_str(), 0755), 0);
            fd = UniqueFd(::openat(fd.get(), name.c_str(), O_RDONLY | O_DIRECTORY));
            ASSERT_TRUE(fd.valid());
            if (part == 'm') {  // beyond the first piece: a link back to its own folder
                linkHome = relative;
                ASSERT_EQ(::mkdirat(fd.get(), "x", 0755), 0);
                ASSERT_EQ(::symlinkat(".", fd.get(), "link"), 0);
            }
        }
        expected = inodeOf(fd.get());
    }
    ASSERT_GT(relative.size(), 4096u);
    const UniqueFd root = opener.openRoot(dir.path().string());
    ASSERT_GE(root.get(), 0);

    const UniqueFd deepest = openBelow(root.get(), relative);
    ASSERT_GE(deepest.get(), 0);
    EXPECT_EQ(inodeOf(deepest.get()), expected);
    EXPECT_GE(openBelow(root.get(), linkHome + "/x").get(), 0);
    EXPECT_LT(openBelow(root.get(), linkHome + "/link/x").get(), 0);
    EXPECT_EQ(openBelow(root.get(), linkHome + "/missing/x").get(), -ENOENT);
}

TEST_P(FolderOpenTest, DoesNotEnterAMount) {
    std::string reason;
    if (!enterPrivateMountNamespace(reason)) GTEST_SKIP() << reason;
    TempDir dir;
    fs::create_directories(dir / "a" / "mnt");
    mountTmpfs((dir / "a" / "mnt").string());
    const UnmountGuard unmount((dir / "a" / "mnt").string());
    fs::create_directory(dir / "a" / "mnt" / "inside");
    const UniqueFd root = opener.openRoot(dir.path().string());
    ASSERT_GE(root.get(), 0);
    EXPECT_EQ(openBelow(root.get(), "a/mnt/inside").get(), -EXDEV);
    EXPECT_EQ(openBelow(root.get(), "a/mnt").get(), -EXDEV);
}

TEST(FolderOpen, KernelRefusesEveryMountCrossingOfAChild) {
    if (!FolderOpener::kernelHasOpenat2()) GTEST_SKIP() << "no openat2 on this kernel";
    std::string reason;
    if (!enterPrivateMountNamespace(reason)) GTEST_SKIP() << reason;
    TempDir dir;
    fs::create_directories(dir / "tmpfs");
    fs::create_directories(dir / "bound");
    fs::create_directories(dir / "plain" / "inside");
    mountTmpfs((dir / "tmpfs").string());
    const UnmountGuard unmountTmpfs((dir / "tmpfs").string());
    // Same filesystem, same device: only the kernel tells it is another mount.
    mountBind((dir / "plain").string(), (dir / "bound").string());
    const UnmountGuard unmountBind((dir / "bound").string());
    FolderOpener opener;
    ASSERT_TRUE(opener.guardsMounts());
    const UniqueFd root = opener.openRoot(dir.path().string());
    ASSERT_GE(root.get(), 0);
    EXPECT_EQ(opener.openChild(root.get(), "tmpfs").get(), -EXDEV);
    EXPECT_EQ(opener.openChild(root.get(), "bound").get(), -EXDEV);
    EXPECT_GE(opener.openChild(root.get(), "plain").get(), 0);
}

// Folders the user does not own refuse O_NOATIME; workers that find this out
// at the same moment must each retry, not report a failure.
TEST(FolderOpen, WorkersOpeningFoldersTheyDoNotOwnAtOnceAllSucceed) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to switch to an unprivileged user";
    TempDir dir;
    fs::permissions(dir.path(), fs::perms::all, fs::perm_options::replace);
    constexpr int kWorkers = 4;
    for (int i = 0; i < kWorkers; ++i) fs::create_directory(dir / std::to_string(i));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(100);
        const int root = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY);
        if (root < 0) ::_exit(101);
        int failedRounds = 0;
        for (int round = 0; round < 300; ++round) {
            FolderOpener opener;
            std::atomic<int> ready{0};
            std::atomic<int> failures{0};
            std::vector<std::thread> workers;
            for (int i = 0; i < kWorkers; ++i) {
                workers.emplace_back([&, i] {
                    const std::string name = std::to_string(i);
                    ready.fetch_add(1);
                    while (ready.load() < kWorkers) {
                    }
                    if (!opener.openChild(root, name.c_str()).valid()) failures.fetch_add(1);
                });
            }
            for (auto& worker : workers) worker.join();
            if (failures.load() > 0) ++failedRounds;
        }
        ::_exit(failedRounds == 0 ? 0 : 102);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "100: cannot drop root, 101: cannot open the folder, 102: an open failed";
}

INSTANTIATE_TEST_SUITE_P(Openat2AndStepwise, FolderOpenTest, ::testing::Values(false, true),
                         [](const auto& which) { return which.param ? "Stepwise" : "Openat2"; });

}  // namespace
}  // namespace corvath::test
