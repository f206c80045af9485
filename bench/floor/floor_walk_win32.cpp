// The Windows floor: each folder opened relative to its parent (NtCreateFile
// with RootDirectory) and listed on its handle with
// GetFileInformationByHandleEx(FileIdBothDirectoryInfo) into a 64 KiB buffer,
// as corvath-scan does, and nothing else: folders handed out depth first from
// one shared stack, reparse points never entered, and a file ID listed twice
// counted once (each thread lists the IDs it met; they are grouped after the
// walk).
#include <windows.h>
#include <winternl.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <algorithm>
#include <thread>
#include <utility>
#include <vector>

#include "floor/floor_walk.h"

namespace corvath::bench {
namespace {

class Folder {
public:
    explicit Folder(HANDLE handle) : handle_(handle) {}
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    ~Folder() { ::CloseHandle(handle_); }
    HANDLE handle() const { return handle_; }

private:
    HANDLE handle_;
};

struct Sighting {
    std::uint64_t id, allocated, apparent;
};

struct Work {
    std::shared_ptr<Folder> parent;
    std::wstring name;
};

HANDLE openIn(HANDLE parent, const std::wstring& name) {
    UNICODE_STRING ntName;
    ntName.Buffer = const_cast<wchar_t*>(name.data());
    ntName.Length = ntName.MaximumLength = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &ntName, OBJ_CASE_INSENSITIVE, parent, nullptr);
    IO_STATUS_BLOCK io{};
    HANDLE folder = nullptr;
    const NTSTATUS status = ::NtCreateFile(
        &folder, FILE_LIST_DIRECTORY | SYNCHRONIZE, &attributes, &io, nullptr, 0,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN,
        FILE_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_REPARSE_POINT | FILE_OPEN_FOR_BACKUP_INTENT,
        nullptr, 0);
    return status < 0 ? nullptr : folder;
}

class Walk {
public:
    explicit Walk(HANDLE root) { queue_.push_back({std::make_shared<Folder>(root), {}}); }

    void worker() {
        WalkTotals local;
        std::unique_ptr<std::uint64_t[]> buffer(new std::uint64_t[64 * 1024 / sizeof(std::uint64_t)]);
        std::vector<std::wstring> subfolders;
        std::vector<Sighting> seen;
        for (;;) {
            Work work;
            {
                std::unique_lock lock(mutex_);
                ready_.wait(lock, [&] { return !queue_.empty() || active_ == 0; });
                if (queue_.empty()) break;
                work = std::move(queue_.back());
                queue_.pop_back();
                ++active_;
            }
            std::shared_ptr<Folder> folder;
            if (work.name.empty()) {
                folder = std::move(work.parent);
            } else {
                HANDLE handle = openIn(work.parent->handle(), work.name);
                work.parent.reset();
                if (handle != nullptr) folder = std::make_shared<Folder>(handle);
                else ++local.errors;
            }
            subfolders.clear();
            if (folder) readFolder(folder->handle(), buffer.get(), subfolders, seen, local);
            std::lock_guard lock(mutex_);
            for (auto& name : subfolders) queue_.push_back({folder, std::move(name)});
            --active_;
            if (!subfolders.empty() || active_ == 0) ready_.notify_all();
        }
        std::lock_guard lock(mutex_);
        totals_.allocated += local.allocated;
        totals_.apparent += local.apparent;
        totals_.files += local.files;
        totals_.folders += local.folders;
        totals_.errors += local.errors;
        sightings_.insert(sightings_.end(), seen.begin(), seen.end());
    }

    // Once the workers are done: a file ID met more than once counts once.
    WalkTotals totals() {
        std::sort(sightings_.begin(), sightings_.end(), [](const Sighting& a, const Sighting& b) { return a.id < b.id; });
        for (std::size_t i = 1; i < sightings_.size(); ++i) {
            if (sightings_[i].id != sightings_[i - 1].id) continue;
            totals_.allocated -= sightings_[i].allocated;
            totals_.apparent -= sightings_[i].apparent;
        }
        return totals_;
    }

private:
    static void readFolder(HANDLE folder, std::uint64_t* buffer, std::vector<std::wstring>& subfolders,
                           std::vector<Sighting>& seen, WalkTotals& t) {
        while (::GetFileInformationByHandleEx(folder, FileIdBothDirectoryInfo, buffer, 64 * 1024)) {
            const auto* bytes = reinterpret_cast<const unsigned char*>(buffer);
            for (std::size_t offset = 0;;) {
                const auto& info = *reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(bytes + offset);
                const std::wstring_view name(info.FileName, info.FileNameLength / sizeof(wchar_t));
                if (name != L"." && name != L"..") {
                    const bool reparse = (info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
                    const bool link = reparse && (info.EaSize == 0 || IsReparseTagNameSurrogate(info.EaSize));
                    const auto allocated = static_cast<std::uint64_t>(info.AllocationSize.QuadPart);
                    const auto apparent = static_cast<std::uint64_t>(info.EndOfFile.QuadPart);
                    if ((info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && !link) {
                        ++t.folders;
                        subfolders.emplace_back(name);
                    } else {
                        ++t.files;
                        if (!link) seen.push_back({static_cast<std::uint64_t>(info.FileId.QuadPart), allocated, apparent});
                    }
                    t.allocated += allocated;
                    t.apparent += apparent;
                }
                if (info.NextEntryOffset == 0) break;
                offset += info.NextEntryOffset;
            }
        }
        if (::GetLastError() != ERROR_NO_MORE_FILES) ++t.errors;
    }

    std::mutex mutex_;
    std::condition_variable ready_;
    std::vector<Work> queue_;  // a stack: depth first keeps few folders open
    unsigned active_ = 0;
    WalkTotals totals_;
    std::vector<Sighting> sightings_;  // mutex_
};

}  // namespace

WalkTotals floorWalk(const std::string& root, unsigned threads) {
    const HANDLE handle =
        ::CreateFileA(root.c_str(), FILE_LIST_DIRECTORY | SYNCHRONIZE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + root);
    Walk walk(handle);
    std::vector<std::jthread> pool;
    for (unsigned i = 0; i < (threads ? threads : 1); ++i) pool.emplace_back([&] { walk.worker(); });
    pool.clear();
    WalkTotals totals = walk.totals();
    ++totals.folders;  // the root
    return totals;
}

}  // namespace corvath::bench
