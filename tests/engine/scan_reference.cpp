#include "engine/scan_reference.h"

#include <cstdio>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace corvath::test {

std::string shellQuote(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

std::string runCommand(const std::string& command, int* status) {
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) throw std::runtime_error("cannot run " + command);
    std::string output;
    char buffer[4096];
    std::size_t length = 0;
    while ((length = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, length);
    const int result = ::pclose(pipe);
    if (status != nullptr) *status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
    return output;
}

std::uint64_t allocatedByDu(const fs::path& root) {
    return std::stoull(runCommand("du -s -x -B1 " + shellQuote(root.string()) + " | cut -f1"));
}

Reference referenceFor(const fs::path& root) {
    const std::string path = shellQuote(root.string());
    Reference reference;
    reference.allocated = allocatedByDu(root);
    reference.apparent = std::stoull(runCommand("du -s -x -b " + path + " | cut -f1"));
    // One character per entry, so that names holding a newline count once.
    reference.entries = runCommand("find " + path + " -xdev -printf x").size();
    reference.folders = runCommand("find " + path + " -xdev -type d -printf x").size();
    return reference;
}

void makeAwkwardTree(const fs::path& root) {
    fs::create_directories(root / "a" / "inner");
    fs::create_directories(root / "b");
    writeFile(root / "a" / "shared", std::string(10000, 'x'));
    fs::create_hard_link(root / "a" / "shared", root / "a" / "shared-again");
    fs::create_hard_link(root / "a" / "shared", root / "b" / "shared-elsewhere");
    fs::create_hard_link(root / "a" / "shared", root / "a" / "inner" / "deeper");
    writeFile(root / "a" / "inner" / "plain", std::string(5000, 'y'));
    // Sparse: 64 MiB long, one block written in the middle.
    {
        const int fd = ::open((root / "sparse").c_str(), O_WRONLY | O_CREAT, 0644);
        if (fd < 0 || ::ftruncate(fd, 64 << 20) != 0 || ::pwrite(fd, "data", 4, 32 << 20) != 4) {
            throw std::runtime_error("cannot make the sparse file");
        }
        ::close(fd);
    }
    fs::create_symlink("a/shared", root / "link-to-file");
    fs::create_directory_symlink("a", root / "link-to-folder");
    fs::create_symlink("nowhere", root / "dangling");
    fs::create_directory_symlink("..", root / "a" / "loop");
    fs::create_symlink(std::string(300, 'z'), root / "b" / "long-target");
    if (::mkfifo((root / "fifo").c_str(), 0644) != 0) throw std::runtime_error("cannot make the fifo");
    writeFile(root / "new\nline", "1");
    writeFile(root / "tab\there", "22");
    writeFile(root / "bad\xff\xfe-utf8", "333");
    writeFile(root / "-leading-dash", "4444");
    fs::create_directories(root / "folder\nwith\xc3(odd) name" / "x");
    writeFile(root / "folder\nwith\xc3(odd) name" / "x" / "file", "55555");
    fs::create_directory(root / "empty");
}

void makeDeepChain(const fs::path& root, int depth) {
    // Built by stepping down with chdir-like relative opens: the full path is far
    // longer than PATH_MAX.
    int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < depth && fd >= 0; ++i) {
        if (::mkdirat(fd, "d", 0755) != 0) throw std::runtime_error("mkdirat failed");
        const int file = ::openat(fd, "f", O_WRONLY | O_CREAT, 0644);
        if (file < 0) throw std::runtime_error("cannot make a file in the chain");
        ::close(file);
        const int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
    }
    if (fd < 0) throw std::runtime_error("cannot build the chain");
    ::close(fd);
}

void removeDeepChain(const fs::path& root) {
    // Down to the deepest folder, then up again through "..", emptying and
    // removing each folder on the way: every step is relative to an open folder.
    int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY);
    int depth = 0;
    for (int next = fd; next >= 0; ++depth) {
        next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
        if (next < 0) break;
        ::close(fd);
        fd = next;
    }
    for (; depth > 0 && fd >= 0; --depth) {
        ::unlinkat(fd, "f", 0);
        const int parent = ::openat(fd, "..", O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = parent;
        if (fd < 0 || ::unlinkat(fd, "d", AT_REMOVEDIR) != 0) break;
    }
    if (fd >= 0) ::close(fd);
}

}  // namespace corvath::test
