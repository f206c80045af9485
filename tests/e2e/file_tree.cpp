#include "e2e/file_tree.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace corvath::test {

namespace {

// A folder descriptor closed when it goes.
class Folder {
public:
    Folder(int parent, const std::string& name) {
        if (::mkdirat(parent, name.c_str(), 0755) != 0 && errno != EEXIST) fail("mkdir " + name);
        fd_ = ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd_ < 0) fail("open " + name);
    }
    ~Folder() {
        if (fd_ >= 0) ::close(fd_);
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    int fd() const { return fd_; }

    static void fail(const std::string& what) { throw std::runtime_error(what + ": " + std::strerror(errno)); }

private:
    int fd_ = -1;
};

void createFile(int folder, const std::string& name, const std::string& data) {
    const int fd = ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) Folder::fail("create " + name);
    const bool written = data.empty() || ::write(fd, data.data(), data.size()) == static_cast<ssize_t>(data.size());
    ::close(fd);
    if (!written) Folder::fail("write " + name);
}

}  // namespace

void fillTree(const std::filesystem::path& root, std::size_t folders, std::size_t emptyFiles, std::size_t dataBytes) {
    const std::string data(dataBytes, 'x');
    Folder top(AT_FDCWD, root.string());
    constexpr std::size_t kPerGroup = 100;
    for (std::size_t g = 0; g * kPerGroup < folders; ++g) {
        Folder group(top.fd(), "group-" + std::to_string(g));
        for (std::size_t f = g * kPerGroup; f < folders && f < (g + 1) * kPerGroup; ++f) {
            Folder folder(group.fd(), "folder-" + std::to_string(f));
            createFile(folder.fd(), "data.bin", data);
            for (std::size_t i = 0; i < emptyFiles; ++i) createFile(folder.fd(), "file-" + std::to_string(i), {});
        }
    }
}

}  // namespace corvath::test
