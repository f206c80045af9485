// corvath-report metrics read by the tools that consume it: promtool and a
// real node_exporter's textfile collector on loopback.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "engine/event_pump.h"
#include "engine/scan_reference.h"
#include "engine/scanner.h"
#include "results/results_database.h"
#include "support/mount_namespace.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace corvath::test {
namespace {

namespace fs = std::filesystem;

const std::string kOddName = "say \"hi\" \\ back\nslash";

class Metrics : public ::testing::Test {
protected:
    void SetUp() override {
        writeFile(tree / "home" / "alice" / kOddName / "f", std::string(70000, 'x'));
        writeFile(tree / "home" / "alice" / "small" / "f", std::string(9000, 'x'));
        writeFile(tree / "var" / "f", std::string(30000, 'x'));
        WaitPump pump;
        ResultsDatabase results(database.string());
        Scanner scanner(pump, results, ScannerOptions{2});
        scanner.AnalyzeDrive(tree.path().string());
        scanner.FinishDrive();
    }
    ProgramRun metrics(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), {CORVATH_REPORT_BINARY, "metrics", "--database", database.string()});
        return runProgram(arguments, {"TZ=UTC", "LANG=C"});
    }
    TempDir tree, data;
    fs::path database = data / "scans.db";
};

bool installed(const std::string& tool) {
    int status = -1;
    runCommand("command -v " + tool + " >/dev/null", &status);
    return status == 0;
}

int freeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

TEST_F(Metrics, PromtoolAndNodeExporterReadTheFileOfAStoredScan) {
    if (!installed("promtool") || !installed("prometheus-node-exporter")) {
        GTEST_SKIP() << "needs promtool and prometheus-node-exporter (apt-get install prometheus prometheus-node-exporter)";
    }
    TempDir textfiles;
    const fs::path file = textfiles / "corvath.prom";
    const ProgramRun written = metrics({"--depth", "3", file.string()});
    ASSERT_EQ(written.status, 0) << written.err;
    int status = -1;
    const std::string checked = runCommand("promtool check metrics < " + shellQuote(file.string()) + " 2>&1", &status);
    EXPECT_EQ(status, 0) << checked;
    EXPECT_EQ(checked, "");  // not even a lint warning
    const std::string text = readFile(file);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n');
    EXPECT_EQ(text.find('\r'), std::string::npos);

    const int port = freeLoopbackPort();
    const pid_t exporter = ::fork();
    if (exporter == 0) {
        const std::string listen = "--web.listen-address=127.0.0.1:" + std::to_string(port);
        const std::string folder = "--collector.textfile.directory=" + textfiles.path().string();
        ::execlp("prometheus-node-exporter", "prometheus-node-exporter", "--collector.disable-defaults",
                 "--collector.textfile", "--log.level=error", folder.c_str(), listen.c_str(),
                 static_cast<char*>(nullptr));
        ::_exit(127);
    }
    std::string scraped;
    for (int attempt = 0; attempt < 100 && scraped.find("node_textfile_scrape_error") == std::string::npos; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        scraped = runCommand("curl -sf http://127.0.0.1:" + std::to_string(port) + "/metrics 2>/dev/null");
    }
    ::kill(exporter, SIGTERM);
    ::waitpid(exporter, nullptr, 0);

    EXPECT_NE(scraped.find("node_textfile_scrape_error 0\n"), std::string::npos) << scraped;
    const std::string root = tree.path().string();
    const std::string mountPoint = "mountpoint=\"" + root + "\"";
    // Files: the three written; folders: the root, home, alice, its two and var.
    EXPECT_NE(scraped.find("corvath_drive_files{" + mountPoint + "} 3\n"), std::string::npos) << scraped;
    EXPECT_NE(scraped.find("corvath_drive_folders{" + mountPoint + "} 6\n"), std::string::npos) << scraped;
    EXPECT_NE(scraped.find("corvath_build_info{version="), std::string::npos);
    // The drive's used bytes were known when it was scanned, so they are reported.
    EXPECT_NE(scraped.find("corvath_drive_used_bytes{" + mountPoint + "} "), std::string::npos) << scraped;
    // The odd folder came through with its quote, backslash and newline, as the exporter escapes them again.
    const fs::path odd = tree / "home" / "alice" / kOddName;
    const std::string oddLabel = root + "/home/alice/say \\\"hi\\\" \\\\ back\\nslash";
    const std::string series = "corvath_directory_allocated_bytes{depth=\"3\"," + mountPoint + ",path=\"" + oddLabel +
                               "\"} " + std::to_string(referenceFor(odd).allocated) + "\n";
    EXPECT_NE(scraped.find(series), std::string::npos) << scraped;
}

