#include "platform/windows/win32_volume_layer.h"

#include <windows.h>
#include <shellapi.h>

namespace corvath {

namespace {

// A drive with no medium must fail the call, not ask the user to insert a disk.
class NoCriticalErrorBoxes {
public:
    NoCriticalErrorBoxes() { SetThreadErrorMode(SEM_FAILCRITICALERRORS, &previous_); }
    ~NoCriticalErrorBoxes() { SetThreadErrorMode(previous_, nullptr); }
    NoCriticalErrorBoxes(const NoCriticalErrorBoxes&) = delete;
    NoCriticalErrorBoxes& operator=(const NoCriticalErrorBoxes&) = delete;

private:
    DWORD previous_ = 0;
};

// "Bad file name or number": the code the drive logic was written around.
constexpr unsigned long kBadFileNameOrNumber = 52;

}  // namespace

ProbeOutcome probeOutcomeOfFindError(unsigned long error) {
    switch (error) {
    case ERROR_SUCCESS:
        return ProbeOutcome::Readable;
    case kBadFileNameOrNumber:
    case ERROR_NOT_READY:
    case ERROR_PATH_NOT_FOUND:
    // Access denied, and a network share that is gone or dropped: the walk would
    // fail on them in turn, ending the run before the drives after them.
    case ERROR_ACCESS_DENIED:
    case ERROR_BAD_NETPATH:
    case ERROR_NETNAME_DELETED:
    case ERROR_BAD_NET_NAME:
    // A failing device, as an I/O error is on Linux.
    case ERROR_IO_DEVICE:
    // What Wine answers for a host folder that cannot be read or has gone.
    case ERROR_GEN_FAILURE:
    case ERROR_INVALID_NAME:
    case ERROR_NOACCESS:
        return ProbeOutcome::Inaccessible;
    default:
        return ProbeOutcome::OtherFailure;
    }
}

std::string Win32VolumeLayer::driveRoots() {
    const DWORD needed = GetLogicalDriveStringsA(0, nullptr);
    if (needed == 0) {
        return {};
    }
    std::string buffer(needed + 1, '\0');
    const DWORD written = GetLogicalDriveStringsA(needed, buffer.data());
    // A drive added between the two calls makes the second one ask for more
    // room and fill nothing: no list this time.
    if (written == 0 || written > needed) {
        return {};
    }
    // The count leaves out the NUL that closes the list.
    buffer.resize(written + 1);
    return buffer;
}

bool Win32VolumeLayer::shellInfo(const std::string& root, ShellInfo& info) {
    SHFILEINFOA record{};
    if (SHGetFileInfoA(root.c_str(), FILE_ATTRIBUTE_NORMAL, &record, sizeof record,
                       SHGFI_SYSICONINDEX | SHGFI_DISPLAYNAME | SHGFI_TYPENAME) == 0) {
        return false;
    }
    info.displayName = record.szDisplayName;
    info.iconName = std::to_string(record.iIcon);
    return true;
}

int Win32VolumeLayer::driveType(const std::string& driveName) {
    return static_cast<int>(GetDriveTypeA(driveName.c_str()));
}

ProbeOutcome Win32VolumeLayer::probe(const std::string& root) {
    // No worker to be had, or no answer in time: a drive that cannot be read.
    return probes_.ask(root, [root] { return probeRoot(root); }).value_or(ProbeOutcome::Inaccessible);
}

bool Win32VolumeLayer::diskSpace(const std::string& driveName, DiskSpace& space) {
    using Answer = std::optional<DiskSpace>;
    const std::optional<Answer> answer = space_.ask(driveName, [driveName]() -> Answer {
        DiskSpace measured;
        if (!queryDiskSpace(driveName, measured)) return std::nullopt;
        return measured;
    });
    if (!answer || !*answer) return false;
    space = **answer;
    return true;
}

ProbeOutcome probeRoot(const std::string& root) {
    std::string pattern = root;
    if (pattern.empty() || (pattern.back() != '\\' && pattern.back() != '/')) {
        pattern += '\\';
    }
    pattern += "*.*";

    NoCriticalErrorBoxes quiet;
    WIN32_FIND_DATAA entry;
    const HANDLE search = FindFirstFileA(pattern.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return probeOutcomeOfFindError(GetLastError());
    }
    FindClose(search);
    return ProbeOutcome::Readable;
}

bool queryDiskSpace(const std::string& driveName, DiskSpace& space) {
    NoCriticalErrorBoxes quiet;
    ULARGE_INTEGER callerFree{};
    ULARGE_INTEGER total{};
    ULARGE_INTEGER totalFree{};
    const BOOL ok = GetDiskFreeSpaceExA(driveName.c_str(), &callerFree, &total, &totalFree);
    if (!ok) {
        return false;
    }
    space.totalBytes = total.QuadPart;
    space.totalFreeBytes = totalFree.QuadPart;
    return true;
}

}  // namespace corvath
