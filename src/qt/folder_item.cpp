#include "qt/folder_item.h"

#include <algorithm>
#include <unordered_map>

namespace corvath {
namespace {

std::uint64_t ownBytes(const StoredFolder& folder, std::uint64_t childrenBytes) {
    return folder.allocated > childrenBytes ? folder.allocated - childrenBytes : 0;
}

}  // namespace

bool FolderItem::mayHaveChildren(bool comparing) const {
    if (now.children > 0) return true;
    return comparing && before.node != 0 && before.node != now.node && before.children > 0;
}

void takeOutOfTotals(FolderItem* from, const TakenOut& taken) {
    const auto less = [](std::uint64_t& total, std::uint64_t part) { total -= std::min(total, part); };
    for (FolderItem* at = from; at != nullptr; at = at->parent) {
        less(at->now.allocated, taken.allocated);
        less(at->now.apparent, taken.apparent);
        less(at->now.files, taken.files);
        less(at->now.folders, taken.folders);
    }
}

void readChildren(const ScanReader& reader, FolderItem& item, bool comparing) {
    std::vector<StoredFolder> nowChildren;
    if (item.now.node != 0 && item.now.children > 0) nowChildren = reader.children(item.now.node);
    const bool shared = item.before.node == item.now.node;
    // Of the earlier scan's sub-folders only those not shared with this one
    // are read: a shared one is its own earlier self.
    std::vector<StoredFolder> beforeChildren;
    std::vector<std::int64_t> beforeIds;
    if (comparing && !shared && item.before.node != 0 && item.before.children > 0) {
        beforeChildren = item.now.node != 0 ? reader.childrenNotIn(item.before.node, item.now.node)
                                            : reader.children(item.before.node);
        beforeIds = reader.childIds(item.before.node);
    }

    std::unordered_map<std::string, const StoredFolder*> earlier;
    for (const StoredFolder& folder : beforeChildren) earlier.emplace(folder.name, &folder);

    std::vector<std::unique_ptr<FolderItem>> children;
    std::uint64_t nowSum = 0;
    std::uint64_t beforeSum = 0;
    for (StoredFolder& folder : nowChildren) {
        auto child = std::make_unique<FolderItem>();
        if (comparing) {
            if (shared || std::binary_search(beforeIds.begin(), beforeIds.end(), folder.node)) {
                child->before = folder;
            } else if (const auto found = earlier.find(folder.name); found != earlier.end()) {
                child->before = *found->second;
                earlier.erase(found);
            }
        }
        nowSum += folder.allocated;
        beforeSum += child->before.allocated;
        child->now = std::move(folder);
        children.push_back(std::move(child));
    }
    // What is left of the earlier scan's folders is gone now; beforeChildren
    // keeps its largest-first order.
    for (const StoredFolder& folder : beforeChildren) {
        if (!earlier.contains(folder.name)) continue;
        auto child = std::make_unique<FolderItem>();
        child->before = folder;
        beforeSum += folder.allocated;
        children.push_back(std::move(child));
    }

    for (std::size_t i = 0; i < children.size(); ++i) {
        children[i]->parent = &item;
        children[i]->row = static_cast<int>(i);
        children[i]->path = childPath(item.path, children[i]->name());
    }
    item.ownNow = ownBytes(item.now, nowSum);
    item.ownBefore = comparing ? ownBytes(item.before, beforeSum) : 0;
    item.children = std::move(children);
    item.fetched = true;
}

}  // namespace corvath
