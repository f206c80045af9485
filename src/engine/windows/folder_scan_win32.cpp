// Scanning one folder on Windows: open it on its parent's handle, list it in
// batches on its own handle, and hand what each entry is to the count
// (folder_tally.h). No entry is opened.
#include <string_view>

#include "engine/windows/walk_state_win32.h"
#include "engine/wtf8.h"

namespace corvath {

namespace {

// The totals are brought up to date after this many entries.
constexpr std::size_t kFlushEvery = 256;

// Between the FILETIME epoch (1601) and the Unix one, in seconds.
constexpr std::int64_t kEpochGap = 11644473600;

// What a cloud provider's placeholder (OneDrive's "online-only") is marked
// with: RECALL_ON_DATA_ACCESS, RECALL_ON_OPEN (mingw-w64's headers lack both)
// and OFFLINE.
constexpr DWORD kNotLocal = 0x00400000 | 0x00040000 | FILE_ATTRIBUTE_OFFLINE;

std::int64_t unixSeconds(std::int64_t ticks) { return ticks / 10000000 - kEpochGap; }

bool isDotOrDotDot(std::wstring_view name) { return name == L"." || name == L".."; }

bool isUnsupported(DWORD error) {
    return error == ERROR_INVALID_PARAMETER || error == ERROR_INVALID_LEVEL || error == ERROR_NOT_SUPPORTED ||
           error == ERROR_INVALID_FUNCTION || error == ERROR_CALL_NOT_IMPLEMENTED;
}

template <typename Info>
ListedEntry commonFacts(const Info& info) {
    ListedEntry entry;
    entry.name = std::wstring_view(info.FileName, info.FileNameLength / sizeof(wchar_t));
    entry.allocated = static_cast<std::uint64_t>(info.AllocationSize.QuadPart);
    entry.apparent = static_cast<std::uint64_t>(info.EndOfFile.QuadPart);
    entry.modified = info.LastWriteTime.QuadPart;
    entry.attributes = info.FileAttributes;
    return entry;
}

ListedEntry listedEntry(const FILE_ID_BOTH_DIR_INFO& info, bool ntfs) {
    ListedEntry entry = commonFacts(info);
    entry.reparseTag = info.EaSize;  // the tag, for a reparse point
    entry.idLow = static_cast<std::uint64_t>(info.FileId.QuadPart);
    // NTFS: the MFT record number; the sequence number above it tells nothing more here.
    if (ntfs) entry.idLow &= (std::uint64_t{1} << 48) - 1;
    return entry;
}

ListedEntry listedEntry(const FILE_ID_EXTD_DIR_INFO& info, bool) {
    ListedEntry entry = commonFacts(info);
    entry.reparseTag = info.ReparsePointTag;
    for (int i = 7; i >= 0; --i) entry.idLow = entry.idLow << 8 | info.FileId.Identifier[i];
    for (int i = 15; i >= 8; --i) entry.idHigh = entry.idHigh << 8 | info.FileId.Identifier[i];
    return entry;
}

ListedEntry listedEntry(const FILE_FULL_DIR_INFO& info, bool) {
    ListedEntry entry = commonFacts(info);
    entry.reparseTag = info.EaSize;
    return entry;
}

}  // namespace

std::optional<FolderItem> WalkState::scanFolder(FolderItem& item, Worker& worker) {
    publish(item.index);
    atStep(WalkStep::Opening, item.index);
    FolderNode& node = folders[item.index];
    win32::UniqueHandle folder = openItem(item);
    const DWORD error = folder.valid() ? ERROR_SUCCESS : ::GetLastError();
    if (!folder.valid()) {
        if (item.index != 0 && win32::isVanished(error)) {
            node.allocated = node.apparent = 0;
            forget(node);
            return std::nullopt;
        }
    }
    if (item.index != 0) {
        // Its own size counts as soon as it is entered (or found unreadable).
        allocated.fetch_add(node.ownAllocated, std::memory_order_relaxed);
        apparent.fetch_add(node.ownApparent, std::memory_order_relaxed);
    }
    if (!folder.valid()) {
        countFailure(node, error, item.index == 0);
        return std::nullopt;
    }
    FolderScan scan(item.index, node, worker.largest);
    scan.handle = std::make_shared<win32::UniqueHandle>(std::move(folder));
    atStep(WalkStep::Reading, item.index);
    readFolder(scan, worker);
    std::optional<FolderItem> next;
    flush(scan, stopping() ? nullptr : &next);
    return next;
}

// The root's handle was opened when the walk was made; a sub-folder is opened
// by its name on its parent's handle, which the item then lets go.
win32::UniqueHandle WalkState::openItem(FolderItem& item) {
    if (item.index == 0) return std::move(rootHandle);
    const std::wstring name = utf16FromWtf8<wchar_t>(folders[item.index].name);
    win32::UniqueHandle folder = win32::openFolderIn(item.parent->get(), name);
    const DWORD error = ::GetLastError();
    item.parent.reset();
    ::SetLastError(error);
    return folder;
}

void WalkState::readFolder(FolderScan& scan, Worker& worker) {
    if (!worker.buffer) worker.buffer.reset(new std::uint64_t[kListingBytes / sizeof(std::uint64_t)]);
    ListingKind kind = listing.load(std::memory_order_relaxed);
    std::size_t sinceFlush = 0;
    const auto each = [&](const ListedEntry& entry) {
        if (isDotOrDotDot(entry.name)) return;
        classifyEntry(scan, entry);
        if (++sinceFlush == kFlushEvery) {
            flush(scan, nullptr);
            sinceFlush = 0;
        }
    };
    for (bool first = true;; first = false) {
        if (stopping()) return;
        if (!listBatch(scan.handle->get(), worker, first, kind)) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_NO_MORE_FILES) return;
            if (first && error == ERROR_FILE_NOT_FOUND) return;  // no entries at all: a volume's empty root has no "."
            countFailure(scan.node, error, scan.index == 0);
            return;
        }
        switch (kind) {
        case ListingKind::IdBoth: forEachListed<FILE_ID_BOTH_DIR_INFO>(worker.buffer.get(), each); break;
        case ListingKind::IdExtd: forEachListed<FILE_ID_EXTD_DIR_INFO>(worker.buffer.get(), each); break;
        case ListingKind::Full: forEachListed<FILE_FULL_DIR_INFO>(worker.buffer.get(), each); break;
        }
    }
}

