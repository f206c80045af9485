#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corvath {

// A file among a scan's largest, by allocated bytes (then apparent).
struct LargeFile {
    std::uint32_t folder = 0;  // index in the scan's FolderTable
    std::string name;          // raw bytes
    std::uint64_t allocated = 0;
    std::uint64_t apparent = 0;
    std::int64_t modified = 0;  // seconds since the epoch
};

// The largest files seen so far, never more than a fixed number: a min-heap,
// so that a file too small to enter costs one comparison.
class LargestFiles {
public:
    static constexpr std::size_t kKept = 1000;

    explicit LargestFiles(std::size_t capacity = kKept) : capacity_(capacity) {}

    bool wants(std::uint64_t allocated, std::uint64_t apparent) const {
        if (heap_.size() < capacity_) return capacity_ > 0;
        const LargeFile& least = heap_.front();
        return allocated > least.allocated || (allocated == least.allocated && apparent > least.apparent);
    }

    void offer(std::uint32_t folder, std::string_view name, std::uint64_t allocated, std::uint64_t apparent,
               std::int64_t modified) {
        if (!wants(allocated, apparent)) return;
        if (heap_.size() == capacity_) {
            std::pop_heap(heap_.begin(), heap_.end(), larger);
            heap_.pop_back();
        }
        heap_.push_back({folder, std::string(name), allocated, apparent, modified});
        std::push_heap(heap_.begin(), heap_.end(), larger);
    }

    void merge(LargestFiles&& other) {
        for (LargeFile& file : other.heap_) {
            offer(file.folder, file.name, file.allocated, file.apparent, file.modified);
        }
        other.heap_.clear();
    }

    // Largest first.
    std::vector<LargeFile> sorted() const {
        std::vector<LargeFile> files = heap_;
        std::sort(files.begin(), files.end(), larger);
        return files;
    }

private:
    static bool larger(const LargeFile& a, const LargeFile& b) {
        return a.allocated != b.allocated ? a.allocated > b.allocated : a.apparent > b.apparent;
    }
    std::size_t capacity_;
    std::vector<LargeFile> heap_;
};

}  // namespace corvath
