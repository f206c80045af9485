#include "platform/windows/win32_drive_mounts.h"

#include <windows.h>

namespace corvath {

namespace {

std::wstring wide(const std::string& text) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), length);
    return result;
}

std::string narrow(const wchar_t* text) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) return {};
    std::string result(static_cast<std::size_t>(length - 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, result.data(), length, nullptr, nullptr);
    return result;
}

}  // namespace

std::optional<DriveMount> Win32DriveMounts::mountAt(const std::string& root) {
    std::wstring path = wide(root);
    if (path.empty() || path.back() != L'\\') path += L'\\';
    const UINT type = GetDriveTypeW(path.c_str());
    if (type == DRIVE_NO_ROOT_DIR || type == DRIVE_UNKNOWN) return std::nullopt;
    DriveMount mount;
    wchar_t volume[MAX_PATH] = {};
    if (GetVolumeNameForVolumeMountPointW(path.c_str(), volume, MAX_PATH)) mount.volume = narrow(volume);
    return mount;
}

}  // namespace corvath
