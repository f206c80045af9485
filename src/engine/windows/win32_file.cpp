#include "engine/windows/win32_file.h"

#include <vector>

#include "engine/wtf8.h"

namespace corvath::win32 {

std::wstring longPathOf(const std::string& path) {
    const std::wstring wide = utf16FromWtf8<wchar_t>(path);
    if (wide.rfind(L"\\\\?\\", 0) == 0) return wide;
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0) return L"\\\\?\\" + wide;  // left for the open to refuse
        if (length < full.size()) {
            full.resize(length);
            break;
        }
        full.resize(length);
    }
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

std::string errorText(DWORD error) {
    wchar_t* message = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
        0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    std::string text;
    if (length > 0 && message != nullptr) text = wtf8FromUtf16(std::wstring_view(message, length));
    if (message != nullptr) ::LocalFree(message);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.')) {
        text.pop_back();
    }
    return text.empty() ? "error " + std::to_string(error) : text;
}

UniqueHandle openForAttributes(const std::wstring& path) {
    return UniqueHandle(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

bool querySize(HANDLE handle, FileSize& size) {
    FILE_STANDARD_INFO info{};
    if (!::GetFileInformationByHandleEx(handle, FileStandardInfo, &info, sizeof info)) return false;
    size.allocated = static_cast<std::uint64_t>(info.AllocationSize.QuadPart);
    size.apparent = static_cast<std::uint64_t>(info.EndOfFile.QuadPart);
    size.links = info.NumberOfLinks;
    return true;
}

bool queryIdentity(HANDLE handle, FileIdentity& identity) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info)) return false;
    identity.volumeSerial = info.dwVolumeSerialNumber;
    identity.fileIndex = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    identity.folder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return true;
}

std::uint64_t clusterBytes(const std::wstring& path) {
    std::vector<wchar_t> volume(path.size() + 2);
    if (!::GetVolumePathNameW(path.c_str(), volume.data(), static_cast<DWORD>(volume.size()))) return 0;
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    if (!::GetDiskFreeSpaceW(volume.data(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters)) return 0;
    return static_cast<std::uint64_t>(sectorsPerCluster) * bytesPerSector;
}

}  // namespace corvath::win32
