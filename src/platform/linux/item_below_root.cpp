#include "platform/linux/item_below_root.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <vector>

#include "text/paths.h"

namespace corvath {
namespace {

using Reason = TrashRefusal::Reason;

TrashRefusal refusal(Reason reason, std::string where, std::string detail = {}) {
    return TrashRefusal{reason, std::move(where), std::move(detail)};
}

// The names below the root, or nothing when the path does not lie below it or
// steps through "." or "..".
std::optional<std::vector<std::string>> namesBelow(const std::string& root, const std::string& path) {
    std::optional<std::vector<std::string>> parts = partsBelow(root, path);
    if (!parts || parts->empty()) return std::nullopt;
    for (const std::string& part : *parts) {
        if (part == "." || part == "..") return std::nullopt;
    }
    return parts;
}

}  // namespace

std::variant<ItemBelowRoot, TrashRefusal> findBelowRoot(const TrashItem& wanted) {
    const std::string root = withoutTrailingSeparator(wanted.root);
    const auto parts = namesBelow(root, wanted.path);
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
        appendChild(below, part);
        const std::string where = childPath(root, below);
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
