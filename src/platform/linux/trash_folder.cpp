#include "platform/linux/trash_folder.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>

namespace corvath {
namespace {

using Reason = TrashRefusal::Reason;

TrashRefusal noTrash(const std::string& where, int error) {
    return TrashRefusal{Reason::NoTrash, where, error == ELOOP ? "it is a symbolic link" : std::strerror(error)};
}

// A folder of the trash, made when missing; never through a link.
std::variant<UniqueFd, TrashRefusal> openOrMake(int at, const std::string& name, const std::string& where,
                                                std::optional<uid_t> owner) {
    const int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    UniqueFd folder(::openat(at, name.c_str(), flags));
    if (!folder.valid() && errno == ENOENT) {
        if (::mkdirat(at, name.c_str(), 0700) != 0 && errno != EEXIST) return noTrash(where, errno);
        folder = UniqueFd(::openat(at, name.c_str(), flags));
    }
    if (!folder.valid()) return noTrash(where, errno);
    if (owner) {
        const auto identity = identify(folder.get());
        if (!identity) return noTrash(where, errno);
        if (identity->owner != *owner) return TrashRefusal{Reason::NoTrash, where, "it belongs to another user"};
    }
    return folder;
}

// files/ and info/ of a user's trash folder, opened at `at`.
std::variant<TrashFolder, TrashRefusal> openUserTrash(int at, const std::string& name, const std::string& path,
                                                      uid_t user) {
    auto top = openOrMake(at, name, path, user);
    if (auto* refused = std::get_if<TrashRefusal>(&top)) return *refused;
    const int topFd = std::get<UniqueFd>(top).get();
    auto files = openOrMake(topFd, "files", path + "/files", std::nullopt);
    if (auto* refused = std::get_if<TrashRefusal>(&files)) return *refused;
    auto info = openOrMake(topFd, "info", path + "/info", std::nullopt);
    if (auto* refused = std::get_if<TrashRefusal>(&info)) return *refused;
    TrashFolder trash;
    trash.path = path;
    trash.files = std::move(std::get<UniqueFd>(files));
    trash.info = std::move(std::get<UniqueFd>(info));
    return trash;
}

// The nearest folder of the home trash's path that exists, on whose mount a
// missing home trash would be made.
std::optional<FileIdentity> homeTrashPlace(std::string path) {
    while (true) {
        UniqueFd fd(::open(path.c_str(), O_PATH | O_CLOEXEC));
        if (fd.valid()) return identify(fd.get());
        if (errno != ENOENT && errno != ENOTDIR) return std::nullopt;
        const auto slash = path.find_last_of('/');
        if (slash == std::string::npos || path == "/") return std::nullopt;
        path = slash == 0 ? "/" : path.substr(0, slash);
    }
}

// The folders of the home trash's path that are missing, made 0700 as the
// XDG rules ask of the folders they name.
int makeFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string prefix = slash == std::string::npos ? path : path.substr(0, slash);
        if (::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) return errno;
        if (slash == std::string::npos) return 0;
    }
}

std::string dirName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

}  // namespace

std::variant<TrashFolder, TrashRefusal> openTrashFor(const ItemBelowRoot& item, const std::string& homeTrash,
                                                     uid_t user) {
    const auto home = homeTrashPlace(homeTrash);
    if (home && home->sameMount(item.identity)) {
        // The folders above the home trash are the user's own, links and all.
        if (const int error = makeFolders(dirName(homeTrash)); error != 0) return noTrash(homeTrash, error);
        UniqueFd above(::open(dirName(homeTrash).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (!above.valid()) return noTrash(homeTrash, errno);
        const std::string name = homeTrash.substr(homeTrash.find_last_of('/') + 1);
        return openUserTrash(above.get(), name, homeTrash, user);
    }

    const std::string& shown = item.shownPath;
    const std::string topdir = shown.substr(0, shown.size() - item.below.size() - 1);
    const std::string top = topdir == "/" ? "" : topdir;
    const std::string uid = std::to_string(user);
    const int root = item.root.get();
    if (const auto shared = identify(root, ".Trash");
        shared && shared->folder() && (shared->mode & S_ISVTX) != 0) {
        UniqueFd sharedFd(::openat(root, ".Trash", O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (sharedFd.valid()) {
            auto trash = openUserTrash(sharedFd.get(), uid, top + "/.Trash/" + uid, user);
            if (auto* usable = std::get_if<TrashFolder>(&trash)) {
                usable->relativePaths = true;
                return std::move(*usable);
            }
        }
    }
    auto trash = openUserTrash(root, ".Trash-" + uid, top + "/.Trash-" + uid, user);
    if (auto* usable = std::get_if<TrashFolder>(&trash)) usable->relativePaths = true;
    return trash;
}

}  // namespace corvath
