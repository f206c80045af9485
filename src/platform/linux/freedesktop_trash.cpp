#include "platform/linux/freedesktop_trash.h"

#include "engine/engine_error.h"
#include "engine/folder_walk.h"
#include "platform/linux/item_below_root.h"
#include "platform/linux/mounts_within.h"
#include "platform/linux/trash_folder.h"
#include "platform/linux/trash_info.h"
#include "platform/linux/user_folders.h"

#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>

namespace corvath {
namespace {

using Reason = TrashRefusal::Reason;

// Enough names for any trash a person keeps; a trash past it is refused
// rather than searched for ever.
constexpr unsigned kMostNames = 100000;

TrashMove refused(Reason reason, std::string where, std::string detail = {}) {
    return TrashMove{TrashRefusal{reason, std::move(where), std::move(detail)}, {}};
}

bool writeAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        done += static_cast<std::size_t>(written);
    }
    return true;
}

// renameat2 without replacing; a filesystem without RENAME_NOREPLACE is
// checked by hand first, which is as good where nobody else races for the name.
int renameWithoutReplacing(int fromFd, const std::string& from, int toFd, const std::string& to) {
    if (::renameat2(fromFd, from.c_str(), toFd, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    if (identify(toFd, to.c_str())) return EEXIST;
    return ::renameat(fromFd, from.c_str(), toFd, to.c_str()) == 0 ? 0 : errno;
}

std::string homeTrashPath() { return (dataHome() / "Trash").string(); }

// What the worker of a check hands over: a refusal, a file's size, or the
// started measuring of a folder.
struct Found {
    std::optional<TrashRefusal> refusal;
    bool measuring = false;
    bool measurable = true;
    std::uint64_t fileBytes = 0;
};

// The measuring of a folder, shared by the caller and the worker that starts
// it: whoever comes second sees what the other did.
struct Measuring {
    std::mutex mutex;
    std::condition_variable stoppedChanged;
    bool stopped = false;
    bool abandoned = false;
    std::shared_ptr<FolderWalk> walk;
};

Found findAndStartMeasuring(const TrashItem& item, const std::shared_ptr<Measuring>& measuring) {
    auto found = findBelowRoot(item);
    if (auto* refusal = std::get_if<TrashRefusal>(&found)) return Found{*refusal};
    const ItemBelowRoot& below = std::get<ItemBelowRoot>(found);
    if (auto refusal = refuseMountsWithin(below)) return Found{refusal};
    if (!below.identity.folder()) return Found{std::nullopt, false, true, below.identity.allocated};

    // The scanner's own walk, from the folder found: by its descriptor, so no
    // link on the way is followed again.
    WalkOptions options;
    options.threads = 2;
    std::shared_ptr<FolderWalk> walk;
    try {
        walk = std::make_shared<FolderWalk>("/proc/self/fd/" + std::to_string(below.item.get()), options);
    } catch (const EngineError&) {
        return Found{std::nullopt, false, false, 0};
    }
    {
        std::lock_guard lock(measuring->mutex);
        if (measuring->abandoned) return Found{std::nullopt, false, false, 0};
        measuring->walk = walk;
    }
    walk->start([measuring] {
        std::lock_guard lock(measuring->mutex);
        measuring->stopped = true;
        measuring->stoppedChanged.notify_all();
    });
    return Found{std::nullopt, true, true, 0};
}

}  // namespace

TrashMove moveToTrash(const TrashItem& wanted, const std::string& homeTrash, uid_t user) {
    auto found = findBelowRoot(wanted);
    if (auto* refusal = std::get_if<TrashRefusal>(&found)) return TrashMove{*refusal, {}};
    const ItemBelowRoot& item = std::get<ItemBelowRoot>(found);
    if (auto refusal = refuseMountsWithin(item)) return TrashMove{refusal, {}};
    auto opened = openTrashFor(item, homeTrash, user);
    if (auto* refusal = std::get_if<TrashRefusal>(&opened)) return TrashMove{*refusal, {}};
    const TrashFolder& trash = std::get<TrashFolder>(opened);

    const std::string record = trashInfoText(trash.relativePaths ? item.below : item.shownPath, std::time(nullptr));
    for (unsigned n = 1; n <= kMostNames; ++n) {
        const std::string entry = trashEntryName(item.name, n);
        const std::string recordName = entry + ".trashinfo";
        UniqueFd info(
            ::openat(trash.info.get(), recordName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!info.valid() && errno == EEXIST) continue;
        if (!info.valid()) return refused(Reason::NoTrash, trash.path + "/info", std::strerror(errno));
        if (!writeAll(info.get(), record) || info.close() != 0) {
            const int error = errno;
            ::unlinkat(trash.info.get(), recordName.c_str(), 0);
            return refused(Reason::NoTrash, trash.path + "/info", std::strerror(error));
        }

        const int error = renameWithoutReplacing(item.parent.get(), item.name, trash.files.get(), entry);
        if (error != 0) {
            ::unlinkat(trash.info.get(), recordName.c_str(), 0);
            if (error == EEXIST) continue;  // files/ holds an entry without a record
            if (error == ENOENT) return refused(Reason::Gone, item.shownPath);
            return refused(Reason::Failed, item.shownPath, std::strerror(error));
        }
        // The name was checked, then renamed: had another entry taken its place
        // in between, it goes back.
        const auto moved = identify(trash.files.get(), entry.c_str());
        if (!moved || !moved->sameFile(item.identity)) {
            renameWithoutReplacing(trash.files.get(), entry, item.parent.get(), item.name);
            ::unlinkat(trash.info.get(), recordName.c_str(), 0);
            return refused(Reason::Changed, item.shownPath);
        }
        return TrashMove{std::nullopt, trash.path + "/files/" + entry};
    }
    return refused(Reason::NoTrash, trash.path, "it holds too many items of that name");
}

FreedesktopTrash::FreedesktopTrash(std::chrono::milliseconds moveBound, std::shared_ptr<WorkerBudget> budget)
    : moveBound_(moveBound), budget_(std::move(budget)) {}

TrashCheck FreedesktopTrash::check(const TrashItem& item, std::chrono::milliseconds bound) {
    const auto deadline = Clock::now() + bound;
    auto measuring = std::make_shared<Measuring>();
    const auto call = BoundedCall<Found>::start([item, measuring] { return findAndStartMeasuring(item, measuring); },
                                                budget_);
    const std::optional<Found> found = call ? call->waitUntil(deadline) : std::nullopt;

    std::unique_lock lock(measuring->mutex);
    if (found && found->measuring) {
        measuring->stoppedChanged.wait_until(lock, deadline, [&] { return measuring->stopped; });
    }
    measuring->abandoned = true;
    const std::shared_ptr<FolderWalk> walk = std::move(measuring->walk);  // the walk holds `measuring`, not back
    const bool stopped = measuring->stopped;
    lock.unlock();

    if (!found) {
        if (walk) walk->cancel();
        return TrashCheck{};
    }
    if (found->refusal) return TrashCheck{found->refusal, {}};
    if (!found->measurable) return TrashCheck{};
    if (!found->measuring) return TrashCheck{std::nullopt, {CurrentSize::Kind::Exact, found->fileBytes}};
    const WalkTotals totals = walk->totals();
    // Folders it could not read, like a bound that ran out, leave a lower bound.
    if (stopped && totals.errors == 0 && walk->failure().empty()) {
        return TrashCheck{std::nullopt, {CurrentSize::Kind::Exact, totals.allocated}};
    }
    walk->cancel();
    return TrashCheck{std::nullopt, {CurrentSize::Kind::AtLeast, totals.allocated}};
}

TrashMove FreedesktopTrash::move(const TrashItem& item) {
    const std::string homeTrash = homeTrashPath();
    const uid_t user = ::getuid();
    const auto call = BoundedCall<TrashMove>::start([item, homeTrash, user] { return moveToTrash(item, homeTrash, user); },
                                                    budget_);
    if (!call) return refused(Reason::Failed, item.path, "no worker could be started");
    if (auto moved = call->waitUntil(Clock::now() + moveBound_)) return *moved;
    if (call->finished()) return refused(Reason::Failed, item.path, "it failed unexpectedly");
    // The move may still happen once the drive answers; the reason says so.
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(moveBound_).count();
    return refused(Reason::NotAnswering, item.path, std::to_string(seconds) + " s");
}

}  // namespace corvath
