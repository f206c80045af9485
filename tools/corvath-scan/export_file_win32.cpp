// The export's file on Windows, kept as on POSIX (export_file.h): a regular
// file, or a new name, gets a hidden file beside it that replaces it only once
// complete; a link's target gets the export and the link stays; a device (NUL)
// or a pipe is written directly; "-" is standard output, in binary mode so
// that the export's bytes are the same on every system.
#include "export_file.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include "engine/wtf8.h"
#include "windows_error_text.h"

namespace corvath {

namespace {

std::wstring wide(const std::string& text) { return utf16FromWtf8<wchar_t>(text); }

[[noreturn]] void fail(const std::string& name, unsigned long error) {
    throw ExportError("cannot write " + name + ": " + windowsErrorText(error));
}

std::size_t lastSeparator(const std::string& path) { return path.find_last_of("\\/"); }

std::string folderOf(const std::string& path) {
    const std::size_t at = lastSeparator(path);
    if (at == std::string::npos) return ".";
    // "C:\" keeps its separator: "C:" alone is the drive's current folder.
    return path.substr(0, at == 2 && path[1] == ':' ? at + 1 : at);
}

std::string baseName(const std::string& path) {
    const std::size_t at = lastSeparator(path);
    return at == std::string::npos ? path : path.substr(at + 1);
}

std::string joined(const std::string& folder, const std::string& name) {
    return folder.empty() || folder.back() == '\\' || folder.back() == '/' ? folder + name : folder + "\\" + name;
}

class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() {
        if (valid()) CloseHandle(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

// Where a path that exists ends, links followed, in the form the system gives
// ("\\?\C:\folder\file").
std::string finalPath(const std::string& name, HANDLE file) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFinalPathNameByHandleW(file, path.data(), static_cast<DWORD>(path.size()), 0);
        if (length == 0) fail(name, GetLastError());
        if (length < path.size()) {
            path.resize(length);
            return wtf8FromUtf16(std::wstring_view(path));
        }
        path.resize(length + 1);
    }
}

bool processGone(unsigned long pid) {
    const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    if (process == nullptr) return GetLastError() == ERROR_INVALID_PARAMETER;
    const bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

}  // namespace

std::string temporaryFolder() {
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH) return ".";
    std::string path = wtf8FromUtf16(std::wstring_view(folder, length));
    if (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    return path;
}

ExportFile::ExportFile(const std::string& name, const CancelCheck&) : name_(name) {
    if (name == "-") {
        _setmode(_fileno(stdout), _O_BINARY);
        scratch_ = temporaryFolder();
        return;
    }
    // Opened for no access at all, which even a file in use allows, to learn
    // what the name is.
    const Handle existing(CreateFileW(wide(name).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!existing.valid()) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) fail(name, error);
        target_ = name;
    } else if (GetFileType(existing.get()) != FILE_TYPE_DISK) {
        file_ = UniqueFd(_wopen(wide(name).c_str(), _O_WRONLY | _O_BINARY));
        if (!file_.valid()) fail(name, ERROR_ACCESS_DENIED);
        scratch_ = temporaryFolder();
        return;
    } else {
        BY_HANDLE_FILE_INFORMATION facts{};
        if (!GetFileInformationByHandle(existing.get(), &facts)) fail(name, GetLastError());
        if ((facts.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) fail(name, ERROR_DIRECTORY);
        // Replacing a file the user may not write would take more than writing it.
        if ((facts.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) fail(name, ERROR_ACCESS_DENIED);
        target_ = finalPath(name, existing.get());
    }
    createBeside(false, 0, 0, 0);
}

ExportFile::~ExportFile() {
    file_.reset();  // a file still open cannot be deleted
    if (!temporary_.empty()) DeleteFileW(wide(temporary_).c_str());
}

int ExportFile::fd() const { return file_.valid() ? file_.get() : _fileno(stdout); }

std::string ExportFile::hiddenPrefix() const { return "." + baseName(target_) + ".corvath-"; }

// A hidden file of an export to this name whose process is gone was left when
// that process was ended: it is removed.
void ExportFile::removeStaleHiddenFiles() const {
    const std::string folder = folderOf(target_);
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(wide(joined(folder, hiddenPrefix() + "*")).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    const std::size_t prefix = wide(hiddenPrefix()).size();
    do {
        const std::wstring name = found.cFileName;
        const unsigned long pid = std::wcstoul(name.c_str() + prefix, nullptr, 10);
        if (pid == 0 || pid == GetCurrentProcessId() || !processGone(pid)) continue;
        if ((found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) continue;
        DeleteFileW((wide(folder) + (folder.back() == '\\' ? L"" : L"\\") + name).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

void ExportFile::createBeside(bool, unsigned, unsigned, unsigned) {
    replace_ = true;
    scratch_ = folderOf(target_);
    removeStaleHiddenFiles();
    const std::string prefix = joined(scratch_, hiddenPrefix() + std::to_string(GetCurrentProcessId()) + "-");
    for (int attempt = 0; attempt <= 100; ++attempt) {
        const std::string candidate = prefix + std::to_string(attempt);
        file_ = UniqueFd(_wopen(wide(candidate).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                                _S_IREAD | _S_IWRITE));
        if (file_.valid()) {
            temporary_ = candidate;
            return;
        }
        if (errno != EEXIST) break;
    }
    fail(name_, _doserrno != 0 ? _doserrno : ERROR_ACCESS_DENIED);
}

void ExportFile::commit() {
    if (!replace_) return;
    if (file_.close() != 0) fail(name_, _doserrno);
    if (!MoveFileExW(wide(temporary_).c_str(), wide(target_).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        fail(name_, GetLastError());
    }
    temporary_.clear();
    replace_ = false;
}

}  // namespace corvath
