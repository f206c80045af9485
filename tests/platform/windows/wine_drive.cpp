#include "wine_drive.h"

#include <cstring>
#include <vector>

#include <windows.h>
#include <winioctl.h>

namespace corvath::test {

namespace {

// Wine's own extension of the mount manager (its include/ddk/mountmgr.h).
struct MountmgrUnixDrive {
    ULONG size;
    ULONG type;
    ULONG fsType;
    DWORD serial;
    ULONGLONG unixDevice;
    WCHAR letter;
    USHORT mountPointOffset;
    USHORT deviceOffset;
    USHORT labelOffset;
};
constexpr DWORD kDefineUnixDrive = CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

// With no folder the mount manager removes the drive.
bool defineUnixDrive(char letter, unsigned type, const std::string& unixFolder) {
    std::vector<char> request(sizeof(MountmgrUnixDrive) + (unixFolder.empty() ? 0 : unixFolder.size() + 1), 0);
    MountmgrUnixDrive header{};
    header.size = static_cast<ULONG>(request.size());
    header.type = type;
    header.letter = static_cast<WCHAR>(letter);
    if (!unixFolder.empty()) {
        header.mountPointOffset = sizeof(MountmgrUnixDrive);
        std::memcpy(request.data() + sizeof(MountmgrUnixDrive), unixFolder.c_str(), unixFolder.size() + 1);
    }
    std::memcpy(request.data(), &header, sizeof header);

    const HANDLE manager = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (manager == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD returned = 0;
    const BOOL ok = DeviceIoControl(manager, kDefineUnixDrive, request.data(), static_cast<DWORD>(request.size()),
                                    nullptr, 0, &returned, nullptr);
    CloseHandle(manager);
    return ok != FALSE;
}

}  // namespace

std::string unixPathOf(const std::filesystem::path& windowsPath) {
    using Convert = char*(CDECL*)(LPCWSTR);
    const auto convert = reinterpret_cast<Convert>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (convert == nullptr) {
        return {};
    }
    char* unix = convert(windowsPath.wstring().c_str());
    if (unix == nullptr) {
        return {};
    }
    std::string out(unix);
    HeapFree(GetProcessHeap(), 0, unix);
    return out;
}

WineDrive::WineDrive(char letter, unsigned type, const std::string& unixFolder) : letter_(letter) {
    defined_ = defineUnixDrive(letter, type, unixFolder);
}

WineDrive::~WineDrive() {
    defineUnixDrive(letter_, 0, {});
    // The mount manager leaves the drive's name behind in the object namespace,
    // where the drive list still finds it.
    const char name[] = {letter_, ':', '\0'};
    DefineDosDeviceA(DDD_REMOVE_DEFINITION, name, nullptr);
}

}  // namespace corvath::test
