#include "platform/linux/registry_store_editor.h"
#include "platform/linux/sqlite_registry_store.h"
#include "settings/registry_access.h"
#include "support/mount_namespace.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <iostream>
#include <sqlite3.h>

#include <chrono>
#include <csignal>
#include <random>
#include <functional>
#include <set>
#include <thread>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace corvath {
namespace {

namespace fs = std::filesystem;
const std::string kKey = "Software\\Tamsel";

std::set<std::string> folderListing(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

std::string readText(SqliteRegistryStore& store, const std::string& name, bool* found = nullptr) {
    std::string text;
    const bool ok = readRegistryText(store, Hive::CurrentUser, kKey, name, text);
    if (found != nullptr) {
        *found = ok;
    }
    return text;
}

// Runs body in a child process and returns its pid; the child never returns.
template <typename Body>
pid_t spawn(Body body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        body();
        ::_exit(0);
    }
    return pid;
}

int waitExit(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class StoreReliability : public ::testing::Test {
protected:
    void SetUp() override { RegistryStoreEditor(file).createKey(Hive::CurrentUser, kKey); }

    test::TempDir dir;
    fs::path file = dir / "corvath/registry.db";
};

TEST_F(StoreReliability, WriterKilledMidWriteLeavesTheOldOrTheNewValue) {
    std::mt19937 random(12345);
    const std::string padding(900, '.');
    long lastSeen = -1;
    int interrupted = 0;
    for (int round = 0; round < 25; ++round) {
        const long start = lastSeen + 1;
        int progress[2];
        ASSERT_EQ(::pipe(progress), 0);
        const pid_t writer = spawn([&] {
            SqliteRegistryStore store(file);
            for (long n = start;; ++n) {
                // Large values span pages, so a kill can land inside a page write.
                writeRegistryText(store, Hive::CurrentUser, kKey, "Counter", std::to_string(n) + ":" + padding);
                writeRegistryText(store, Hive::CurrentUser, kKey, "Twin", std::to_string(n) + ":" + padding);
                if (n == start) {
                    (void)!::write(progress[1], "x", 1);
                }
            }
        });
        // Kill only after a first write has landed, at a random point after it,
        // so the test keeps its meaning however slow the disk is.
        char byte = 0;
        ASSERT_EQ(::read(progress[0], &byte, 1), 1);
        ::close(progress[0]);
        ::close(progress[1]);
        std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<int>(0, 20000)(random)));
        ::kill(writer, SIGKILL);
        ::waitpid(writer, nullptr, 0);
        // A journal left behind means the kill landed inside a write.
        interrupted += fs::exists(file.string() + "-journal") ? 1 : 0;

        SCOPED_TRACE("round " + std::to_string(round));
        ASSERT_NO_THROW(RegistryStoreEditor(file).readKey(Hive::CurrentUser, kKey));
        SqliteRegistryStore store(file);
        bool found = false;
        const std::string text = readText(store, "Counter", &found);
        ASSERT_TRUE(found);
        const std::size_t colon = text.find(':');
        ASSERT_NE(colon, std::string::npos) << text;
        EXPECT_EQ(text.substr(colon + 1), padding);
        const long value = std::stol(text.substr(0, colon));
        EXPECT_GE(value, lastSeen);
        lastSeen = value;
    }
    EXPECT_GT(lastSeen, 0) << "the writers never got a value stored";
    std::cout << "kills inside a write: " << interrupted << " of 25\n";
}

TEST_F(StoreReliability, ConcurrentWritersLoseNothing) {
    constexpr int kWrites = 150;
    std::vector<pid_t> writers;
    for (const char* prefix : {"a", "b"}) {
        writers.push_back(spawn([&, prefix] {
            SqliteRegistryStore store(file);
            for (int i = 0; i < kWrites; ++i) {
                writeRegistryText(store, Hive::CurrentUser, kKey, prefix + std::to_string(i), std::to_string(i));
                writeRegistryText(store, Hive::CurrentUser, kKey, "Shared", prefix);
            }
        }));
    }
    for (pid_t writer : writers) {
        EXPECT_EQ(waitExit(writer), 0);
    }
    SqliteRegistryStore store(file);
    for (const char* prefix : {"a", "b"}) {
        for (int i = 0; i < kWrites; ++i) {
            EXPECT_EQ(readText(store, prefix + std::to_string(i)), std::to_string(i)) << prefix << i;
        }
    }
    const std::string shared = readText(store, "Shared");
    EXPECT_TRUE(shared == "a" || shared == "b") << shared;
}

