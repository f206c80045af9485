#include "engine/scanner.h"

#include <atomic>

#include "engine/count_text.h"
#include "engine/engine_error.h"
#include "engine/scan_root.h"
#include "engine/stall_watch.h"

namespace corvath {

namespace {

// How long AnalyzeDrive waits after a cancel for the workers to stop before it
// leaves the slow ones behind (a worker may sit in a system call on a slow disk).
constexpr auto kCancelGrace = std::chrono::milliseconds(40);

// The caller splits the status at "|" and shows field 0 on one line: a folder
// name holding "|" or a control character must not break either.
std::string displayFolder(std::string folder) {
    std::string shown;
    shown.reserve(folder.size());
    for (const char c : folder) {
        if (c == '|') {
            shown += "\xc2\xa6";  // broken bar
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            shown += '?';
        } else {
            shown += c;
        }
    }
    return shown;
}

EngineError notMounted(const std::string& root) { return EngineError("cannot analyze " + root + ": it is not mounted"); }

// Whether the walk's root folder lies on the mount: the kernel's mount ID where
// both know it, else the device.
bool isOn(const DriveMount& mount, const FolderWalk& walk) {
    if (mount.mountId != 0 && walk.rootMountId() != 0) return mount.mountId == walk.rootMountId();
    return mount.device == 0 || mount.device == walk.rootDevice();
}

}  // namespace

// Delivers exactly one wake() to the pump per AnalyzeDrive: from the last worker
// to stop or from CancelAnalysis, whichever comes first, and none once
// AnalyzeDrive has returned (a stray wake would end the caller's next run()).
struct Scanner::PumpLink {
    explicit PumpLink(EventPump& target) : pump(&target) {}

    void wakeOnce() {
        std::lock_guard lock(mutex);
        if (pump != nullptr && !woken) {
            woken = true;
            pump->wake();
        }
    }
    // The first cancel starts the grace.
    void markCancelled() {
        std::int64_t notYet = 0;
        cancelledAt.compare_exchange_strong(
            notYet, std::chrono::duration_cast<std::chrono::nanoseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count());
    }
    void detach() {
        std::lock_guard lock(mutex);
        pump = nullptr;
    }

