// The Windows walk's side of the handle: opening the root, and the paths of
// its folders. The rest of the handle is in folder_walk_handle.cpp, the scan of
// one folder in folder_scan_win32.cpp.
#include "engine/folder_walk.h"

#include <algorithm>

#include "engine/drive_usage.h"
#include "engine/engine_error.h"
#include "engine/windows/walk_state_win32.h"
#include "engine/windows/win32_file.h"
#include "engine/wtf8.h"

namespace corvath {

FolderWalk::FolderWalk(const std::string& rootPath, WalkOptions options) : state_(std::make_shared<WalkState>()) {
    WalkState& s = *state_;
    s.rootPath = rootPath;
    s.options = options;
    if (s.options.threads == 0) s.options.threads = 1;
    s.rootLong = win32::longPathOf(rootPath);
    const auto fail = [&](const std::string& reason) { throw EngineError("cannot analyze " + rootPath + ": " + reason); };
    win32::UniqueHandle root = win32::openFolder(s.rootLong);
    if (!root.valid()) {
        const DWORD error = ::GetLastError();
        fail(error == ERROR_DIRECTORY ? "not a folder" : win32::errorText(error));
    }
    win32::FileIdentity identity;
    if (!win32::queryIdentity(root.get(), identity)) fail(win32::errorText(::GetLastError()));
    if (!identity.folder) fail("not a folder");
    win32::FileSize own;
    if (!win32::querySize(root.get(), own)) own = {};
    s.volumeSerial = identity.volumeSerial;
    s.volume = win32::volumeFacts(root.get(), s.rootLong);
    if (s.volume.longIds) s.listing = ListingKind::IdExtd;
    if (s.volume.remote) s.listingBytes = WalkState::kRemoteListingBytes;
    if (s.volume.ntfs) identity.fileIndex &= (std::uint64_t{1} << 48) - 1;
    s.rootHandle = std::move(root);

    const std::uint32_t index = s.folders.append();
    FolderNode& node = s.folders[index];
    node.name = rootPath;
    node.inode = identity.fileIndex;
    node.allocated = node.ownAllocated = own.allocated;
    s.allocated = node.allocated;
    s.folderCount = 1;
    s.status = rootPath;
}

std::uint64_t FolderWalk::rootDevice() const { return state_->volumeSerial; }

// The call wants a folder with its trailing "\".
std::optional<std::uint64_t> FolderWalk::driveUsedBytes() const {
    std::wstring folder = state_->rootLong;
    if (folder.empty() || folder.back() != L'\\') folder += L'\\';
    return driveUsageWithin(
        [folder]() -> std::optional<std::uint64_t> {
            ULARGE_INTEGER total{}, totalFree{};
            if (!::GetDiskFreeSpaceExW(folder.c_str(), nullptr, &total, &totalFree) ||
                total.QuadPart < totalFree.QuadPart) {
                return std::nullopt;
            }
            return total.QuadPart - totalFree.QuadPart;
        },
        kDriveUsageWait);
}

// Windows has no mount IDs; the volume serial tells the drive.
std::uint64_t FolderWalk::rootMountId() const { return 0; }

namespace {

std::vector<std::uint32_t> chainBelowRoot(const FolderTable& folders, std::uint32_t node) {
    std::vector<std::uint32_t> chain;
    for (std::uint32_t i = node; i != 0 && i != FolderNode::kNoParent; i = folders[i].parent) chain.push_back(i);
    std::reverse(chain.begin(), chain.end());
    return chain;
}

}  // namespace

std::string WalkState::shownPath(std::uint32_t node) const {
    std::string path = rootPath;
    for (const std::uint32_t part : chainBelowRoot(folders, node)) {
        if (path.empty() || path.back() != '\\') path += '\\';
        path += folders[part].name;
    }
    return path;
}

}  // namespace corvath
