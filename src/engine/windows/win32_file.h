// The few Win32 file calls the Windows walker makes, with what it needs of each.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace corvath::win32 {

// A handle closed when it goes.
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.handle_) { other.handle_ = INVALID_HANDLE_VALUE; }
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = other.handle_;
            other.handle_ = INVALID_HANDLE_VALUE;
        }
        return *this;
    }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE get() const { return handle_; }
    void reset() {
        if (valid()) ::CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// A FindFirstFileExW listing, closed when it goes.
class FindHandle {
public:
    explicit FindHandle(HANDLE handle) : handle_(handle) {}
    ~FindHandle() {
        if (valid()) ::FindClose(handle_);
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

// The path in the "\\?\" form, which has no length limit and takes names as
// they are (a trailing dot or space, "CON"): a drive-relative or relative path
// is made full first, a UNC path becomes "\\?\UNC\server\share".
std::wstring longPathOf(const std::string& path);

// The system's message for an error code, in UTF-8, without its line end.
std::string errorText(DWORD error);

// Opens a file or folder only to read its attributes: it shares everything, so
// that a file open elsewhere can be examined, and opens a reparse point itself,
// never what it points to.
UniqueHandle openForAttributes(const std::wstring& path);

// What a handle tells of its file. False, with GetLastError set, when a query fails.
struct FileSize {
    std::uint64_t allocated = 0;  // AllocationSize: what the file takes on the volume
    std::uint64_t apparent = 0;   // EndOfFile
    std::uint32_t links = 1;
};
bool querySize(HANDLE handle, FileSize& size);
struct FileIdentity {
    std::uint32_t volumeSerial = 0;
    std::uint64_t fileIndex = 0;
    bool folder = false;
};
bool queryIdentity(HANDLE handle, FileIdentity& identity);

// The cluster size of the volume holding the path, or 0 when it cannot be told.
std::uint64_t clusterBytes(const std::wstring& path);

inline bool isVanished(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

}  // namespace corvath::win32
