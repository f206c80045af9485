#include "scratch_file.h"

#include <io.h>
#include <windows.h>

#include "engine/wtf8.h"
#include "export_error.h"
#include "windows_error_text.h"

namespace corvath {

// Deleted by the system when its last handle closes, so that nothing is left
// behind, whatever ends the process.
UniqueFd createScratchFile(const std::string& folder) {
    const std::wstring prefix =
        utf16FromWtf8<wchar_t>(folder) + L"\\.corvath-scan-" + std::to_wstring(GetCurrentProcessId()) + L"-";
    DWORD error = ERROR_SUCCESS;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const HANDLE file = CreateFileW((prefix + std::to_wstring(attempt)).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                        nullptr, CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                        nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            error = GetLastError();
            if (error == ERROR_FILE_EXISTS) continue;
            break;
        }
        const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), 0);
        if (fd >= 0) return UniqueFd(fd);
        error = ERROR_TOO_MANY_OPEN_FILES;
        CloseHandle(file);
        break;
    }
    throw ExportError("cannot write the export's temporary file in " + folder + ": " + windowsErrorText(error));
}

long long readScratchAt(int fd, char* buffer, std::size_t size, std::uint64_t offset, std::string& reason) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    const auto file = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    const DWORD asked = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
    if (!ReadFile(file, buffer, asked, &got, &at)) {
        const DWORD error = GetLastError();
        if (error == ERROR_HANDLE_EOF) return 0;
        reason = windowsErrorText(error);
        return -1;
    }
    return static_cast<long long>(got);
}

}  // namespace corvath
