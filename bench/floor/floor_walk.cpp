#include "floor/floor_walk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <unordered_set>
#include <utility>
#include <vector>

namespace corvath::bench {
namespace {

// An open folder, kept open while children queued under it still need it.
class Folder {
public:
    explicit Folder(int fd) : fd_(fd) {}
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    ~Folder() { ::close(fd_); }
    int fd() const { return fd_; }

private:
    int fd_;
};

struct Work {
    std::shared_ptr<Folder> parent;
    std::string name;
};

struct FileId {
    dev_t dev;
    ino_t ino;
    bool operator==(const FileId&) const = default;
};
struct FileIdHash {
    std::size_t operator()(const FileId& id) const { return std::hash<ino_t>{}(id.ino) ^ (id.dev << 1); }
};

class Walk {
public:
    Walk(int rootFd, dev_t dev) : dev_(dev) { queue_.push_back({std::make_shared<Folder>(rootFd), {}}); }

    void worker() {
        WalkTotals local;
        std::vector<char> buffer(64 * 1024);
        std::vector<std::string> subfolders;
        for (;;) {
            Work work;
            {
                std::unique_lock lock(mutex_);
                ready_.wait(lock, [&] { return !queue_.empty() || active_ == 0; });
                if (queue_.empty()) break;
                work = std::move(queue_.back());
                queue_.pop_back();
                ++active_;
            }
            std::shared_ptr<Folder> folder;
            if (work.name.empty()) {
                folder = std::move(work.parent);
            } else {
                const int fd = ::openat(work.parent->fd(), work.name.c_str(),
                                        O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
                work.parent.reset();
                if (fd >= 0) folder = std::make_shared<Folder>(fd);
                else ++local.errors;
            }
            subfolders.clear();
            if (folder) readFolder(folder->fd(), buffer, subfolders, local);
            std::lock_guard lock(mutex_);
            for (auto& name : subfolders) queue_.push_back({folder, std::move(name)});
            --active_;
            if (!subfolders.empty() || active_ == 0) ready_.notify_all();
        }
        std::lock_guard lock(mutex_);
        totals_.allocated += local.allocated;
        totals_.apparent += local.apparent;
        totals_.files += local.files;
        totals_.folders += local.folders;
        totals_.errors += local.errors;
    }

    void countRoot(const struct stat& st) {
        totals_.folders = 1;
        totals_.allocated = static_cast<std::uint64_t>(st.st_blocks) * 512;
        totals_.apparent = static_cast<std::uint64_t>(st.st_size);
    }
    const WalkTotals& totals() const { return totals_; }

private:
    void readFolder(int fd, std::vector<char>& buffer, std::vector<std::string>& subfolders, WalkTotals& t) {
        for (;;) {
            const long n = ::syscall(SYS_getdents64, fd, buffer.data(), buffer.size());
            if (n < 0) {
                ++t.errors;
                return;
            }
            if (n == 0) return;
            for (long off = 0; off < n;) {
                // glibc's dirent64 has the kernel's linux_dirent64 layout.
                const auto* d = reinterpret_cast<const struct dirent64*>(buffer.data() + off);
                off += d->d_reclen;
                const char* name = d->d_name;
                if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
                struct stat st {};
                if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
                    ++t.errors;
                    continue;
                }
                if (st.st_dev != dev_) continue;  // another filesystem mounted here
                const bool isFolder = S_ISDIR(st.st_mode);
                if (isFolder) {
                    ++t.folders;
                    subfolders.emplace_back(name);
                } else {
                    ++t.files;
                    if (st.st_nlink > 1 && !firstSight({st.st_dev, st.st_ino})) continue;
                }
                t.allocated += static_cast<std::uint64_t>(st.st_blocks) * 512;
                t.apparent += static_cast<std::uint64_t>(st.st_size);
            }
        }
    }

    bool firstSight(FileId id) {
        std::lock_guard lock(linksMutex_);
        return links_.insert(id).second;
    }

    const dev_t dev_;
    std::mutex mutex_;
    std::condition_variable ready_;
    std::vector<Work> queue_;  // used as a stack: depth first keeps few folders open
    unsigned active_ = 0;
    WalkTotals totals_;
    std::mutex linksMutex_;
    std::unordered_set<FileId, FileIdHash> links_;
};

}  // namespace

WalkTotals floorWalk(const std::string& root, unsigned threads) {
    const int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) throw std::system_error(errno, std::generic_category(), root);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int e = errno;
        ::close(fd);
        throw std::system_error(e, std::generic_category(), root);
    }
    Walk walk(fd, st.st_dev);
    walk.countRoot(st);
    std::vector<std::jthread> pool;
    for (unsigned i = 0; i < (threads ? threads : 1); ++i) pool.emplace_back([&] { walk.worker(); });
    pool.clear();
    return walk.totals();
}

}  // namespace corvath::bench