    std::mutex mutex;
    EventPump* pump;
    bool woken = false;
    std::atomic<std::int64_t> cancelledAt{0};  // steady clock, nanoseconds; 0 while not cancelled
};

Scanner::Scanner(EventPump& pump, ResultsSink& results, ScannerOptions options)
    : pump_(pump),
      results_(results),
      options_(std::move(options)),
      excludes_(options_.excludedFolders, kNamesCaseSensitive),
      grouping_(userDigitGrouping()) {
    if (options_.threads == 0) options_.threads = 1;
}

Scanner::~Scanner() = default;

void Scanner::AnalyzeDrive(const std::string& drive) {
    {
        std::lock_guard lock(mutex_);
        if (running_ != nullptr) throw EngineError("cannot analyze " + drive + ": an analysis is already running");
    }
    if (drive.empty()) throw EngineError("cannot analyze a drive without a name");
    const std::string root = scanRoot(drive);
    results_.prepare();
    // A drive that was unmounted leaves its mount-point folder behind: scanned,
    // it would pass for an empty drive.
    std::optional<DriveMount> mount;
    if (options_.mounts != nullptr) {
        mount = options_.mounts->mountAt(root);
        if (!mount) throw notMounted(root);
    }
    WalkOptions walkOptions{options_.threads};
    walkOptions.excludes = excludes_;
    auto walk = openWalkWithin(root, walkOptions, options_.stallLimit);
    if (mount && !isOn(*mount, *walk)) throw notMounted(root);
    auto link = std::make_shared<PumpLink>(pump_);
    const auto started = std::chrono::system_clock::now();
    {
        std::lock_guard lock(mutex_);
        running_ = walk;
        link_ = link;
        completed_.reset();
        lastTotals_ = walk->totals();
        lastFolder_ = root;
    }
    runWalk(walk, link, root);
    if (const std::string failure = walk->failure(); !failure.empty()) {
        throw EngineError("cannot analyze " + root + ": " + failure);
    }
    if (walk->cancelled()) return;
    if (mount) {
        const std::optional<DriveMount> after = options_.mounts->mountAt(root);
        if (!after || after->mountId != mount->mountId || after->device != mount->device) {
            throw EngineError("cannot analyze " + root + ": it was unmounted during the analysis");
        }
    }
    walk->folders().sumUp();
    const std::optional<std::uint64_t> driveUsed = walk->driveUsedBytes();  // may wait a little: not under the lock
    std::lock_guard lock(mutex_);
    completed_ = walk;
    completedRecord_ = ScanRecord{drive,
                                  root,
                                  started,
                                  std::chrono::system_clock::now(),
                                  lastTotals_,
                                  walk->largestFiles(),
                                  mount ? mount->volume : std::string(),
                                  driveUsed,
                                  excludes_.patterns()};
}

// Runs the caller's pump while the walk runs, until it stops, is cancelled or
// stalls (which throws, as does the pump).
void Scanner::runWalk(const std::shared_ptr<FolderWalk>& running, const std::shared_ptr<PumpLink>& link,
                      const std::string& root) {
    FolderWalk& walk = *running;
    const auto processed = [running] {
        const WalkTotals counts = running->totals();
        return counts.files + counts.folders + counts.errors;
    };
    StallWatch watch(processed, options_.stallLimit, [link] { link->wakeOnce(); });
    walk.start([link] { link->wakeOnce(); });
    try {
        pump_.run();
    } catch (...) {
        walk.cancel();
        endWalk(walk, *link);
        throw;
    }
    // A stalled scan is given up like a cancelled one: the stuck workers are left behind.
    const bool stalled = watch.stalled() && !walk.waitStopped(std::chrono::steady_clock::now());
    if (stalled) {
        link->markCancelled();
        walk.cancel();
    }
    endWalk(walk, *link);
    if (stalled) throw EngineError("cannot analyze " + root + ": " + notAnsweringReason(options_.stallLimit));
}

// Waits for the workers (after a cancel, only for the grace) and keeps the
// walk's last totals; true when every worker stopped.
bool Scanner::endWalk(FolderWalk& walk, PumpLink& link) {
    link.detach();
    bool stopped = true;
    if (walk.cancelled()) {
        const std::int64_t at = link.cancelledAt.load();
        const auto deadline = std::chrono::steady_clock::time_point(std::chrono::nanoseconds(at)) + kCancelGrace;
        stopped = walk.waitStopped(deadline);
    } else {
        stopped = walk.waitStopped(std::chrono::steady_clock::time_point::max());
    }
    std::lock_guard lock(mutex_);
    lastTotals_ = walk.totals();
    lastFolder_ = walk.currentFolder();
    running_.reset();
    link_.reset();
    return stopped;
}

void Scanner::CancelAnalysis() {
    std::shared_ptr<FolderWalk> walk;
    std::shared_ptr<PumpLink> link;
    {
        std::lock_guard lock(mutex_);
        walk = running_;
        link = link_;
    }
    if (walk == nullptr) return;
    link->markCancelled();
    walk->cancel();
    link->wakeOnce();
}

void Scanner::FinishDrive() {
    std::shared_ptr<FolderWalk> completed;
    ScanRecord record;
    {
        std::lock_guard lock(mutex_);
        if (running_ != nullptr) throw EngineError("cannot store the results while an analysis is running");
        completed = completed_;
        record = completedRecord_;
    }
    if (completed == nullptr) return;
    results_.storeScan(record, completed->folders());
    std::lock_guard lock(mutex_);
    if (completed_ == completed) completed_.reset();
}

bool Scanner::scanning() const {
    std::lock_guard lock(mutex_);
    return running_ != nullptr;
}

WalkTotals Scanner::totals() const {
    std::shared_ptr<FolderWalk> walk;
    {
        std::lock_guard lock(mutex_);
        if (running_ == nullptr) return lastTotals_;
        walk = running_;
    }
    return walk->totals();
}

std::string Scanner::GetStatusText() {
    std::shared_ptr<FolderWalk> walk;
    std::string folder;
    WalkTotals counts;
    {
        std::lock_guard lock(mutex_);
        walk = running_;
        folder = lastFolder_;
        counts = lastTotals_;
    }
    if (walk != nullptr) {
        folder = walk->currentFolder();
        counts = walk->totals();
    }
    // The caller drops the one character after the folder.
    return displayFolder(folder) + kPathSeparator + "|" + countText(counts.files, counts.folders, grouping_);
}

std::string Scanner::GetProcessedBytesText() { return std::to_string(totals().allocated); }

}  // namespace corvath
