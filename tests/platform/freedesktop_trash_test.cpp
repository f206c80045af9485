// The freedesktop.org trash on real folders, and on real mounts in a private
// mount namespace (root only; skipped otherwise).
#include "platform/linux/freedesktop_trash.h"

#include "support/mount_namespace.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <regex>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#ifdef CORVATH_FUSE_HANG
#include "support/hanging_filesystem.h"
#endif

namespace corvath {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Reason = TrashRefusal::Reason;
using test::TempDir;

void writeBytes(const fs::path& file, std::size_t bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << std::string(bytes, 'x');
}

// What du -sB1 says: every entry's st_blocks, never following a link.
std::uint64_t duBytes(const fs::path& top) {
    const auto allocated = [](const fs::path& path) {
        struct stat status {};
        EXPECT_EQ(::lstat(path.c_str(), &status), 0);
        return static_cast<std::uint64_t>(status.st_blocks) * 512;
    };
    std::uint64_t total = allocated(top);
    if (fs::is_directory(fs::symlink_status(top))) {
        for (const auto& entry : fs::recursive_directory_iterator(top)) total += allocated(entry.path());
    }
    return total;
}

// Everything in a folder, named relative to it, so that "nothing moved" is
// one comparison.
std::vector<std::string> listing(const fs::path& top) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(top)) names.push_back(fs::relative(entry, top));
    std::sort(names.begin(), names.end());
    return names;
}

class Trash : public ::testing::Test {
protected:
    Trash() {
        ::setenv("XDG_DATA_HOME", (home / "share").c_str(), 1);
        writeBytes(drive / "x" / "sub" / "file", 64 << 10);
        writeBytes(elsewhere / "sub" / "file", 32 << 10);
    }
    ~Trash() override { ::unsetenv("XDG_DATA_HOME"); }

    TrashItem item(const std::string& below, bool folder = true) const {
        return TrashItem{drive.path().string(), (drive / below).string(), folder};
    }
    // Both calls refuse alike, and neither moves anything anywhere.
    TrashRefusal refusedAlike(const TrashItem& wanted) {
        const auto before = listing(drive.path());
        const auto elsewhereBefore = listing(elsewhere.path());
        const TrashCheck check = trash.check(wanted, 2s);
        const TrashMove moved = trash.move(wanted);
        EXPECT_TRUE(check.refusal.has_value() && moved.refusal.has_value()) << wanted.path;
        if (!check.refusal || !moved.refusal) return {};
        EXPECT_EQ(check.refusal->reason, moved.refusal->reason);
        EXPECT_EQ(check.refusal->where, moved.refusal->where);
        EXPECT_EQ(listing(drive.path()), before);
        EXPECT_EQ(listing(elsewhere.path()), elsewhereBefore);
        EXPECT_FALSE(fs::exists(home / "share" / "Trash" / "info")) << "no record left behind";
        return *moved.refusal;
    }

    TempDir drive;
    TempDir elsewhere;
    TempDir home;
    FreedesktopTrash trash{5s};
};

TEST_F(Trash, ALinkAnywhereOnTheWayOrAVanishedPartMovesNothingAndSaysWhich) {
    // The scanned parent swapped for a link to another tree holding the same name.
    fs::rename(drive / "x", drive / "x.old");
    fs::create_directory_symlink(elsewhere.path(), drive / "x");
    TrashRefusal refusal = refusedAlike(item("x/sub"));
    EXPECT_EQ(refusal.reason, Reason::Link);
    EXPECT_EQ(refusal.where, (drive / "x").string());

    // A link as the item itself, as a file, and deeper down.
    fs::create_directory_symlink(elsewhere / "sub", drive / "x.old" / "sub" / "down");
    for (const auto& [below, folder] : {std::pair{"x", true}, {"x", false}, {"x.old/sub/down/file", false}}) {
        refusal = refusedAlike(item(below, folder));
        EXPECT_EQ(refusal.reason, Reason::Link) << below;
    }
    EXPECT_EQ(refusal.where, (drive / "x.old" / "sub" / "down").string());

    // Gone, itself or a folder above it; a folder that became a file; the root.
    EXPECT_EQ(refusedAlike(item("gone")).reason, Reason::Gone);
    refusal = refusedAlike(item("gone/below"));
    EXPECT_EQ(refusal.where, (drive / "gone").string());
    EXPECT_EQ(refusedAlike(item("x.old/sub/file")).reason, Reason::NotAFolder);
    EXPECT_EQ(refusedAlike(item("x.old/sub", false)).reason, Reason::NowAFolder);
    EXPECT_EQ(refusedAlike(TrashItem{drive.path().string(), drive.path().string(), true}).reason,
              Reason::NotBelowRoot);
    EXPECT_EQ(refusedAlike(item("x.old/../x.old")).reason, Reason::NotBelowRoot);
}

