#include "engine/windows/win32_file.h"

#include <winternl.h>

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

UniqueHandle openFolder(const std::wstring& path) {
    return UniqueHandle(::CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

UniqueHandle openFolderIn(HANDLE parent, std::wstring_view name) {
    UNICODE_STRING ntName;
    ntName.Buffer = const_cast<wchar_t*>(name.data());
    ntName.Length = ntName.MaximumLength = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &ntName, OBJ_CASE_INSENSITIVE, parent, nullptr);
    IO_STATUS_BLOCK io{};
    HANDLE folder = nullptr;
    const NTSTATUS status =
        ::NtCreateFile(&folder, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE, &attributes, &io, nullptr, 0,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN,
                       FILE_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_REPARSE_POINT |
                           FILE_OPEN_FOR_BACKUP_INTENT,
                       nullptr, 0);
    if (status < 0) {
        ::SetLastError(::RtlNtStatusToDosError(status));
        return UniqueHandle();
    }
    return UniqueHandle(folder);
}

VolumeFacts volumeFacts(HANDLE folder, const std::wstring& path) {
    VolumeFacts facts;
    wchar_t fileSystem[MAX_PATH + 1] = {};
    if (::GetVolumeInformationByHandleW(folder, nullptr, 0, nullptr, nullptr, nullptr, fileSystem, MAX_PATH + 1)) {
        const std::wstring_view name(fileSystem);
        facts.ntfs = name == L"NTFS";
        facts.longIds = name == L"ReFS";
    }
    FILE_ID_INFO id{};
    if (!facts.longIds && ::GetFileInformationByHandleEx(folder, FileIdInfo, &id, sizeof id)) {
        for (std::size_t i = 8; i < sizeof id.FileId.Identifier; ++i) facts.longIds |= id.FileId.Identifier[i] != 0;
    }
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) {
        facts.remote = true;
    } else {
        std::vector<wchar_t> volume(path.size() + 2);
        facts.remote = ::GetVolumePathNameW(path.c_str(), volume.data(), static_cast<DWORD>(volume.size())) &&
                       ::GetDriveTypeW(volume.data()) == DRIVE_REMOTE;
    }
    return facts;
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

}  // namespace corvath::win32