// Files at the store's place that are not a sound store of ours.
struct BadStore {
    const char* what;
    std::function<void(const fs::path&)> make;
};

std::vector<BadStore> badStores() {
    return {
        {"text", [](const fs::path& file) { test::writeFile(file, "SaveAnalyzerSettings=no\n"); }},
        {"empty file", [](const fs::path& file) { test::writeFile(file, ""); }},
        {"foreign database",
         [](const fs::path& file) {
             fs::create_directories(file.parent_path());
             sqlite3* db = nullptr;
             sqlite3_open(file.c_str(), &db);
             sqlite3_exec(db, "CREATE TABLE notes(text); INSERT INTO notes VALUES('mine')", nullptr, nullptr, nullptr);
             sqlite3_close(db);
         }},
        {"damaged page",
         [](const fs::path& file) {
             RegistryStoreEditor(file).setValue(Hive::CurrentUser, kKey, "SaveAnalyzerSettings", reg::kSz, {'n', 'o'});
             std::string bytes = test::readFile(file);
             // The second page holds the keys table; scribble over its header.
             for (std::size_t i = 4096; i < 4096 + 64 && i < bytes.size(); ++i) {
                 bytes[i] = '\x7f';
             }
             test::writeFile(file, bytes);
         }},
        {"truncated",
         [](const fs::path& file) {
             RegistryStoreEditor(file).setValue(Hive::CurrentUser, kKey, "SaveAnalyzerSettings", reg::kSz, {'n', 'o'});
             test::writeFile(file, test::readFile(file).substr(0, 4096 + 100));
         }},
    };
}

TEST(BadStoreFile, ReadsAsMissingTakesNoWriteAndStaysByteForByte) {
    for (const BadStore& bad : badStores()) {
        SCOPED_TRACE(bad.what);
        test::TempDir dir;
        const fs::path file = dir / "corvath/registry.db";
        bad.make(file);
        const std::string before = test::readFile(file);
        const auto listing = folderListing(file.parent_path());

        SqliteRegistryStore store(file);
        bool found = true;
        EXPECT_EQ(readText(store, "SaveAnalyzerSettings", &found), "");
        EXPECT_FALSE(found);
        writeRegistryText(store, Hive::CurrentUser, kKey, "SaveAnalyzerSettings", "yes");
        EXPECT_EQ(store.openKey(Hive::CurrentUser, "", 0x20019), nullptr);

        RegistryStoreEditor editor(file);
        EXPECT_THROW(editor.readKey(Hive::CurrentUser, kKey), StoreError);
        EXPECT_THROW(editor.createKey(Hive::CurrentUser, kKey), StoreError);
        EXPECT_THROW(editor.setValue(Hive::CurrentUser, kKey, "X", reg::kSz, {}), StoreError);
        EXPECT_THROW(editor.deleteKey(Hive::CurrentUser, kKey), StoreError);

        EXPECT_TRUE(test::readFile(file) == before) << "the file was changed";
        EXPECT_EQ(folderListing(file.parent_path()), listing);
    }
}

TEST_F(StoreReliability, StoreLockedPastTheTimeoutReadsAsMissing) {
    RegistryStoreEditor(file).setValue(Hive::CurrentUser, kKey, "CloseWhenDone", reg::kSz, {'y', 'e', 's'});
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = spawn([&] {
        sqlite3* db = nullptr;
        sqlite3_open(file.c_str(), &db);
        sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
        (void)!::write(ready[1], "x", 1);
        ::pause();
    });
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);

    SqliteRegistryStore store(file);
    const auto start = std::chrono::steady_clock::now();
    bool found = true;
    EXPECT_EQ(readText(store, "CloseWhenDone", &found), "");
    EXPECT_FALSE(found);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_THROW(RegistryStoreEditor(file).readKey(Hive::CurrentUser, kKey), StoreError);

    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    EXPECT_EQ(readText(store, "CloseWhenDone"), "yes");
}

