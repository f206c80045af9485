#include "tree/tree_writer.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <string>
#include <system_error>
#include <vector>

namespace corvath::bench {
namespace {

[[noreturn]] void fail(const std::string& what) {
    throw std::system_error(errno, std::generic_category(), what);
}

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }

private:
    int fd_;
};

const std::array<char, 1 << 20>& pattern() {
    static const auto data = [] {
        std::array<char, 1 << 20> d{};
        for (std::size_t i = 0; i < d.size(); ++i) d[i] = static_cast<char>('a' + (i * 7 + i / 61) % 26);
        return d;
    }();
    return data;
}

void writeAll(int fd, std::uint64_t size, const std::string& name) {
    const auto& data = pattern();
    while (size > 0) {
        const std::size_t chunk = size < data.size() ? static_cast<std::size_t>(size) : data.size();
        const ssize_t n = ::write(fd, data.data(), chunk);
        if (n < 0) fail("write " + name);
        size -= static_cast<std::uint64_t>(n);
    }
}

class Writer {
public:
    explicit Writer(const TreePlan& plan) : plan_(plan) {}

    void folder(int fd, std::uint32_t index) {
        const auto& f = plan_.folders[index];
        const auto count = static_cast<std::uint32_t>(f.entries.size());
        for (std::uint32_t i = 0; i < count; ++i) entry(fd, f.entries[i], i, count);
        for (std::uint32_t child : f.children) {
            const std::string name = folderName(child);
            if (::mkdirat(fd, name.c_str(), 0755) != 0) fail("mkdir " + name);
            Fd cfd(::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            if (cfd.get() < 0) fail("open " + name);
            ++totals_.folders;
            folder(cfd.get(), child);
        }
    }

    // Hard links go last, by paths from the root, so that an original in any
    // folder exists before its second name is made.
    void hardLinks(int rootFd) {
        std::vector<std::string> paths(plan_.folders.size());
        paths[0] = ".";
        for (std::uint32_t i = 1; i < plan_.folders.size(); ++i) {
            const auto& f = plan_.folders[i];
            if (!f.inDeepChain) paths[i] = paths[f.parent] + "/" + folderName(i);
        }
        for (std::uint32_t i = 0; i < plan_.folders.size(); ++i) {
            const auto& entries = plan_.folders[i].entries;
            for (std::uint32_t j = 0; j < entries.size(); ++j) {
                const auto& e = entries[j];
                if (e.kind != EntryKind::HardLink) continue;
                const auto& original = plan_.folders[e.targetFolder].entries[e.targetEntry];
                const std::string from = paths[e.targetFolder] + "/" + entryName(original, e.targetEntry);
                const std::string to = paths[i] + "/" + entryName(e, j);
                if (::linkat(rootFd, from.c_str(), rootFd, to.c_str(), 0) != 0) fail("link " + to);
                ++totals_.hardLinks;
            }
        }
    }

    const WriteTotals& totals() const { return totals_; }

private:
    void entry(int fd, const PlannedEntry& e, std::uint32_t index, std::uint32_t count) {
        const std::string name = entryName(e, index);
        switch (e.kind) {
        case EntryKind::HardLink: return;
        case EntryKind::Symlink:
            if (::symlinkat(symlinkTarget(e.symlinkIndex, count).c_str(), fd, name.c_str()) != 0)
                fail("symlink " + name);
            ++totals_.symlinks;
            return;
        case EntryKind::Empty:
            // One call instead of open and close: creation speed matters at a million.
            if (::mknodat(fd, name.c_str(), S_IFREG | 0644, 0) != 0) fail("create " + name);
            ++totals_.regular;
            return;
        default: break;
        }
        Fd file(::openat(fd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
        if (file.get() < 0) fail("create " + name);
        ++totals_.regular;
        if (e.kind == EntryKind::Sparse) {
            const auto offset = static_cast<off_t>((e.size / 2) & ~std::uint64_t{4095});
            if (::pwrite(file.get(), pattern().data(), 4096, offset) != 4096) fail("write " + name);
            if (::ftruncate(file.get(), static_cast<off_t>(e.size)) != 0) fail("truncate " + name);
            ++totals_.sparse;
            totals_.dataBytes += 4096;
        } else {
            writeAll(file.get(), e.size, name);
            totals_.dataBytes += e.size;
        }
    }

    const TreePlan& plan_;
    WriteTotals totals_;
};

}  // namespace

WriteTotals writeTree(const TreePlan& plan, int rootFd) {
    Writer writer(plan);
    writer.folder(rootFd, 0);
    writer.hardLinks(rootFd);
    return writer.totals();
}

void removeTree(int parentFd, const char* name) {
    const int fd = ::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) fail(std::string("open ") + name);
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        fail(std::string("open ") + name);
    }
    std::vector<std::string> folders;
    while (const dirent* d = ::readdir(dir)) {
        const std::string entry = d->d_name;
        if (entry == "." || entry == "..") continue;
        struct stat st {};
        if (::fstatat(fd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode)) {
            folders.push_back(entry);
        } else if (::unlinkat(fd, d->d_name, 0) != 0) {
            ::closedir(dir);
            fail("remove " + entry);
        }
    }
    try {
        for (const auto& f : folders) removeTree(fd, f.c_str());
    } catch (...) {
        ::closedir(dir);
        throw;
    }
    ::closedir(dir);
    if (::unlinkat(parentFd, name, AT_REMOVEDIR) != 0) fail(std::string("remove ") + name);
}

}  // namespace corvath::bench
