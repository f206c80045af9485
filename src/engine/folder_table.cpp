#include "engine/folder_table.h"

#include "text/paths.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace corvath {

FolderTable::FolderTable() : chunks_(new std::atomic<FolderNode*>[kMaxChunks]) {
    for (std::uint32_t i = 0; i < kMaxChunks; ++i) {
        chunks_[i].store(nullptr, std::memory_order_relaxed);
    }
}

FolderTable::~FolderTable() {
    for (std::uint32_t i = 0; i < kMaxChunks; ++i) {
        delete[] chunks_[i].load(std::memory_order_relaxed);
    }
}

std::uint32_t FolderTable::append() {
    std::lock_guard lock(appendMutex_);
    const std::uint32_t index = size_.load(std::memory_order_relaxed);
    const std::uint32_t chunk = index / kChunkSize;
    if (chunk >= kMaxChunks) {
        throw std::length_error("too many folders to keep track of");
    }
    if (chunks_[chunk].load(std::memory_order_relaxed) == nullptr) {
        chunks_[chunk].store(new FolderNode[kChunkSize], std::memory_order_release);
    }
    size_.store(index + 1, std::memory_order_release);
    return index;
}

void FolderTable::sumUp() {
    for (std::uint32_t i = size(); i-- > 1;) {
        const FolderNode& child = (*this)[i];
        FolderNode& parent = (*this)[child.parent];
        if (child.vanished) {
            --parent.folders;  // counted when the parent listed it
            continue;
        }
        parent.allocated += child.allocated;
        parent.apparent += child.apparent;
        parent.files += child.files;
        parent.folders += child.folders;
    }
}

std::string FolderTable::relativePath(std::uint32_t index) const {
    std::vector<std::uint32_t> chain;
    for (std::uint32_t i = index; i != 0 && i != FolderNode::kNoParent; i = (*this)[i].parent) {
        chain.push_back(i);
    }
    std::string path;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        appendChild(path, (*this)[*it].name);
    }
    return path;
}

void visitDepthFirst(const FolderTable& table, const std::string& rootPath, FolderVisitor& visitor) {
    const std::uint32_t count = table.size();
    if (count == 0) return;
    // Children lists by counting sort on the parent index.
    std::vector<std::uint32_t> first(count + 1, 0);
    for (std::uint32_t i = 1; i < count; ++i) ++first[table[i].parent + 1];
    for (std::uint32_t i = 0; i < count; ++i) first[i + 1] += first[i];
    std::vector<std::uint32_t> children(count > 0 ? count - 1 : 0);
    {
        std::vector<std::uint32_t> fill(first.begin(), first.end() - 1);
        for (std::uint32_t i = 1; i < count; ++i) children[fill[table[i].parent]++] = i;
    }

    std::string path = rootPath;
    struct Frame {
        std::uint32_t index;
        std::uint32_t next;  // position in children of the next child to visit
        std::size_t pathLength;
    };
    std::vector<Frame> stack;
    visitor.enter(0, path);
    stack.push_back({0, first[0], path.size()});
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next == first[top.index + 1]) {
            visitor.leave(top.index);
            stack.pop_back();
            continue;
        }
        const std::uint32_t child = children[top.next++];
        if (table[child].vanished) continue;
        const std::size_t parentLength = top.pathLength;
        path.resize(parentLength);
        appendChild(path, table[child].name);
        visitor.enter(child, path);
        stack.push_back({child, first[child], path.size()});
    }
}

}  // namespace corvath
