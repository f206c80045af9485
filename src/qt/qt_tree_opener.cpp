#include "qt/qt_tree_opener.h"

#include <QTreeView>

#include <algorithm>
#include <unordered_set>

#include "qt/folder_item.h"
#include "qt/qt_folder_filter_model.h"
#include "qt/qt_folder_tree_model.h"

namespace corvath {
namespace {

int depthOf(const FolderItem* item) {
    int depth = 0;
    for (const FolderItem* at = item->parent; at != nullptr; at = at->parent) ++depth;
    return depth;
}

}  // namespace

QtTreeOpener::QtTreeOpener(QTreeView& view, QtFolderTreeModel& model, QtFolderFilterModel& filter)
    : view_(view), model_(model), filter_(filter) {}

std::size_t QtTreeOpener::openTo(const std::vector<std::string>& paths) {
    std::size_t held = 0;
    std::vector<std::pair<int, const FolderItem*>> way;
    std::unordered_set<const FolderItem*> seen;
    for (const std::string& path : paths) {
        const FolderItem* folder = model_.item(model_.findPath(path));
        if (folder == nullptr) continue;
        ++held;
        for (const FolderItem* at = folder->parent; at != nullptr && seen.insert(at).second; at = at->parent) {
            way.emplace_back(depthOf(at), at);
        }
    }
    // Deepest first: a folder whose parent is still closed is only marked
    // open, so the view lays out each opened branch once, not once a folder.
    std::sort(way.begin(), way.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    for (const auto& [depth, folder] : way) {
        const QModelIndex index = model_.indexOf(folder);
        const QModelIndex shown = filter_.mapFromSource(index);
        if (!shown.isValid() || view_.isExpanded(shown)) continue;
        view_.expand(shown);
        opened_.emplace_back(index);
    }
    return held;
}

void QtTreeOpener::closeOpened() {
    // Shallowest first: what lies below a closed folder closes unseen.
    for (auto it = opened_.rbegin(); it != opened_.rend(); ++it) {
        if (it->isValid()) view_.collapse(filter_.mapFromSource(*it));
    }
    opened_.clear();
}

}  // namespace corvath