TEST_F(StoreReliability, ReadOnlyStoreOpensForReadingAndTakesNoWrite) {
    RegistryStoreEditor(file).setValue(Hive::CurrentUser, kKey, "CloseWhenDone", reg::kSz, {'y', 'e', 's'});
    std::string reason;
    if (!test::enterPrivateMountNamespace(reason)) {
        GTEST_SKIP() << reason;
    }
    const std::string folder = file.parent_path().string();
    test::mountBind(folder, folder);
    ASSERT_EQ(::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr), 0);
    const std::string before = test::readFile(file);

    SqliteRegistryStore store(file);
    // The settings read asks for every right; it gets the key for reading.
    for (const std::uint32_t access : {reg::kAllAccess, reg::kWriteAccess, 0x20019u}) {
        SCOPED_TRACE(access);
        const auto key = store.openKey(Hive::CurrentUser, kKey, access);
        ASSERT_NE(key, nullptr);
        key->setValue("CloseWhenDone", reg::kSz, {'n', 'o'});
        RegistryValue value;
        EXPECT_EQ(key->queryValue("CloseWhenDone", 1024, value), QueryStatus::Ok);
        EXPECT_EQ(value.data, (std::vector<std::uint8_t>{'y', 'e', 's'}));
    }
    writeRegistryText(store, Hive::CurrentUser, kKey, "CloseWhenDone", "no");
    writeRegistryText(store, Hive::CurrentUser, kKey, "Other", "no");
    EXPECT_EQ(readText(store, "CloseWhenDone"), "yes");
    EXPECT_THROW(RegistryStoreEditor(file).setValue(Hive::CurrentUser, kKey, "X", reg::kSz, {}), StoreError);
    EXPECT_EQ(test::readFile(file), before);
    ::umount2(folder.c_str(), MNT_DETACH);
}

TEST_F(StoreReliability, ReadOnlyFileOpensForReadingAndTakesNoWrite) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to read the store as another user";
    }
    RegistryStoreEditor(file).setValue(Hive::CurrentUser, kKey, "CloseWhenDone", reg::kSz, {'y', 'e', 's'});
    // The folder takes new files from anyone; only the file itself is read-only.
    fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::others_exec);
    fs::permissions(file.parent_path(), fs::perms::all);
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const std::string before = test::readFile(file);
    const pid_t reader = spawn([&] {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
            ::_exit(2);
        }
        SqliteRegistryStore store(file);
        writeRegistryText(store, Hive::CurrentUser, kKey, "CloseWhenDone", "no");
        ::_exit(readText(store, "CloseWhenDone") == "yes" ? 0 : 1);
    });
    EXPECT_EQ(waitExit(reader), 0);
    EXPECT_EQ(test::readFile(file), before);
}

TEST_F(StoreReliability, KeyOpenedForReadingTakesNoWrite) {
    SqliteRegistryStore store(file);
    const auto key = store.openKey(Hive::CurrentUser, kKey, 0x20019);
    ASSERT_NE(key, nullptr);
    key->setValue("Word", reg::kSz, {'y'});
    RegistryValue value;
    EXPECT_EQ(key->queryValue("Word", 1024, value), QueryStatus::Missing);
}

TEST_F(StoreReliability, NewStoreCreationNeverReplacesAFile) {
    const fs::path other = dir / "elsewhere/registry.db";
    test::writeFile(other, "not a store");
    StoreDatabase::createIfMissing(other);
    EXPECT_EQ(test::readFile(other), "not a store");
    EXPECT_EQ(folderListing(other.parent_path()), std::set<std::string>{"registry.db"});
}

TEST_F(StoreReliability, DanglingLinkAtTheStorePlaceIsNotFollowedToCreate) {
    const fs::path link = dir / "linked/registry.db";
    fs::create_directories(link.parent_path());
    fs::create_symlink(dir / "nowhere/registry.db", link);
    EXPECT_THROW(RegistryStoreEditor(link).createKey(Hive::CurrentUser, kKey), StoreError);
    EXPECT_FALSE(fs::exists(dir / "nowhere"));
    EXPECT_TRUE(fs::is_symlink(link));
}

}  // namespace
}  // namespace corvath
