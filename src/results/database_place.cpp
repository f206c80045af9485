#include "results/database_place.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "results/results_error.h"

namespace corvath {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void refuse(const std::string& shown, const std::string& reason) {
    throw ResultsError("cannot use the scans database " + shown + ": " + reason);
}

// Makes the missing folders of the chain, the new ones for the owner only.
void makeFolders(const fs::path& folder, const std::string& shown) {
    std::error_code error;
    if (folder.empty() || fs::is_directory(folder, error)) return;
    makeFolders(folder.parent_path() == folder ? fs::path() : folder.parent_path(), shown);
    error.clear();
#ifdef _WIN32
    fs::create_directory(folder, error);
#else
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) error.assign(errno, std::generic_category());
#endif
    if (error || !fs::is_directory(folder, error)) {
        refuse(shown, "cannot create the folder " + folder.string() + ": " +
                          (error ? error.message() : std::string("it is not a folder")));
    }
}

#ifndef _WIN32
// The first folder of the chain, from folder up to "/", that another user
// could write to or own; "" when none.
std::string unsafeFolderAbove(fs::path folder, uid_t user) {
    for (;;) {
        struct stat st {};
        if (::stat(folder.c_str(), &st) != 0) return {};
        const bool ownedWell = st.st_uid == user || st.st_uid == 0;
        if (!ownedWell) return "the folder " + folder.string() + " belongs to another user";
        if ((st.st_mode & S_IWOTH) != 0 && (st.st_mode & S_ISVTX) == 0) {
            return "the folder " + folder.string() + " may be written by other users";
        }
        if (folder == folder.parent_path() || folder.empty()) return {};
        folder = folder.parent_path();
    }
}
#endif

}  // namespace

DatabasePlace findDatabase(const std::string& path, bool makeFolder) {
    DatabasePlace place;
    place.shown = path;
    const fs::path given(path);
    fs::path folder = given.parent_path();
    if (folder.empty()) folder = ".";
    std::error_code error;
    if (makeFolder) makeFolders(folder, path);
    fs::path resolved = fs::canonical(folder, error);
    if (error) {
        // Nothing there yet; also when a folder on the way is a file (ENOTDIR).
        if (error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory) {
            place.folder = folder.string();
            place.file = path;
            return place;
        }
        refuse(path, "cannot find the folder " + folder.string() + ": " + error.message());
    }
    place.folder = resolved.string();
    place.file = (resolved / given.filename()).string();
    const fs::file_status status = fs::symlink_status(place.file, error);
    if (status.type() == fs::file_type::not_found) return place;
    if (error) refuse(path, error.message());
    if (fs::is_symlink(status)) refuse(path, "it is a symbolic link");
    if (!fs::is_regular_file(status)) refuse(path, "it is not a regular file");
    place.exists = true;
    return place;
}

void checkSafeToWrite(const DatabasePlace& place) {
    if (place.exists) {
        // SQLite would open it read-only and fail later with a vaguer reason.
        if (::access(place.file.c_str(), W_OK) != 0 || ::access(place.folder.c_str(), W_OK) != 0) {
            refuse(place.shown, std::string("it cannot be written: ") + std::strerror(errno));
        }
    }
#ifndef _WIN32
    const uid_t user = ::geteuid();
    struct stat st {};
    if (place.exists && ::lstat(place.file.c_str(), &st) == 0 && st.st_uid != user) {
        refuse(place.shown, "it belongs to another user (user ID " + std::to_string(st.st_uid) + ")");
    }
    if (const std::string unsafe = unsafeFolderAbove(place.folder, user); !unsafe.empty()) refuse(place.shown, unsafe);
#endif
}

void createPrivateFile(const DatabasePlace& place) {
#ifdef _WIN32
    // The user's profile folder keeps other users out.
    const int fd = ::open(place.file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_BINARY, S_IREAD | S_IWRITE);
#else
    const int fd = ::open(place.file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
#endif
    if (fd >= 0) {
        ::close(fd);
        return;
    }
    if (errno != EEXIST) refuse(place.shown, std::string("cannot create it: ") + std::strerror(errno));
}

}  // namespace corvath