// Fills the worker's buffer with the next batch of the folder's entries; false
// with GetLastError set when there is none (ERROR_NO_MORE_FILES) or the
// listing failed. A listing the volume does not know on the first batch gives
// way to FileFullDirectoryInfo, for this folder and the rest of the walk.
bool WalkState::listBatch(HANDLE folder, Worker& worker, bool first, ListingKind& kind) {
    for (;;) {
        const FILE_INFO_BY_HANDLE_CLASS level = kind == ListingKind::IdBoth   ? FileIdBothDirectoryInfo
                                                : kind == ListingKind::IdExtd ? FileIdExtdDirectoryInfo
                                                                              : FileFullDirectoryInfo;
        if (::GetFileInformationByHandleEx(folder, level, worker.buffer.get(), static_cast<DWORD>(listingBytes))) {
            return true;
        }
        const DWORD error = ::GetLastError();
        if (!first || kind == ListingKind::Full || !isUnsupported(error)) {
            ::SetLastError(error);
            return false;
        }
        kind = ListingKind::Full;
        listing.store(kind, std::memory_order_relaxed);
    }
}

template <typename Info, typename F>
void WalkState::forEachListed(const std::uint64_t* buffer, F f) const {
    const auto* bytes = reinterpret_cast<const unsigned char*>(buffer);
    for (std::size_t offset = 0;;) {
        const Info& info = *reinterpret_cast<const Info*>(bytes + offset);
        f(listedEntry(info, volume.ntfs));
        if (info.NextEntryOffset == 0) return;
        offset += info.NextEntryOffset;
    }
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

void WalkState::classifyEntry(FolderScan& scan, const ListedEntry& entry) {
    const DWORD attributes = entry.attributes;
    // A reparse point that names another place is never followed. Wine lists a
    // Unix symbolic link to a folder, and a mount point, as a reparse point
    // without a tag.
    const bool reparse = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    const bool link = reparse && (entry.reparseTag == 0 || IsReparseTagNameSurrogate(entry.reparseTag));
    std::string name = wtf8FromUtf16(entry.name);
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 || link) {
        recordFile(scan, entry, std::move(name), link);
        return;
    }
    if (leftOut(scan.index, name)) {
        countExcluded(scan, folders, std::move(name), win32::FileIdTable::fold(entry.idLow, entry.idHigh));
        return;
    }
    const std::uint32_t child =
        countSubFolder(scan, folders, std::move(name), {entry.allocated, entry.apparent, win32::FileIdTable::fold(entry.idLow, entry.idHigh)});
    if ((attributes & kNotLocal) != 0) {
        // A cloud folder not on the volume: opening it would have the provider
        // fetch its content. It counts what it is listed with.
        scan.allocated += entry.allocated;
        scan.apparent += entry.apparent;
        return;
    }
    queueFound(scan, FolderItem{child, scan.handle});
}

void WalkState::recordFile(FolderScan& scan, const ListedEntry& entry, std::string name, bool link) {
    std::uint32_t links = 1;
    // A file ID listed before is another link of a file already counted; a
    // link (a reparse point) takes no part, and an ID of 0 or -1 is none.
    const bool identified = (entry.idLow != 0 || entry.idHigh != 0) && entry.idLow != ~std::uint64_t{0};
    const std::uint64_t key = win32::FileIdTable::fold(entry.idLow, entry.idHigh);
    if (!link && identified) {
        const std::uint32_t first = fileIds.record(entry.idLow, entry.idHigh, scan.index);
        if (first != win32::FileIdTable::kFirst) {
            links = 2;
            hardLinks.insertCounted(volumeSerial, key,
                                    {.folder = first,
                                     .folderInode = folders[first].inode,
                                     .nameHash = 0,
                                     .allocated = entry.allocated,
                                     .apparent = entry.apparent});
        }
    }
    const bool keepEntries = options.entrySink != nullptr;
    const FileFacts file{keepEntries ? scan.holdName(std::move(name)) : std::string_view(name),
                         entry.allocated,
                         entry.apparent,
                         volumeSerial,
                         key,
                         links,
                         unixSeconds(entry.modified),
                         !link,
                         !link && identified};
    countFile(scan, file, hardLinks, keepEntries);
}

}  // namespace corvath

namespace corvath {

void WalkState::releaseFolders() {
    std::vector<FolderItem> left;
    {
        std::lock_guard lock(queueMutex);
        left.swap(queue);
    }
    left.clear();
    rootHandle.reset();
}

}  // namespace corvath
