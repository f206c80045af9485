#include "platform/linux/sqlite_registry_store.h"
#include "settings/analyzer_settings.h"
#include "settings/registry_access.h"
#include "support/mount_namespace.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace corvath {
namespace {

namespace fs = std::filesystem;

struct RegRun {
    int status = -1;
    std::string out;
    std::string err;
};

// corvath-reg as a user runs it: its own process, no terminal on standard input,
// the store found through XDG_CONFIG_HOME.
class CorvathReg : public ::testing::Test {
protected:
    RegRun reg(const std::vector<std::string>& args) {
        std::vector<std::string> env = {"XDG_CONFIG_HOME=" + dir.path().string(), "HOME=/nonexistent"};
        std::vector<char*> envp;
        for (auto& entry : env) envp.push_back(entry.data());
        envp.push_back(nullptr);
        std::vector<std::string> argStrings = {CORVATH_REG_PATH};
        argStrings.insert(argStrings.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& arg : argStrings) argv.push_back(arg.data());
        argv.push_back(nullptr);

        const fs::path outFile = output / "out", errFile = output / "err";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        pid_t pid = 0;
        RegRun run;
        if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0) {
            int status = 0;
            ::waitpid(pid, &status, 0);
            run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        run.out = test::readFile(outFile);
        run.err = test::readFile(errFile);
        return run;
    }
    std::string storeBytes() { return fs::exists(file) ? test::readFile(file) : std::string("<none>"); }