TEST_F(Trash, OnTheHomesFilesystemAnItemGoesToTheHomeTrashWithItsRecordAndItsSizeNow) {
    const std::string odd = "caf\xe9 50%";  // Latin-1, not UTF-8
    writeBytes(drive / odd / "a", 100 << 10);
    const TrashCheck check = trash.check(item(odd), 2s);
    ASSERT_FALSE(check.refusal);
    EXPECT_EQ(check.size.kind, CurrentSize::Kind::Exact);
    EXPECT_EQ(check.size.allocated, duBytes(drive / odd));
    EXPECT_EQ(trash.check(item(odd + "/a", false), 2s).size.allocated, duBytes(drive / odd / "a"));

    const std::time_t before = std::time(nullptr);
    const TrashMove moved = trash.move(item(odd));
    ASSERT_FALSE(moved.refusal) << moved.refusal->detail;
    const fs::path trashed = home / "share" / "Trash";
    EXPECT_EQ(moved.placedAt, (trashed / "files" / odd).string());
    EXPECT_TRUE(fs::exists(trashed / "files" / odd / "a"));
    EXPECT_FALSE(fs::exists(drive / odd));
    EXPECT_EQ(fs::status(trashed).permissions(), fs::perms::owner_all) << "made 0700";

    const std::string record = test::readFile(trashed / "info" / (odd + ".trashinfo"));
    std::smatch date;
    ASSERT_TRUE(std::regex_match(record, date,
                                 std::regex("\\[Trash Info\\]\nPath=(.*)\nDeletionDate=(\\d{4}-\\d\\d-\\d\\dT\\d\\d:"
                                            "\\d\\d:\\d\\d)\n")))
        << record;
    EXPECT_EQ(date[1].str(), drive.path().string() + "/caf%E9%2050%25") << "absolute, percent-encoded";
    std::tm local{};
    ASSERT_NE(::strptime(date[2].str().c_str(), "%Y-%m-%dT%H:%M:%S", &local), nullptr);
    local.tm_isdst = -1;
    EXPECT_LE(std::abs(std::mktime(&local) - before), 2) << "local time, now";

    // The same name again: the next free name, shared by files/ and info/.
    writeBytes(drive / odd / "b", 1);
    ASSERT_FALSE(trash.move(item(odd)).refusal);
    EXPECT_TRUE(fs::exists(trashed / "files" / (odd + ".2") / "b"));
    EXPECT_TRUE(fs::exists(trashed / "info" / (odd + ".2.trashinfo")));
}

class TrashOnMounts : public Trash {
protected:
    void SetUp() override {
        std::string reason;
        if (!test::enterPrivateMountNamespace(reason)) GTEST_SKIP() << reason;
        test::mountTmpfs(usb.path());
        writeBytes(usb / "photos" / "1.jpg", 40 << 10);
    }
    void TearDown() override {
        for (const fs::path& point : {usb / ".Trash-0" / "files", drive / "x" / "sub", usb.path()}) {
            ::umount2(point.c_str(), MNT_DETACH);
        }
    }
    TrashItem onUsb(const std::string& below) const {
        return TrashItem{usb.path().string(), (usb / below).string(), true};
    }

    TempDir usb;
};

