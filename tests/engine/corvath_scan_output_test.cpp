// corvath-scan -o: the export's bytes, and what happens to the file it is told
// to write when the scan fails, is cancelled or the file is not a plain one.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <optional>
#include <regex>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "engine/scan_reference.h"
#include "engine/unmount_guard.h"
#include "entry_spill.h"
#include "support/mount_namespace.h"
#include "support/temp_dir.h"

namespace corvath::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string scan(const std::string& arguments, int* status = nullptr) {
    return runCommand(std::string(CORVATH_SCAN_BINARY) + " " + arguments, status);
}

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// What varies between runs of the same tree: the time, the folder it sits in
// and its device number.
std::string normalized(std::string json, const std::string& root) {
    json = std::regex_replace(json, std::regex("\"timestamp\":[0-9]+"), "\"timestamp\":0");
    json = std::regex_replace(json, std::regex("\"dev\":[0-9]+"), "\"dev\":0");
    const std::string quoted = "\"" + root + "\"";
    if (const auto at = json.find(quoted); at != std::string::npos) json.replace(at, quoted.size(), "\"ROOT\"");
    return json;
}

// Nested folders, hard links within and across folders, odd names, a chain
// deeper than PATH_MAX and a folder larger than one read of the kernel's
// listing, on a fresh tmpfs: there the listing order and the inode numbers are
// the same on every run, so the export is too.
TEST(CorvathScanExport, IsTheRecordedLayoutByteForByte) {
    std::string reason;
    if (!enterPrivateMountNamespace(reason)) GTEST_SKIP() << reason;
    TempDir top, out;
    mountTmpfs(top.path().string(), "size=256m");
    UnmountGuard unmount(top.path().string());
    const fs::path tree = top / "tree";
    makeAwkwardTree(tree);
    fs::create_directory(tree / "deep");
    makeDeepChain(tree / "deep", 2100);
    for (int i = 0; i < 3000; ++i) writeFile(tree / "many" / ("entry-with-a-longer-name-" + std::to_string(i)), "");

    int status = -1;
    const fs::path file = out / "export.json";
    scan("-j 3 -o " + shellQuote(file.string()) + " " + shellQuote(tree.string()), &status);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(namesIn(out.path()), std::vector<std::string>{"export.json"});
    const std::string actual = normalized(readFile(file), tree.string());
    const std::string expected = readFile(CORVATH_TEST_DATA "/export_fixture.json");
    if (actual != expected) {
        writeFile(fs::path(CORVATH_TEST_OUTPUT) / "export_fixture.actual.json", actual);
        FAIL() << "the export differs; it is in " << CORVATH_TEST_OUTPUT << "/export_fixture.actual.json";
    }
    removeDeepChain(tree / "deep");
}

