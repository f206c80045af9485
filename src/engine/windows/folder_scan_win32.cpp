// Scanning one folder on Windows: check that it is on the scan's volume, list
// it with FindFirstFileExW, examine each entry and hand what it is to the count
// (folder_tally.h).
#include <string_view>

#include "engine/windows/walk_state_win32.h"
#include "engine/windows/win32_file.h"
#include "engine/wtf8.h"

namespace corvath {

namespace {

// The totals are brought up to date after this many entries.
constexpr std::size_t kFlushEvery = 256;

// Between the FILETIME epoch (1601) and the Unix one, in seconds.
constexpr std::int64_t kEpochGap = 11644473600;

std::int64_t unixSeconds(const FILETIME& time) {
    const std::uint64_t ticks = (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return static_cast<std::int64_t>(ticks / 10000000u) - kEpochGap;
}

std::uint64_t roundUp(std::uint64_t bytes, std::uint64_t unit) { return (bytes + unit - 1) / unit * unit; }

bool isDotOrDotDot(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

}  // namespace

std::optional<std::uint32_t> WalkState::scanFolder(std::uint32_t index, Worker& worker) {
    publish(index);
    atStep(WalkStep::Opening, index);
    std::wstring path = longPath(index);
    if (!enterFolder(index, path)) return std::nullopt;
    if (path.back() != L'\\') path += L'\\';
    FolderScan scan(index, folders[index], std::move(path), worker.largest);
    atStep(WalkStep::Reading, index);
    readFolder(scan);
    std::optional<std::uint32_t> next;
    flush(scan, stopping() ? nullptr : &next);
    return next;
}

// Settles what a sub-folder counts for before it is listed: false when it is
// not to be listed (gone, or on another volume).
bool WalkState::enterFolder(std::uint32_t index, const std::wstring& path) {
    if (index == 0) return true;  // opened and counted when the walk was made
    FolderNode& node = folders[index];
    const win32::UniqueHandle folder = win32::openForAttributes(path);
    if (folder.valid()) {
        win32::FileIdentity identity;
        if (win32::queryIdentity(folder.get(), identity)) {
            if (identity.volumeSerial != volumeSerial) {
                // Another volume mounted here without a reparse point to show
                // it: counted as a folder, not entered, without a size.
                node.otherFilesystem = true;
                node.allocated = node.apparent = node.ownAllocated = node.ownApparent = 0;
                return false;
            }
            node.inode = identity.fileIndex;
        }
        win32::FileSize own;
        if (win32::querySize(folder.get(), own)) node.allocated = node.ownAllocated = own.allocated;
    } else if (win32::isVanished(::GetLastError())) {
        node.allocated = node.apparent = 0;
        forget(node);
        return false;
    }
    // Any other failure is left for the listing to tell.
    allocated.fetch_add(node.ownAllocated, std::memory_order_relaxed);
    apparent.fetch_add(node.ownApparent, std::memory_order_relaxed);
    return true;
}

void WalkState::readFolder(FolderScan& scan) {
    WIN32_FIND_DATAW entry;
    const std::wstring pattern = scan.path + L"*";
    const win32::FindHandle find(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch,
                                                    nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find.valid()) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) return;  // no entries at all: a volume's empty root has no "."
        if (error == ERROR_PATH_NOT_FOUND && scan.index != 0) {
            forget(scan.node);
        } else {
            countFailure(scan.node, error, scan.index == 0);
        }
        return;
    }
    std::size_t sinceFlush = 0;
    do {
        if (stopping()) return;
        if (isDotOrDotDot(entry.cFileName)) continue;
        classifyEntry(scan, entry);
        if (++sinceFlush == kFlushEvery) {
            flush(scan, nullptr);
            sinceFlush = 0;
        }
    } while (::FindNextFileW(find.get(), &entry));
    if (const DWORD error = ::GetLastError(); error != ERROR_NO_MORE_FILES) countFailure(scan.node, error, scan.index == 0);
}

// A removed device, a lost network share, and a failing device under the root
// itself: every later call would fail too, so the scan would pass the part read
// for the drive.
void WalkState::countFailure(FolderNode& node, unsigned long error, bool atRoot) {
    const bool gone = error == ERROR_NOT_READY || error == ERROR_DEV_NOT_EXIST || error == ERROR_NETNAME_DELETED ||
                      error == ERROR_DEVICE_NOT_CONNECTED || error == ERROR_UNEXP_NET_ERR ||
                      (atRoot && (error == ERROR_GEN_FAILURE || error == ERROR_IO_DEVICE));
    if (!gone) {
        countError(node);
        return;
    }
    fail("the drive went away during the analysis (Windows error " + std::to_string(error) + ")");
}

void WalkState::classifyEntry(FolderScan& scan, const WIN32_FIND_DATAW& entry) {
    const DWORD attributes = entry.dwFileAttributes;
    // A reparse point that names another place is never followed. Wine lists a
    // Unix symbolic link to a folder, and a mount point, as a reparse point
    // without a tag.
    const bool reparse = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    const bool link = reparse && (entry.dwReserved0 == 0 || IsReparseTagNameSurrogate(entry.dwReserved0));
    std::string name = wtf8FromUtf16(std::wstring_view(entry.cFileName));
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && !link) {
        recordSubFolder(scan, entry, std::move(name));
    } else {
        recordFile(scan, entry, std::move(name), link);
    }
}

void WalkState::recordSubFolder(FolderScan& scan, const WIN32_FIND_DATAW& entry, std::string name) {
    // The folder's allocation and identity are read when it is opened.
    const std::uint64_t listed = (static_cast<std::uint64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
    queueFound(scan, countSubFolder(scan, folders, std::move(name), {0, listed, 0}));
}

void WalkState::recordFile(FolderScan& scan, const WIN32_FIND_DATAW& entry, std::string name, bool link) {
    const std::uint64_t listed = (static_cast<std::uint64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
    // A link takes no clusters of its own; only a file is opened, to learn its allocation and links.
    win32::FileSize size{0, listed, 1};
    win32::FileIdentity identity;
    if (!link) {
        scan.path.resize(scan.base);
        scan.path += entry.cFileName;
        const win32::UniqueHandle file = win32::openForAttributes(scan.path);
        if (!file.valid() && win32::isVanished(::GetLastError())) return;  // gone: not counted
        if (!file.valid() || !win32::querySize(file.get(), size)) {
            size = {roundUp(listed, cluster), listed, 1};
        } else if (size.links > 1 && !win32::queryIdentity(file.get(), identity)) {
            size.links = 1;  // cannot be told from its other links: counted here
        }
    }
    const bool keepEntries = options.entrySink != nullptr;
    const FileFacts file{keepEntries ? scan.holdName(std::move(name)) : std::string_view(name),
                         size.allocated,
                         size.apparent,
                         identity.volumeSerial,
                         identity.fileIndex,
                         size.links,
                         unixSeconds(entry.ftLastWriteTime),
                         !link};
    countFile(scan, file, hardLinks, keepEntries);
}

}  // namespace corvath
