// What the tests of corvath-analyzer -auto share: a private mount namespace
// with tmpfs drives, a home of its own with the real store and database, and a
// stand-in for xdg-open.
#pragma once

#include "support/mount_namespace.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <sys/mount.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace corvath::test {

namespace fs = std::filesystem;

struct ScanRow {
    std::string drive;
    long long allocated = 0;
    long long files = 0;
    long long folders = 0;
};

inline std::vector<ScanRow> scansIn(const fs::path& database) {
    std::vector<ScanRow> rows;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT drive, allocated, files, folders FROM scans ORDER BY id", -1, &stmt,
                               nullptr) == SQLITE_OK) {
            while (sqlite3_step(stmt) == SQLITE_ROW) {
                rows.push_back({reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)),
                                sqlite3_column_int64(stmt, 1), sqlite3_column_int64(stmt, 2),
                                sqlite3_column_int64(stmt, 3)});
            }
        }
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return rows;
}

inline long long duBytes(const fs::path& path) {
    ProgramRun du = runProgram({"du", "-s", "-x", "-B1", path.string()}, {"PATH=/usr/bin:/bin"});
    return std::stoll(du.out);
}

class UnattendedEndToEnd : public ::testing::Test {
protected:
    TempDir home;
    fs::path mounts = home / "mnt";
    fs::path bin = home / "bin";
    fs::path calls = home / "xdg-open-calls";
    std::vector<fs::path> mounted;

    void SetUp() override {
        std::string reason;
        if (!corvath::test::enterPrivateMountNamespace(reason)) {
            GTEST_SKIP() << reason;
        }
        // Stands in for the desktop's file manager and records how it was asked.
        corvath::test::writeFile(bin / "xdg-open", "#!/bin/sh\necho \"$@\" >> '" + calls.string() + "'\n");
        fs::permissions(bin / "xdg-open", fs::perms::owner_all);
        ASSERT_EQ(reg({"add", "HKCU\\Software\\Tamsel", "/f"}).status, 0);
    }

    // Unmounted here so that the temporary folder can go with them.
    void TearDown() override {
        for (const fs::path& point : mounted) {
            ::umount2(point.c_str(), MNT_DETACH);
        }
    }

    std::vector<std::string> environment() const {
        // No DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM: a timer has no desktop.
        return {"PATH=" + bin.string() + ":/usr/bin:/bin", "HOME=" + home.path().string(),
                "XDG_CONFIG_HOME=" + (home / "config").string(), "XDG_DATA_HOME=" + (home / "data").string()};
    }

    ProgramRun reg(const std::vector<std::string>& args) const {
        std::vector<std::string> argv{CORVATH_REG_PATH};
        argv.insert(argv.end(), args.begin(), args.end());
        return runProgram(argv, environment());
    }

    ProgramRun analyzeUnattended() const { return runProgram({CORVATH_ANALYZER_PATH, "-auto"}, environment()); }

    void selectDrives(const std::string& selection) const {
        ASSERT_EQ(reg({"add", "HKCU\\Software\\Tamsel", "/v", "SelectedDrives", "/d", selection, "/f"}).status, 0);
    }

    fs::path mountTree(const std::string& name, int files) {
        const fs::path point = mounts / name;
        fs::create_directories(point);
        corvath::test::mountTmpfs(point.string());
        mounted.push_back(point);
        for (int i = 0; i < files; ++i) {
            corvath::test::writeFile(point / ("folder" + std::to_string(i % 3)) / ("file" + std::to_string(i)),
                                     std::string(static_cast<std::size_t>(100 * i), 'x'));
        }
        return point;
    }

    std::string xdgOpenCalls() const {
        // The file manager is started detached; give it a moment to write.
        for (int i = 0; i < 100 && !fs::exists(calls); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return fs::exists(calls) ? corvath::test::readFile(calls) : std::string();
    }
};

}  // namespace corvath::test