// Each case is a file the user had before the run; only a complete export may
// change it, and nothing else may appear beside it.
TEST(CorvathScanOutput, KeepsWhatTheUserHad) {
    TempDir tree, out;
    writeFile(tree / "a" / "file", "abc");
    const std::string treeArg = shellQuote(tree.path().string());
    const fs::path keep = out / "keep.json";
    writeFile(keep, "precious\n");
    int status = -1;

    {
        SCOPED_TRACE("a failing scan");
        scan("-o " + shellQuote(keep.string()) + " /no/such/folder 2>/dev/null", &status);
        EXPECT_EQ(status, 1);
        EXPECT_EQ(readFile(keep), "precious\n");
        EXPECT_EQ(namesIn(out.path()), std::vector<std::string>{"keep.json"});
    }
    {
        SCOPED_TRACE("a symbolic link to the file");
        fs::create_symlink("keep.json", out / "link.json");
        ::chmod(keep.c_str(), 0640);
        scan("-o " + shellQuote((out / "link.json").string()) + " " + treeArg, &status);
        EXPECT_EQ(status, 0);
        EXPECT_TRUE(fs::is_symlink(out / "link.json"));
        EXPECT_EQ(fs::read_symlink(out / "link.json"), "keep.json");
        EXPECT_EQ(readFile(keep).rfind("[1,2,{\"progname\":\"corvath-scan\"", 0), 0u);
        struct stat st {};
        ASSERT_EQ(::stat(keep.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0640u) << "the replaced file keeps its permissions";
        EXPECT_EQ(namesIn(out.path()), (std::vector<std::string>{"keep.json", "link.json"}));
    }
    for (const std::string& path : {std::string("/no/such/folder"), tree.path().string()}) {
        SCOPED_TRACE("/dev/null, scanning " + path);
        scan("-o /dev/null " + shellQuote(path) + " >/dev/null 2>&1", &status);
        struct stat st {};
        ASSERT_EQ(::stat("/dev/null", &st), 0);
        EXPECT_TRUE(S_ISCHR(st.st_mode));
    }
    {
        SCOPED_TRACE("a folder that does not exist, and -o twice");
        const std::string error = scan("-o " + shellQuote((out / "no" / "x.json").string()) + " " + treeArg + " 2>&1", &status);
        EXPECT_EQ(status, 1);
        EXPECT_EQ(error, "corvath-scan: cannot write " + (out / "no" / "x.json").string() + ": No such file or directory\n");
        scan("-o a.json -o b.json " + treeArg + " 2>/dev/null", &status);
        EXPECT_EQ(status, 2);
    }
}

// In a sticky folder anyone may write to (as /tmp), a link another user
// planted is not followed: the export would overwrite a file of the caller's.
// The caller's own link there is followed as anywhere else. An export killed
// before it committed leaves a hidden file; the next export to the name
// removes it, but not one of a process still running.
TEST(CorvathScanOutput, FollowsOnlyLinksTheKernelWouldAndClearsWhatAKillLeft) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to plant another user's link";
    TempDir tree, shared, victims;
    writeFile(tree / "a" / "file", "abc");
    const std::string treeArg = shellQuote(tree.path().string());
    ASSERT_EQ(::chmod(shared.path().c_str(), 01777), 0);
    const fs::path victim = victims / "important";
    writeFile(victim, "precious\n");
    const fs::path planted = shared / "report.json";
    fs::create_symlink(victim, planted);
    ASSERT_EQ(::lchown(planted.c_str(), 65534, 65534), 0);
    int status = -1;

    const std::string error = scan("-o " + shellQuote(planted.string()) + " " + treeArg + " 2>&1", &status);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(error, "corvath-scan: cannot write " + planted.string() + ": " + planted.string() +
                         " is a symbolic link of another user in a folder anyone may write to, and is not followed\n");
    EXPECT_EQ(readFile(victim), "precious\n");
    EXPECT_EQ(namesIn(shared.path()), std::vector<std::string>{"report.json"});
    EXPECT_EQ(namesIn(victims.path()), std::vector<std::string>{"important"});

    ASSERT_EQ(::lchown(planted.c_str(), 0, 0), 0);
    scan("-o " + shellQuote(planted.string()) + " " + treeArg, &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(readFile(victim).rfind("[1,2,", 0), 0u);

    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const std::string left = ".important.corvath-" + std::to_string(gone) + "-abcdef";
    const std::string running = ".important.corvath-" + std::to_string(::getpid()) + "-abcdef";
    writeFile(victims / left, "half");
    writeFile(victims / running, "half");
    scan("-o " + shellQuote(victim.string()) + " " + treeArg, &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(namesIn(victims.path()), (std::vector<std::string>{running, "important"}));
}

// When the temporary space runs out, the export fails with one line and
// leaves nothing: neither the spill nor a partial file, and the old file intact.
TEST(CorvathScanOutput, OutOfTemporarySpaceFailsAndLeavesNothing) {
    std::string reason;
    if (!enterPrivateMountNamespace(reason)) GTEST_SKIP() << reason;
    TempDir tree, out;
    for (int i = 0; i < 2000; ++i) writeFile(tree / "many" / ("a-name-long-enough-to-fill-space-" + std::to_string(i)), "");
    mountTmpfs(out.path().string(), "size=64k");
    UnmountGuard unmount(out.path().string());
    writeFile(out / "keep.json", "precious\n");
    int status = -1;
    const std::string error =
        scan("-o " + shellQuote((out / "keep.json").string()) + " " + shellQuote(tree.path().string()) + " 2>&1", &status);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(error, "corvath-scan: cannot write the export's temporary file in " + out.path().string() +
                         ": No space left on device\n");
    EXPECT_EQ(readFile(out / "keep.json"), "precious\n");
    EXPECT_EQ(namesIn(out.path()), std::vector<std::string>{"keep.json"});
}

// A FUSE filesystem that never answers, mounted inside the scanned tree: the
// scan stops at it until it is killed, which leaves time to cancel.
class HangingFilesystem {
public:
    explicit HangingFilesystem(const fs::path& mountPoint) : mountPoint_(mountPoint) {
        fs::create_directories(mountPoint_);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            ::execl(CORVATH_FUSE_HANG, CORVATH_FUSE_HANG, mountPoint_.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }
    ~HangingFilesystem() { stop(); }
    bool mounted() const {
        for (int i = 0; i < 500; ++i) {
            if (readFile("/proc/self/mountinfo").find(" " + mountPoint_.string() + " ") != std::string::npos) return true;
            std::this_thread::sleep_for(10ms);
        }
        return false;
    }
    void stop() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
        ::umount2(mountPoint_.c_str(), MNT_DETACH);
    }

private:
    fs::path mountPoint_;
    pid_t pid_ = -1;
};

bool blocksSigint(pid_t process) {
    const std::string status = readFile("/proc/" + std::to_string(process) + "/status");
    const auto at = status.find("SigBlk:\t");
    if (at == std::string::npos) return false;
    const unsigned long long mask = std::stoull(status.substr(at + 8, 16), nullptr, 16);
    return (mask >> (SIGINT - 1) & 1u) != 0;
}

// Some thread of the process waits for a FUSE answer: a worker stuck on the
// hanging mount point, so the program is past its start-up.
bool waitsOnAFilesystem(pid_t process) {
    const fs::path tasks = "/proc/" + std::to_string(process) + "/task";
    std::error_code error;
    for (const auto& task : fs::directory_iterator(tasks, error)) {
        if (readFile(task.path() / "wchan") == "request_wait_answer") return true;
    }
    return false;
}

TEST(CorvathScanOutput, CancelWithSigintLeavesTheFileAsItWas) {
#ifndef CORVATH_FUSE_HANG
    GTEST_SKIP() << "built without FUSE";
#else
    std::string reason;
    if (!enterPrivateMountNamespace(reason)) GTEST_SKIP() << reason;
    if (::access("/dev/fuse", R_OK | W_OK) != 0) GTEST_SKIP() << "no /dev/fuse";
    TempDir tree, out;
    writeFile(tree / "a" / "file", "abc");
    HangingFilesystem hanging(tree / "hang");
    ASSERT_TRUE(hanging.mounted());
    const fs::path keep = out / "keep.json";
    writeFile(keep, "precious\n");

    const pid_t scanner = ::fork();
    if (scanner == 0) {
        const int err = ::open((out / "err").c_str(), O_WRONLY | O_CREAT, 0644);
        ::dup2(err, STDERR_FILENO);
        ::execl(CORVATH_SCAN_BINARY, CORVATH_SCAN_BINARY, "-o", keep.c_str(), tree.path().c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // Once it has taken over SIGINT the scan cannot end before the hanging
    // mount point is gone: it must stat it.
    // (A sanitizer's runtime may block signals for a moment while it starts,
    // so the blocked signal alone does not tell.)
    for (int i = 0; i < 1000 && !(blocksSigint(scanner) && waitsOnAFilesystem(scanner)); ++i) {
        std::this_thread::sleep_for(10ms);
    }
    ::kill(scanner, SIGINT);
    std::this_thread::sleep_for(100ms);
    hanging.stop();  // lets the stuck worker go
    int status = 0;
    ASSERT_EQ(::waitpid(scanner, &status, 0), scanner);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 128 + SIGINT);
    EXPECT_EQ(readFile(out / "err"), "corvath-scan: cancelled\n");
    EXPECT_EQ(readFile(keep), "precious\n");
    EXPECT_EQ(namesIn(out.path()), (std::vector<std::string>{"err", "keep.json"}));
#endif
}

// A FIFO blocks the export twice: while no one opens it, and while its reader
// does not read. Either way SIGINT and SIGTERM cancel as they do elsewhere.
TEST(CorvathScanOutput, AFifoNoOneReadsIsCancelledBySignals) {
    TempDir tree, out;
    // More than a pipe holds, so a reader that does not read stops the export.
    for (int i = 0; i < 3000; ++i) writeFile(tree / ("a-name-long-enough-to-fill-a-pipe-" + std::to_string(i)), "");
    const fs::path fifo = out / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    for (const bool opened : {false, true}) {
        for (const int signal : {SIGINT, SIGTERM}) {
            SCOPED_TRACE(std::string(opened ? "a reader that does not read" : "no reader") + ", signal " + std::to_string(signal));
            const pid_t scanner = ::fork();
            if (scanner == 0) {
                const int err = ::open((out / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
                ::dup2(err, STDERR_FILENO);
                ::execl(CORVATH_SCAN_BINARY, CORVATH_SCAN_BINARY, "-o", fifo.c_str(), tree.path().c_str(), static_cast<char*>(nullptr));
                ::_exit(127);
            }
            UniqueFd reader;
            if (opened) {
                reader = UniqueFd(::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
                ASSERT_TRUE(reader.valid());
                int queued = 0;
                for (int i = 0; i < 1000 && (::ioctl(reader.get(), FIONREAD, &queued) != 0 || queued < 65536); ++i) {
                    std::this_thread::sleep_for(10ms);
                }
                ASSERT_GE(queued, 65536) << "the pipe never filled";
            } else {
                for (int i = 0; i < 1000 && !blocksSigint(scanner); ++i) std::this_thread::sleep_for(10ms);
                std::this_thread::sleep_for(100ms);
            }
            ::kill(scanner, signal);
            int status = 0;
            pid_t ended = 0;
            for (int i = 0; i < 500 && (ended = ::waitpid(scanner, &status, WNOHANG)) == 0; ++i) std::this_thread::sleep_for(10ms);
            if (ended == 0) {
                ::kill(scanner, SIGKILL);
                ::waitpid(scanner, &status, 0);
                ADD_FAILURE() << "the signal did not end it";
                continue;
            }
            ASSERT_TRUE(WIFEXITED(status));
            EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
            EXPECT_EQ(readFile(out / "err"), "corvath-scan: cancelled\n");
        }
    }
}

// Batches of different folders interleave in the file as the workers hand
// them over; each folder still reads back as its own batches in order.
TEST(EntrySpill, GivesEachFolderItsBatchesInOrder) {
    TempDir dir, out;
    EntrySpill spill(dir.path().string());
    spill.setRootDevice(7);
    const auto entry = [](std::string_view name, std::uint64_t size) {
        return EntryRecord{name, size, 4096, 1, 7, 1, false, EntryRecord::Kind::Regular};
    };
    const std::vector<EntryRecord> a1{entry("a1", 1), entry("a2", 2)}, b1{entry("b1", 3)}, a2{entry("a3", 4)};
    spill.record(2, a1);
    spill.record(0, b1);
    spill.record(2, a2);
    spill.record(2, {});
    {
        const UniqueFd file(::open((out / "x").c_str(), O_WRONLY | O_CREAT, 0644));
        BufferedOutput text(file.get(), "x");
        spill.copyFolder(2, text);
        text.write("|");
        spill.copyFolder(0, text);
        text.write("|");
        spill.copyFolder(1, text);
        spill.copyFolder(9, text);
        text.flush();
    }
    EXPECT_EQ(readFile(out / "x"),
              ",\n{\"name\":\"a1\",\"asize\":1,\"dsize\":4096},\n{\"name\":\"a2\",\"asize\":2,\"dsize\":4096}"
              ",\n{\"name\":\"a3\",\"asize\":4,\"dsize\":4096}|,\n{\"name\":\"b1\",\"asize\":3,\"dsize\":4096}|");
    EXPECT_TRUE(namesIn(dir.path()).empty()) << "the spill has no name";
}

// A walker that learns of a file's links only as it meets them: every name of
// a file met more than once is marked, the first included, with the names
// met; a file met once is plain. The marks survive the copy's read pieces.
TEST(EntrySpill, MarksEveryNameOfAFileMetUnderSeveralOnceTheWalkIsOver) {
    TempDir dir, out;
    EntrySpill spill(dir.path().string());
    spill.setRootDevice(7);
    const auto met = [](std::string_view name, std::uint64_t inode, std::uint32_t soFar) {
        return EntryRecord{name, 1, 4096, inode, 7, soFar, true, EntryRecord::Kind::Regular};
    };
    // Enough entries for the copy to read the folder in several pieces.
    std::vector<std::string> names;
    for (int i = 0; i < 60000; ++i) names.push_back("n" + std::to_string(i));
    std::vector<EntryRecord> many;
    for (int i = 0; i < 60000; ++i) many.push_back(met(names[i], 1000 + i, 1));
    spill.record(1, many);
    const std::vector<EntryRecord> later{met("second", 5, 2), met("third", 5, 2), met("again", 1001, 2)};
    spill.record(2, std::vector<EntryRecord>{met("first", 5, 1), met("alone", 6, 1)});
    spill.record(3, later);
    {
        const UniqueFd file(::open((out / "x").c_str(), O_WRONLY | O_CREAT, 0644));
        BufferedOutput text(file.get(), "x");
        for (std::uint32_t folder = 1; folder <= 3; ++folder) {
            spill.copyFolder(folder, text);
            text.write("|");
        }
        text.flush();
    }
    const std::string all = readFile(out / "x");
    const std::string folder1 = all.substr(0, all.find('|'));
    const std::string rest = all.substr(folder1.size());
    EXPECT_EQ(folder1.find('\x01'), std::string::npos);
    EXPECT_EQ(std::count(folder1.begin(), folder1.end(), '\n'), 60000);
    EXPECT_NE(folder1.find("{\"name\":\"n1\",\"asize\":1,\"dsize\":4096,\"ino\":1001,\"hlnkc\":true,\"nlink\":2}"),
              std::string::npos);
    EXPECT_NE(folder1.find("{\"name\":\"n59999\",\"asize\":1,\"dsize\":4096}"), std::string::npos);
    EXPECT_EQ(rest,
              "|,\n{\"name\":\"first\",\"asize\":1,\"dsize\":4096,\"ino\":5,\"hlnkc\":true,\"nlink\":3}"
              ",\n{\"name\":\"alone\",\"asize\":1,\"dsize\":4096}|"
              ",\n{\"name\":\"second\",\"asize\":1,\"dsize\":4096,\"ino\":5,\"hlnkc\":true,\"nlink\":3}"
              ",\n{\"name\":\"third\",\"asize\":1,\"dsize\":4096,\"ino\":5,\"hlnkc\":true,\"nlink\":3}"
              ",\n{\"name\":\"again\",\"asize\":1,\"dsize\":4096,\"ino\":1001,\"hlnkc\":true,\"nlink\":2}|");
}

}  // namespace
}  // namespace corvath::test
