// The few Win32 file calls the Windows walker makes, with what it needs of each.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

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

// The path in the "\\?\" form, which has no length limit and takes names as
// they are (a trailing dot or space, "CON"): a drive-relative or relative path
// is made full first, a UNC path becomes "\\?\UNC\server\share".
std::wstring longPathOf(const std::string& path);

// The system's message for an error code, in UTF-8, without its line end.
std::string errorText(DWORD error);

// Opens a folder to list it, sharing everything: the walk's root by its long
// path (a root that is a link is the folder it names, as the user asked), a
// sub-folder by its name in its open parent (NtCreateFile relative to it, so
// that no path is ever long), and then a reparse point itself, never what it
// points to. Both fail with GetLastError set; openFolderIn also when the name is
// not a folder.
UniqueHandle openFolder(const std::wstring& path);
UniqueHandle openFolderIn(HANDLE parent, std::wstring_view name);

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

// What the walk needs to know of the volume holding an open folder.
struct VolumeFacts {
    bool ntfs = false;         // file IDs are MFT record numbers with a sequence number
    bool longIds = false;      // 128-bit file IDs (ReFS): listed with FileIdExtdDirectoryInfo
    bool remote = false;       // a network drive: listed with a smaller buffer
};
VolumeFacts volumeFacts(HANDLE folder, const std::wstring& path);

inline bool isVanished(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

}  // namespace corvath::win32
