#include "platform/linux/item_below_root.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <vector>

namespace corvath {
namespace {

using Reason = TrashRefusal::Reason;

TrashRefusal refusal(Reason reason, std::string where, std::string detail = {}) {
    return TrashRefusal{reason, std::move(where), std::move(detail)};
}

std::string withoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

// The names below the root, or nothing when the path does not lie below it.
std::optional<std::vector<std::string>> partsBelow(const std::string& root, const std::string& path) {
    if (path.compare(0, root.size(), root) != 0) return std::nullopt;
    std::string rest = path.substr(root.size());
    if (root != "/") {
        if (rest.empty() || rest.front() != '/') return std::nullopt;  // "/data2" is not below "/data"
    }
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start < rest.size()) {
        const std::size_t end = std::min(rest.find('/', start), rest.size());
        std::string part = rest.substr(start, end - start);
        start = end + 1;
        if (part.empty()) continue;
        if (part == "." || part == "..") return std::nullopt;
        parts.push_back(std::move(part));
    }
    if (parts.empty()) return std::nullopt;
    return parts;
}

std::string joined(const std::string& root, const std::string& below) {
    return root == "/" ? "/" + below : root + "/" + below;
}

}  // namespace

std::variant<ItemBelowRoot, TrashRefusal> findBelowRoot(const TrashItem& wanted) {
    const std::string root = withoutTrailingSlashes(wanted.root);
    const auto parts = partsBelow(root, wanted.path);
    if (!parts) return refusal(Reason::NotBelowRoot, wanted.path);

    ItemBelowRoot found;
    found.root = UniqueFd(::open(root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!found.root.valid()) {
        const int error = errno;
        return error == ENOENT ? refusal(Reason::Gone, root) : refusal(Reason::Failed, root, std::strerror(error));
    }
    const auto rootIdentity = identify(found.root.get());
    if (!rootIdentity) return refusal(Reason::Failed, root, std::strerror(errno));

    UniqueFd at(::fcntl(found.root.get(), F_DUPFD_CLOEXEC, 0));
    if (!at.valid()) return refusal(Reason::Failed, root, std::strerror(errno));
    std::string below;
    for (std::size_t i = 0; i < parts->size(); ++i) {
        const std::string& part = (*parts)[i];
        below += (below.empty() ? "" : "/") + part;
        const std::string where = joined(root, below);
        // One name per call and O_NOFOLLOW: a link is opened as itself, never
        // followed. A mount point is entered, which the mount check catches.
        UniqueFd next(::openat(at.get(), part.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        if (!next.valid()) {
            const int error = errno;
            return error == ENOENT ? refusal(Reason::Gone, where) : refusal(Reason::Failed, where, std::strerror(error));
        }
        const auto identity = identify(next.get());
        if (!identity) return refusal(Reason::Failed, where, std::strerror(errno));
        if (identity->link()) return refusal(Reason::Link, where);
        if (!identity->sameMount(*rootIdentity) || identity->mountRoot) {
            return refusal(Reason::OtherFilesystem, where);
        }
        const bool last = i + 1 == parts->size();
        if (!last || wanted.folder) {
            if (!identity->folder()) return refusal(Reason::NotAFolder, where);
        } else if (identity->folder()) {
            return refusal(Reason::NowAFolder, where);
        }
        if (last) {
            found.parent = std::move(at);
            found.item = std::move(next);
            found.name = part;
            found.below = below;
            found.shownPath = where;
            found.identity = *identity;
        } else {
            at = std::move(next);
        }
    }
    return found;
}

}  // namespace corvath
