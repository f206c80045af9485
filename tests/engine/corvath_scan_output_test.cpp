// corvath-scan -o: the export's bytes, and what happens to the file it is told
// to write when the scan fails, is cancelled or the file is not a plain one.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <optional>
#include <regex>
#include <sys/stat.h>

#include "engine/scan_reference.h"
#include "engine/unmount_guard.h"
#include "support/mount_namespace.h"
#include "support/temp_dir.h"

namespace corvath::test {
namespace {

namespace fs = std::filesystem;

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

}  // namespace
}  // namespace corvath::test
