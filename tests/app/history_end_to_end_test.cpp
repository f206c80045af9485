// The scan history as users meet it on real mounts: a drive that is not there
// or goes away is never stored, a disk mounted elsewhere keeps one history,
// and the database is found, read and kept private wherever the folders lie.

#include "app/unattended_fixture.h"
#include "support/hanging_filesystem.h"

#include <nlohmann/json.hpp>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <optional>

using namespace std::chrono_literals;
using namespace corvath::test;
using nlohmann::json;

namespace {

class History : public UnattendedEndToEnd {
protected:
    fs::path database() const { return home / "data" / "corvath" / "scans.db"; }

    ProgramRun report(std::vector<std::string> arguments, std::vector<std::string> env = {}) const {
        arguments.insert(arguments.begin(), CORVATH_REPORT_PATH);
        if (env.empty()) env = environment();
        return runProgram(arguments, env);
    }

    // A run that failed with one line on standard error, holding text.
    static void expectFailedWith(const ProgramRun& run, const std::string& text) {
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
        EXPECT_NE(run.err.find(text), std::string::npos) << run.err;
    }

    // An ext4 image of the test's own, mounted at point; false when the
    // machine cannot make or mount one.
    bool mountImage(const fs::path& image, const fs::path& point) {
        fs::create_directories(point);
        if (!fs::exists(image)) {
            { std::ofstream(image).close(); }
            fs::resize_file(image, 8 * 1024 * 1024);
            if (std::system(("mkfs.ext4 -q -F " + image.string() + " >/dev/null 2>&1").c_str()) != 0) return false;
        }
        if (std::system(("mount -o loop " + image.string() + " " + point.string() + " 2>/dev/null").c_str()) != 0) {
            return false;
        }
        mounted.push_back(point);
        return true;
    }
};

TEST_F(History, ASavedDriveNoLongerMountedIsToldAndNothingIsStoredForIt) {
    const fs::path kept = mountTree("kept", 5);
    const fs::path usb = mountTree("usb", 8);
    selectDrives(kept.string() + "\t" + usb.string());
    ASSERT_EQ(analyzeUnattended().status, 0);
    ASSERT_EQ(scansIn(database()).size(), 2u);

    // Unmounted, its mount-point folder stays behind.
    ASSERT_EQ(::umount2(usb.c_str(), 0), 0);
    ASSERT_TRUE(fs::is_directory(usb));
    const ProgramRun mixed = analyzeUnattended();
    EXPECT_EQ(mixed.status, 0) << "the other drive was analyzed";
    EXPECT_EQ(mixed.err, "corvath-analyzer: the saved drive " + usb.string() + " is not mounted; it is not analyzed\n");
    const std::vector<ScanRow> scans = scansIn(database());
    ASSERT_EQ(scans.size(), 3u);
    EXPECT_EQ(scans[2].drive, kept.string());

    selectDrives(usb.string());
    expectFailedWith(analyzeUnattended(), usb.string() + " is not mounted");
    EXPECT_EQ(scansIn(database()).size(), 3u);
    EXPECT_EQ(scansIn(database())[1].files, 8) << "the earlier scan is as it was";
}

#ifdef CORVATH_FUSE_DYING
TEST_F(History, ADriveWhoseDaemonDiesMidScanFailsAndKeepsItsEarlierScans) {
    if (::access("/dev/fuse", R_OK | W_OK) != 0) GTEST_SKIP() << "no /dev/fuse";
    const fs::path point = mounts / "fuse";
    selectDrives(point.string());
    {
        HangingFilesystem whole(CORVATH_FUSE_DYING, point, "0");
        ASSERT_TRUE(whole.mounted());
        const ProgramRun run = analyzeUnattended();
        ASSERT_EQ(run.status, 0) << run.err;
    }
    ASSERT_EQ(scansIn(database()).size(), 1u);
    ASSERT_EQ(scansIn(database())[0].files, 2000);

    HangingFilesystem dying(CORVATH_FUSE_DYING, point, "10");  // dies after ten folder listings
    ASSERT_TRUE(dying.mounted());
    const ProgramRun run = analyzeUnattended();
    expectFailedWith(run, "analysis of " + point.string() + " failed");
    EXPECT_NE(run.err.find("went away"), std::string::npos) << run.err;
    const std::vector<ScanRow> scans = scansIn(database());
    ASSERT_EQ(scans.size(), 1u) << "the part read is not stored as the drive";
    EXPECT_EQ(scans[0].files, 2000);
}
#endif

TEST_F(History, ADiskMountedElsewhereKeepsOneHistory) {
    const fs::path image = home / "disk.img";
    const fs::path first = mounts / "LABEL-ONE";
    const fs::path second = mounts / "LABEL-TWO";
    if (!mountImage(image, first)) GTEST_SKIP() << "cannot make and mount an ext4 image here";
    writeFile(first / "photos" / "a.jpg", std::string(40000, 'a'));
    selectDrives(first.string());
    ASSERT_EQ(analyzeUnattended().status, 0);

    // Relabelled: the same filesystem at another mount point, a little fuller.
    ASSERT_EQ(::umount2(first.c_str(), 0), 0);
    ASSERT_TRUE(mountImage(image, second));
    writeFile(second / "photos" / "b.jpg", std::string(90000, 'b'));
    selectDrives(second.string());
    ASSERT_EQ(analyzeUnattended().status, 0);

    const ProgramRun history = report({"history", "--json", second.string()});
    ASSERT_EQ(history.status, 0) << history.err;
    const json rows = json::parse(history.out);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0]["drive"], first.string());
    EXPECT_EQ(rows[1]["drive"], second.string());
    EXPECT_EQ(rows[1]["change"], static_cast<std::int64_t>(rows[1]["counted"]) - static_cast<std::int64_t>(rows[0]["counted"]));

    const ProgramRun diff = report({"diff", "--json", second.string()});
    ASSERT_EQ(diff.status, 0) << diff.err;
    bool photosGrew = false;
    for (const json& row : json::parse(diff.out)) {
        if (row["path"] == (second / "photos").string()) photosGrew = row["change"] > 90000;
    }
    EXPECT_TRUE(photosGrew) << diff.out;
}