TEST_F(TrashOnMounts, AnItemThatIsOrHoldsAMountPointIsRefusedNamingIt) {
    test::mountTmpfs((drive / "x" / "sub").string());
    writeBytes(drive / "x" / "sub" / "on-the-mount", 1);
    TrashRefusal refusal = refusedAlike(item("x"));
    EXPECT_EQ(refusal.reason, Reason::HoldsMount);
    EXPECT_EQ(refusal.where, (drive / "x" / "sub").string());
    for (const char* below : {"x/sub", "x/sub/on-the-mount"}) {
        refusal = refusedAlike(item(below, std::string(below) == "x/sub"));
        EXPECT_EQ(refusal.reason, Reason::OtherFilesystem) << below;
        EXPECT_EQ(refusal.where, (drive / "x" / "sub").string());
    }
}

TEST_F(TrashOnMounts, OffTheHomesFilesystemAnItemGoesToItsDrivesTrash) {
    const TrashMove moved = trash.move(onUsb("photos"));
    ASSERT_FALSE(moved.refusal) << moved.refusal->detail;
    EXPECT_TRUE(fs::exists(usb / ".Trash-0" / "files" / "photos" / "1.jpg"));
    EXPECT_EQ(fs::status(usb / ".Trash-0").permissions(), fs::perms::owner_all);
    const std::string record = test::readFile(usb / ".Trash-0" / "info" / "photos.trashinfo");
    EXPECT_NE(record.find("\nPath=photos\n"), std::string::npos) << "relative to the drive's root: " << record;
    EXPECT_NE(record.find("\nDeletionDate="), std::string::npos);

    // A shared .Trash counts only as a real, sticky folder.
    fs::create_directory_symlink(elsewhere.path(), usb / ".Trash");
    writeBytes(usb / "music" / "a", 1);
    ASSERT_FALSE(trash.move(onUsb("music")).refusal);
    EXPECT_TRUE(fs::exists(usb / ".Trash-0" / "files" / "music"));
    EXPECT_FALSE(fs::exists(elsewhere / "0")) << "never through the link";
    fs::remove(usb / ".Trash");
    fs::create_directory(usb / ".Trash");
    ::chmod((usb / ".Trash").c_str(), 01777);
    writeBytes(usb / "films" / "a", 1);
    ASSERT_FALSE(trash.move(onUsb("films")).refusal);
    EXPECT_TRUE(fs::exists(usb / ".Trash" / "0" / "files" / "films" / "a"));
    EXPECT_TRUE(fs::exists(usb / ".Trash" / "0" / "info" / "films.trashinfo"));

    // A rename that fails takes its record back.
    fs::remove_all(usb / ".Trash");
    test::mountTmpfs((usb / ".Trash-0" / "files").string());
    writeBytes(usb / "notes" / "a", 1);
    const TrashMove failed = trash.move(onUsb("notes"));
    ASSERT_TRUE(failed.refusal);
    EXPECT_EQ(failed.refusal->reason, Reason::Failed);
    EXPECT_TRUE(fs::exists(usb / "notes" / "a"));
    EXPECT_FALSE(fs::exists(usb / ".Trash-0" / "info" / "notes.trashinfo"));
}

#ifdef CORVATH_FUSE_HANG
TEST_F(TrashOnMounts, ADriveThatDoesNotAnswerHoldsNeitherCallPastItsBound) {
    if (::access("/dev/fuse", R_OK | W_OK) != 0) GTEST_SKIP() << "no /dev/fuse";
    const fs::path point = usb / "hung";
    test::HangingFilesystem hung(CORVATH_FUSE_HANG, point);
    ASSERT_TRUE(hung.mounted());
    FreedesktopTrash quick{300ms};
    const TrashItem wanted{point.string(), (point / "x").string(), true};
    const auto start = std::chrono::steady_clock::now();
    const TrashCheck check = quick.check(wanted, 300ms);
    EXPECT_FALSE(check.refusal);
    EXPECT_EQ(check.size.kind, CurrentSize::Kind::Unknown);
    const TrashMove moved = quick.move(wanted);
    ASSERT_TRUE(moved.refusal);
    EXPECT_EQ(moved.refusal->reason, Reason::NotAnswering);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1500ms);
    hung.stop();
}
#endif

}  // namespace
}  // namespace corvath
