// Opening folders below a kept folder never follows a link or enters a mount.
#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/folder_open.h"
#include "engine/unmount_guard.h"
#include "support/mount_namespace.h"
#include "support/temp_dir.h"

namespace corvath::test {
namespace {

namespace fs = std::filesystem;

class FolderOpenTest : public ::testing::TestWithParam<bool> {
protected:
    int openBelow(int anchor, const std::string& relative) {
        return GetParam() ? opener.openBelowStepwise(anchor, relative) : opener.openBelow(anchor, relative);
    }
    FolderOpener opener;
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
    const int root = opener.openRoot(dir.path().string());
    ASSERT_GE(root, 0);

    const int c = openBelow(root, "a/b/c");
    ASSERT_GE(c, 0);
    struct stat expected {};
    ASSERT_EQ(::stat((dir / "a" / "b" / "c").c_str(), &expected), 0);
    EXPECT_EQ(inodeOf(c), expected.st_ino);
    ::close(c);
    EXPECT_LT(openBelow(root, "link/b"), 0);
    EXPECT_LT(openBelow(root, "a/b/last-link"), 0);
    EXPECT_EQ(openBelow(root, "a/missing/c"), -ENOENT);
    ::close(root);
}

TEST_P(FolderOpenTest, DoesNotEnterAMount) {
    std::string reason;
    if (!enterPrivateMountNamespace(reason)) GTEST_SKIP() << reason;
    TempDir dir;
    fs::create_directories(dir / "a" / "mnt");
    mountTmpfs((dir / "a" / "mnt").string());
    const UnmountGuard unmount((dir / "a" / "mnt").string());
    fs::create_directory(dir / "a" / "mnt" / "inside");
    const int root = opener.openRoot(dir.path().string());
    ASSERT_GE(root, 0);
    EXPECT_EQ(openBelow(root, "a/mnt/inside"), -EXDEV);
    EXPECT_EQ(openBelow(root, "a/mnt"), -EXDEV);
    ::close(root);
}

INSTANTIATE_TEST_SUITE_P(Openat2AndStepwise, FolderOpenTest, ::testing::Values(false, true),
                         [](const auto& which) { return which.param ? "Stepwise" : "Openat2"; });

}  // namespace
}  // namespace corvath::test