TEST_F(History, LinkedHomeAndDataFoldersAreFollowedButALinkedDatabaseIsNot) {
    // As /home -> /var/home, with the data folder moved elsewhere and linked back.
    const fs::path realHome = home / "var" / "home" / "user";
    const fs::path linkedHome = home / "home-user";
    fs::create_directories(realHome / ".local" / "share");
    fs::create_directories(home / "elsewhere" / "corvath");
    fs::create_directory_symlink(realHome, linkedHome);
    fs::create_directory_symlink(home / "elsewhere" / "corvath", realHome / ".local" / "share" / "corvath");
    const std::vector<std::string> env{"PATH=" + bin.string() + ":/usr/bin:/bin", "HOME=" + linkedHome.string()};
    const fs::path drive = mountTree("drive", 3);
    ASSERT_EQ(runProgram({CORVATH_REG_PATH, "add", "HKCU\\Software\\Tamsel", "/v", "SelectedDrives", "/d",
                          drive.string(), "/f"},
                         env)
                  .status,
              0);

    const ProgramRun run = runProgram({CORVATH_ANALYZER_PATH, "-auto"}, env);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(scansIn(home / "elsewhere" / "corvath" / "scans.db").size(), 1u);
    const ProgramRun scans = report({"scans", "--json"}, env);
    ASSERT_EQ(scans.status, 0) << scans.err;
    EXPECT_EQ(json::parse(scans.out).size(), 1u);

    const fs::path moved = home / "elsewhere" / "moved.db";
    fs::rename(home / "elsewhere" / "corvath" / "scans.db", moved);
    fs::create_symlink(moved, home / "elsewhere" / "corvath" / "scans.db");
    const std::string before = readFile(moved);
    expectFailedWith(runProgram({CORVATH_ANALYZER_PATH, "-auto"}, env), "it is a symbolic link");
    EXPECT_EQ(readFile(moved), before);
}

TEST_F(History, StoredScansReadWhereNothingCanBeWritten) {
    selectDrives(mountTree("drive", 4).string());
    ASSERT_EQ(analyzeUnattended().status, 0);
    const std::string bytes = readFile(database());
    const auto readsOneScan = [&](const fs::path& file, std::vector<std::string> env = {}) {
        const ProgramRun run = report({"--database", file.string(), "scans", "--json"}, std::move(env));
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.status == 0 ? json::parse(run.out).size() : 0u, 1u) << file;
        EXPECT_EQ(readFile(file), bytes);
    };

    // A full disk.
    const fs::path full = home / "full";
    fs::create_directories(full);
    mountTmpfs(full.string(), "size=1m");
    mounted.push_back(full);
    writeFile(full / "scans.db", bytes);
    std::system(("dd if=/dev/zero of=" + (full / "filler").string() + " bs=4k >/dev/null 2>&1").c_str());
    readsOneScan(full / "scans.db");

    // A read-only mount of the data folder.
    const fs::path folder = database().parent_path();
    mountBind(folder.string(), folder.string());
    mounted.push_back(folder);
    ASSERT_EQ(::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr), 0);
    readsOneScan(database());

    // Another user, who may read the file but write nothing beside it.
    TempDir shared;
    fs::permissions(shared.path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                       fs::perms::others_read | fs::perms::others_exec);
    writeFile(shared / "scans.db", bytes);
    fs::permissions(shared / "scans.db", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                             fs::perms::others_read);
    const ProgramRun nobody =
        runProgram({"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", CORVATH_REPORT_PATH,
                    "--database", (shared / "scans.db").string(), "scans", "--json"},
                   {"PATH=/usr/bin:/bin", "HOME=/nonexistent"});
    ASSERT_EQ(nobody.status, 0) << nobody.err;
    EXPECT_EQ(json::parse(nobody.out).at(0)["files"], 4);
    EXPECT_EQ(readFile(shared / "scans.db"), bytes);
}