TEST_F(Metrics, FolderSeriesAreBoundedByTopAndDepth) {
    const ProgramRun shallow = metrics({"--depth", "1", "-"});
    ASSERT_EQ(shallow.status, 0) << shallow.err;
    EXPECT_NE(shallow.out.find("path=\"" + (tree / "home").string() + "\",depth=\"1\""), std::string::npos);
    EXPECT_EQ(shallow.out.find("alice"), std::string::npos) << shallow.out;
    const ProgramRun two = metrics({"--top", "2"});
    std::size_t series = 0;
    for (std::size_t at = 0; (at = two.out.find("\ncorvath_directory_allocated_bytes{", at)) != std::string::npos; ++at) {
        ++series;
    }
    EXPECT_EQ(series, 2u) << two.out;  // the root and home, the larger of its two
    EXPECT_NE(two.out.find("path=\"" + (tree / "home").string() + "\""), std::string::npos) << two.out;
}

void store(const fs::path& database, const std::string& drive) {
    WaitPump pump;
    ResultsDatabase results(database.string());
    Scanner scanner(pump, results, ScannerOptions{2});
    scanner.AnalyzeDrive(drive);
    scanner.FinishDrive();
}

// Drives at the real places, in a mount namespace of the test's own: /home,
// and a removable drive where udisks mounts it for bob.
TEST(MetricsOfHomes, RedactHomeLeavesNoUserNameAndKeepsItsPseudonym) {
    std::string reason;
    if (!enterPrivateMountNamespace(reason)) GTEST_SKIP() << reason;
    mountTmpfs("/home");
    mountTmpfs("/media");
    fs::create_directories("/media/bob/USB");
    mountTmpfs("/media/bob/USB");
    writeFile("/home/alice/small/f", std::string(9000, 'x'));
    writeFile("/media/bob/USB/photos/f", std::string(9000, 'x'));
    TempDir data;
    const fs::path database = data / "scans.db";
    store(database, "/home");
    store(database, "/media/bob/USB");
    const auto metrics = [&](std::vector<std::string> options) {
        options.insert(options.begin(), {CORVATH_REPORT_BINARY, "metrics", "--database", database.string()});
        return runProgram(options, {"LANG=C"});
    };
    const ProgramRun plain = metrics({});
    EXPECT_NE(plain.out.find("path=\"/home/alice/small\""), std::string::npos) << plain.out;
    EXPECT_NE(plain.out.find("mountpoint=\"/media/bob/USB\""), std::string::npos) << plain.out;
    const ProgramRun redacted = metrics({"--redact-home"});
    ASSERT_EQ(redacted.status, 0) << redacted.err;
    EXPECT_EQ(redacted.out.find("alice"), std::string::npos) << redacted.out;
    EXPECT_EQ(redacted.out.find("bob"), std::string::npos) << redacted.out;
    const std::size_t at = redacted.out.find("/home/user-");
    ASSERT_NE(at, std::string::npos) << redacted.out;
    const std::string pseudonym = redacted.out.substr(at + 6, 13);
    EXPECT_NE(redacted.out.find("path=\"/home/" + pseudonym + "/small\""), std::string::npos) << redacted.out;
    EXPECT_NE(redacted.out.find("mountpoint=\"/home\""), std::string::npos) << "the drive keeps its name";
    EXPECT_NE(redacted.out.find("/media/user-"), std::string::npos) << redacted.out;
    EXPECT_NE(redacted.out.find("/USB/photos\""), std::string::npos) << redacted.out;
    EXPECT_EQ(metrics({"--redact-home"}).out, redacted.out);
}

TEST_F(Metrics, TheFileIsReplacedWholeOrNotAtAll) {
    const fs::path file = data / "corvath.prom";
    writeFile(file, "previous\n");
    ::chmod(file.c_str(), 0644);
    struct stat before {};
    ::stat(file.c_str(), &before);
    // A database that cannot be read: the file it would have replaced stays.
    const ProgramRun failed = runProgram(
        {CORVATH_REPORT_BINARY, "metrics", "--database", (data / "none.db").string(), file.string()}, {"LANG=C"});
    EXPECT_NE(failed.status, 0);
    EXPECT_EQ(readFile(file), "previous\n");

    ASSERT_EQ(metrics({file.string()}).status, 0);
    struct stat after {};
    ::stat(file.c_str(), &after);
    EXPECT_NE(after.st_ino, before.st_ino) << "renamed into place, not written over";
    EXPECT_EQ(after.st_mode & 07777, 0644u);
    EXPECT_EQ(readFile(file), metrics({}).out);
    for (const auto& entry : fs::directory_iterator(data.path())) {
        EXPECT_EQ(entry.path().filename().string().find(".corvath.prom."), std::string::npos) << "left beside it";
    }
}

}  // namespace
}  // namespace corvath::test