    test::TempDir dir;
    test::TempDir output;
    fs::path file = dir / "corvath/registry.db";
};

TEST_F(CorvathReg, AddQueryDeleteRoundTrip) {
    RegRun added = reg({"add", "HKCU\\Software\\Tamsel", "/v", "StartExplorer", "/t", "REG_DWORD", "/d", "1", "/f"});
    EXPECT_EQ(added.status, 0) << added.err;
    EXPECT_EQ(added.out, "The operation completed successfully.\n");
    EXPECT_TRUE(fs::exists(file));

    EXPECT_EQ(reg({"add", "HKEY_CURRENT_USER\\Software\\Tamsel", "/v", "SelectedDrives", "/d", "/\t/home"}).status, 0);
    EXPECT_EQ(reg({"add", "hkcu\\Software\\Tamsel", "/v", "List", "/t", "REG_MULTI_SZ", "/d", "a\\0b"}).status, 0);
    EXPECT_EQ(reg({"add", "HKCU\\Software\\Tamsel", "/v", "Bits", "/t", "reg_binary", "/d", "0aFF"}).status, 0);
    EXPECT_EQ(reg({"add", "HKCU\\Software\\Tamsel", "/v", "Mask", "/t", "REG_DWORD", "/d", "0xFFFFFFFF"}).status, 0);
    EXPECT_EQ(reg({"add", "HKCU\\Software\\Tamsel\\Sub"}).status, 0);

    RegRun listed = reg({"query", "HKCU\\Software\\Tamsel"});
    EXPECT_EQ(listed.status, 0);
    EXPECT_EQ(listed.out,
              "\nHKEY_CURRENT_USER\\Software\\Tamsel\n"
              "    StartExplorer    REG_DWORD    0x1\n"
              "    SelectedDrives    REG_SZ    /\t/home\n"
              "    List    REG_MULTI_SZ    a\\0b\n"
              "    Bits    REG_BINARY    0AFF\n"
              "    Mask    REG_DWORD    0xffffffff\n"
              "\n"
              "HKEY_CURRENT_USER\\Software\\Tamsel\\Sub\n");
    RegRun one = reg({"query", "HKCU\\Software\\Tamsel", "/v", "selecteddrives"});
    EXPECT_EQ(one.out, "\nHKEY_CURRENT_USER\\Software\\Tamsel\n    SelectedDrives    REG_SZ    /\t/home\n\n");

    // What the tool stores is what the program reads.
    SqliteRegistryStore store(file);
    EXPECT_TRUE(readStartExplorer(store));
    SavedSelection saved;
    loadSavedSelection(store, saved);
    EXPECT_EQ(saved.entries, (std::vector<std::string>{"/", "/home"}));

    RegRun deleted = reg({"delete", "HKCU\\Software\\Tamsel", "/v", "StartExplorer", "/f"});
    EXPECT_EQ(deleted.status, 0);
    EXPECT_EQ(deleted.out, "The operation completed successfully.\n");
    EXPECT_FALSE(readStartExplorer(store));
    RegRun gone = reg({"query", "HKCU\\Software\\Tamsel", "/v", "StartExplorer"});
    EXPECT_EQ(gone.status, 1);
    EXPECT_EQ(gone.err, "ERROR: The system was unable to find the specified registry key or value.\n");

    EXPECT_EQ(reg({"delete", "HKCU\\Software\\Tamsel", "/f"}).status, 0);
    EXPECT_EQ(reg({"query", "HKCU\\Software\\Tamsel\\Sub"}).status, 1);
    EXPECT_EQ(reg({"query", "HKCU\\Software"}).out, "\nHKEY_CURRENT_USER\\Software\n\n");
}

TEST_F(CorvathReg, BadInputChangesNothing) {
    ASSERT_EQ(reg({"add", "HKCU\\Software\\Tamsel", "/v", "Word", "/d", "old"}).status, 0);
    const std::string before = storeBytes();
    const struct {
        std::vector<std::string> args;
        std::string message;  // a part of the one line expected
    } cases[] = {
        {{"add", "HKLM\\Software\\Tamsel", "/v", "Word", "/d", "x", "/f"}, "only HKCU"},
        {{"add", "Software\\Tamsel", "/v", "Word", "/d", "x", "/f"}, "Invalid key name"},
        {{"add", "HKCU\\Software\\\\Tamsel", "/v", "Word", "/d", "x", "/f"}, "Invalid key name"},
        {{"add", "HKCU\\\\Software", "/v", "Word", "/d", "x", "/f"}, "Invalid key name"},
        {{"add", "HKCU\\Software\\Tamsel", "/v", "Word", "/t", "REG_TEXT", "/d", "x", "/f"}, "Invalid type \"REG_TEXT\""},
        {{"add", "HKCU\\Software\\Tamsel", "/v", "Word", "/t", "REG_DWORD", "/d", "4294967296", "/f"}, "out of range"},
        {{"add", "HKCU\\Software\\Tamsel", "/v", "Word", "/t", "REG_DWORD", "/d", "0x100000000", "/f"}, "out of range"},
        {{"add", "HKCU\\Software\\Tamsel", "/v", "Word", "/t", "REG_DWORD", "/d", "-1", "/f"}, "not a decimal"},
        {{"add", "HKCU\\Software\\Tamsel", "/v", "Word", "/t", "REG_DWORD", "/d", "12abc", "/f"}, "not a decimal"},
        {{"add", "HKCU\\Software\\Tamsel", "/v", "Word", "/t", "REG_BINARY", "/d", "abc", "/f"}, "odd number"},
        {{"add", "HKCU\\Software\\Tamsel", "/v", "Word", "/t", "REG_BINARY", "/d", "zz", "/f"}, "not a hex digit"},
        {{"add", "HKCU\\Software\\Tamsel", "/v", "Word", "/t", "REG_MULTI_SZ", "/d", "a\\0\\0b", "/f"}, "entry is empty"},
        {{"add", "HKCU\\Software\\Tamsel", "/v", "Word", "/d"}, "needs a value"},
        {{"add", "HKCU\\Software\\Tamsel", "/v", "Word", "/x"}, "not a switch"},
        {{"add", "HKCU\\Software\\Tamsel", "/t", "REG_SZ"}, "need a value name"},
        {{"add", "HKCU\\Software\\Tamsel", "/v", "Word", "/d", "x"}, "overwrite(Yes/No)? No answer"},
        {{"delete", "HKCU\\Software\\Tamsel", "/v", "Word"}, "Delete the registry value Word (Yes/No)? No answer"},
        {{"delete", "HKCU\\Software\\Tamsel"}, "Permanently delete the registry key"},
        {{"delete", "HKCU", "/f"}, "hive itself"},
        {{"delete", "HKCU\\Software\\Tamsel", "/v", "Nothing", "/f"}, "unable to find"},
        {{"copy", "HKCU\\Software\\Tamsel"}, "Invalid operation"},
        {{}, "Invalid syntax"},
    };
    for (const auto& c : cases) {
        std::string line;
        for (const auto& arg : c.args) line += arg + " ";
        SCOPED_TRACE(line);
        const RegRun run = reg(c.args);
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_EQ(storeBytes(), before);
    }
    std::string text;
    SqliteRegistryStore store(file);
    readRegistryText(store, Hive::CurrentUser, "Software\\Tamsel", "Word", text);
    EXPECT_EQ(text, "old");
}

TEST_F(CorvathReg, MissingStoreIsCreatedOnlyByAddHoldingTheSettingsKey) {
    EXPECT_EQ(reg({"query", "HKCU\\Software\\Tamsel"}).status, 1);
    EXPECT_EQ(reg({"delete", "HKCU\\Software\\Tamsel", "/f"}).status, 1);
    EXPECT_EQ(reg({"add", "HKCU\\Software\\Tamsel", "/v", "Word", "/t", "REG_FOO"}).status, 1);
    EXPECT_FALSE(fs::exists(dir / "corvath"));
    EXPECT_EQ(reg({"add", "HKCU\\Software\\Other", "/v", "Word", "/d", "x"}).status, 0);
    // Only the store itself: no scratch file left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "corvath"), fs::directory_iterator()), 1);
    // The new store holds the settings key, empty, as the installer leaves it.
    const RegRun settings = reg({"query", "HKCU\\Software\\Tamsel"});
    EXPECT_EQ(settings.status, 0) << settings.err;
    EXPECT_EQ(settings.out, "\nHKEY_CURRENT_USER\\Software\\Tamsel\n\n");
    // An existing key is no error.
    EXPECT_EQ(reg({"add", "HKCU\\Software\\Tamsel"}).status, 0);
}

TEST_F(CorvathReg, FailedCreationIsOneWholeSentence) {
    test::writeFile(dir / "corvath", "a file where the folder would go\n");
    const RegRun noFolder = reg({"add", "HKCU\\Software\\Tamsel", "/v", "Word", "/d", "x", "/f"});
    EXPECT_EQ(noFolder.status, 1);
    EXPECT_EQ(noFolder.err, "ERROR: The folder \"" + (dir / "corvath").string() +
                                "\" for the settings store cannot be created: Not a directory.\n");
    EXPECT_EQ(test::readFile(dir / "corvath"), "a file where the folder would go\n");

    std::string reason;
    if (!test::enterPrivateMountNamespace(reason)) {
        GTEST_SKIP() << "the read-only folder: " << reason;
    }
    fs::remove(dir / "corvath");
    const std::string folder = (dir / "corvath").string();
    fs::create_directories(folder);
    test::mountBind(folder, folder);
    ASSERT_EQ(::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr), 0);
    const RegRun readOnly = reg({"add", "HKCU\\Software\\Tamsel", "/v", "Word", "/d", "x", "/f"});
    ::umount2(folder.c_str(), MNT_DETACH);
    EXPECT_EQ(readOnly.status, 1);
    EXPECT_EQ(readOnly.err, "ERROR: The settings store \"" + file.string() + "\" cannot be created: Read-only file system.\n");
    EXPECT_FALSE(fs::exists(file));
}

TEST_F(CorvathReg, QueryShowsEachValueOnOneLine) {
    ASSERT_EQ(reg({"add", "HKCU\\Software\\Tamsel", "/v", "two\nlines\r", "/d", "a\nb\x01\tc"}).status, 0);
    const RegRun run = reg({"query", "HKCU\\Software\\Tamsel"});
    EXPECT_EQ(run.out, "\nHKEY_CURRENT_USER\\Software\\Tamsel\n    two\\nlines\\r    REG_SZ    a\\nb\\x01\tc\n\n");
}

TEST_F(CorvathReg, CorruptStoreIsReportedAndLeftAlone) {
    test::writeFile(file, "this is not a database, but it is someone's file\n");
    const std::string before = storeBytes();
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"query", "HKCU\\Software\\Tamsel"},
          {"add", "HKCU\\Software\\Tamsel", "/v", "Word", "/d", "x", "/f"},
          {"delete", "HKCU\\Software\\Tamsel", "/f"}}) {
        const RegRun run = reg(args);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "ERROR: The settings store \"" + file.string() +
                               "\" is not a readable database (file is not a database); left as it is.\n");
        EXPECT_EQ(storeBytes(), before);
    }
}

}  // namespace
}  // namespace corvath