TEST_F(History, TheDatabaseIsPrivateAndNeverAnotherUsers) {
    const mode_t umaskBefore = ::umask(022);
    selectDrives(mountTree("drive", 2).string());
    const ProgramRun first = analyzeUnattended();
    ::umask(umaskBefore);
    ASSERT_EQ(first.status, 0) << first.err;
    const auto modeOf = [](const fs::path& path) {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 01000000;
    };
    EXPECT_EQ(modeOf(database()), 0600u);
    EXPECT_EQ(modeOf(database().parent_path()), 0700u);
    EXPECT_EQ(modeOf(home / "data"), 0700u);
    {
        // SQLite's files beside it, made while a reader has it open, take its mode.
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(database().c_str(), &db), SQLITE_OK);
        sqlite3_exec(db, "SELECT count(*) FROM scans", nullptr, nullptr, nullptr);
        EXPECT_EQ(modeOf(database().string() + "-wal"), 0600u);
        EXPECT_EQ(modeOf(database().string() + "-shm"), 0600u);
        sqlite3_close(db);
    }

    // Planted by another user: refused before any scan, and left as it is.
    const std::string bytes = readFile(database());
    ASSERT_EQ(::chown(database().c_str(), 65534, 65534), 0);
    expectFailedWith(analyzeUnattended(), "it belongs to another user");
    EXPECT_EQ(readFile(database()), bytes);
    ASSERT_EQ(::chown(database().c_str(), ::geteuid(), ::getegid()), 0);

    // In a folder anyone may write to, anyone could swap it.
    fs::permissions(home / "data", fs::perms::all);
    expectFailedWith(analyzeUnattended(), "the folder " + (home / "data").string() + " may be written by other users");
    EXPECT_EQ(readFile(database()), bytes);
    EXPECT_EQ(scansIn(database()).size(), 1u);
}

}  // namespace

TEST_F(History, FoldersExcludedWithCorvathRegAreLeftOutAndComparingWithAnEarlierScanWarns) {
    const fs::path drive = mountTree("data", 30);
    selectDrives(drive.string());
    ASSERT_EQ(analyzeUnattended().status, 0);
    ASSERT_EQ(reg({"add", "HKCU\\Software\\Tamsel", "/v", "ExcludedFolders", "/d", "folder1\t/not/here", "/f"}).status, 0);
    ASSERT_EQ(analyzeUnattended().status, 0);
    const ProgramRun du = runProgram({"du", "-sx", "-B1", "--exclude=folder1", drive.string()}, {"PATH=/usr/bin:/bin"});
    const std::vector<ScanRow> scans = scansIn(database());
    ASSERT_EQ(scans.size(), 2u);
    EXPECT_EQ(scans[1].allocated, std::stoll(du.out));
    EXPECT_EQ(scans[1].folders, scans[0].folders) << "the folder left out is still one of the drive's";

    bool marked = false;
    for (const json& row : json::parse(report({"top", "--json", drive.string()}).out)) {
        if (row["path"] == (drive / "folder1").string()) marked = row["excluded"] == true && row["allocated"] == 0;
    }
    EXPECT_TRUE(marked);
    EXPECT_NE(report({"diff", drive.string()}).out.find(")\nwarning: scan 1 ran with exclude patterns none, scan 2 "
                                                     "with folder1 /not/here: the change is not like for like\n"),
              std::string::npos);
    ASSERT_EQ(analyzeUnattended().status, 0);  // the same patterns again: like for like
    EXPECT_EQ(report({"diff", drive.string()}).out.find("warning:"), std::string::npos);
}
