#include "export_file.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "buffered_output.h"

namespace corvath {

namespace {

constexpr int kMaxLinkHops = 40;  // the kernel's own limit

// "dir/" of "dir/name" ("" for a bare name), so that joining needs no slash.
std::string parentPrefix(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string baseName(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string folderOf(const std::string& path) {
    const std::string prefix = parentPrefix(path);
    if (prefix.empty()) return ".";
    return prefix.size() == 1 ? prefix : prefix.substr(0, prefix.size() - 1);
}

[[noreturn]] void fail(const std::string& name, int error) {
    throw ExportError("cannot write " + name + ": " + std::strerror(error));
}

// Whether the kernel's protected_symlinks rule lets the caller follow the link
// (st, the link's own): outside a sticky folder anyone may write to, or the
// caller's link, or one of the folder's owner.
void checkMayFollow(const std::string& name, const std::string& link, const struct stat& st) {
    struct stat folder {};
    if (::stat(folderOf(link).c_str(), &folder) != 0) fail(name, errno);
    const bool openToAll = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
    if (!openToAll || st.st_uid == ::geteuid() || st.st_uid == folder.st_uid) return;
    throw ExportError("cannot write " + name + ": " + link +
                      " is a symbolic link of another user in a folder anyone may write to, and is not followed");
}

// Follows symbolic links to the path they end at, whether or not it exists.
std::string resolveLinks(const std::string& name) {
    std::string path = name;
    for (int hops = 0; hops <= kMaxLinkHops; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        checkMayFollow(name, path, st);
        char target[PATH_MAX];
        const ssize_t length = ::readlink(path.c_str(), target, sizeof target);
        if (length < 0) fail(name, errno);
        if (static_cast<std::size_t>(length) == sizeof target) fail(name, ENAMETOOLONG);
        const std::string next(target, static_cast<std::size_t>(length));
        path = next.front() == '/' ? next : parentPrefix(path) + next;
    }
    fail(name, ELOOP);
}

}  // namespace

std::string temporaryFolder() {
    const char* folder = std::getenv("TMPDIR");
    return folder != nullptr && *folder != '\0' ? folder : "/tmp";
}

ExportFile::ExportFile(const std::string& name, const CancelCheck& cancelled) : name_(name) {
    if (name == "-") {
        scratch_ = temporaryFolder();
        return;
    }
    target_ = resolveLinks(name);
    struct stat st {};
    const bool exists = ::stat(target_.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) fail(name, EISDIR);
    if (exists && !S_ISREG(st.st_mode)) {
        openDirectly(cancelled);
        scratch_ = temporaryFolder();
        return;
    }
    // Replacing a file the user may not write would take more than writing it.
    if (exists && ::access(target_.c_str(), W_OK) != 0) fail(name, errno);
    createBeside(exists, st.st_mode & 07777, st.st_uid, st.st_gid);
}

ExportFile::~ExportFile() {
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

int ExportFile::fd() const { return file_.valid() ? file_.get() : STDOUT_FILENO; }

// A FIFO's open waits for a reader and cannot be cancelled: it is opened
// without waiting, again and again, asking cancelled between. The descriptor
// stays non-blocking; BufferedOutput waits on it the same way.
void ExportFile::openDirectly(const CancelCheck& cancelled) {
    const int blocking = cancelled ? O_NONBLOCK : 0;
    for (;;) {
        file_ = UniqueFd(::open(target_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | blocking));
        if (file_.valid()) return;
        if (errno != ENXIO || !cancelled) fail(name_, errno);
        if (cancelled()) throw ExportCancelled("cancelled while waiting for a reader of " + name_);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

std::string ExportFile::hiddenPrefix() const { return "." + baseName(target_) + ".corvath-"; }

// A hidden file of an export to this name whose process is gone was left by a
// kill: it is removed. Only the caller's own, and only regular files.
void ExportFile::removeStaleHiddenFiles() const {
    const std::string folder = folderOf(target_);
    const std::unique_ptr<DIR, int (*)(DIR*)> listing(::opendir(folder.c_str()), ::closedir);
    if (!listing) return;
    const std::string prefix = hiddenPrefix();
    while (const dirent* entry = ::readdir(listing.get())) {
        const std::string name = entry->d_name;
        if (name.compare(0, prefix.size(), prefix) != 0) continue;
        const long pid = std::strtol(name.c_str() + prefix.size(), nullptr, 10);
        if (pid <= 0 || pid == ::getpid() || ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
        struct stat st {};
        const std::string path = parentPrefix(target_) + name;
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid()) ::unlink(path.c_str());
    }
}

void ExportFile::createBeside(bool exists, unsigned mode, unsigned owner, unsigned group) {
    replace_ = true;
    scratch_ = folderOf(target_);
    removeStaleHiddenFiles();
    file_ = UniqueFd(::open(scratch_.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
    if (!file_.valid() && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        // A filesystem without nameless files: a hidden name beside the target.
        std::string pattern = parentPrefix(target_) + hiddenPrefix() + std::to_string(::getpid()) + "-XXXXXX";
        file_ = UniqueFd(::mkostemp(pattern.data(), O_CLOEXEC));
        if (file_.valid()) {
            temporary_ = pattern;
            const mode_t mask = ::umask(0);
            ::umask(mask);
            ::fchmod(file_.get(), 0666 & ~mask);
        }
    }
    if (!file_.valid()) fail(name_, errno);
    if (exists) {
        // The file stays the user's file, with its permissions and owner.
        ::fchmod(file_.get(), mode);
        if (owner != ::geteuid() || group != ::getegid()) {
            [[maybe_unused]] const int ignored = ::fchown(file_.get(), owner, group);
        }
    }
}

void ExportFile::linkUnderTemporaryName() {
    const std::string self = "/proc/self/fd/" + std::to_string(file_.get());
    const std::string prefix = parentPrefix(target_) + hiddenPrefix() + std::to_string(::getpid()) + "-";
    for (int attempt = 0;; ++attempt) {
        const std::string candidate = prefix + std::to_string(attempt);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, candidate.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            temporary_ = candidate;
            return;
        }
        if (errno != EEXIST || attempt == 100) fail(name_, errno);
    }
}

void ExportFile::commit() {
    if (!replace_) return;
    if (temporary_.empty()) linkUnderTemporaryName();
    if (file_.close() != 0) fail(name_, errno);
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) fail(name_, errno);
    temporary_.clear();
    replace_ = false;
}

}  // namespace corvath
