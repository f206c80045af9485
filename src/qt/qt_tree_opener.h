#pragma once

#include <QPersistentModelIndex>

#include <string>
#include <vector>

class QTreeView;

namespace corvath {

class QtFolderFilterModel;
class QtFolderTreeModel;

// Opens the results tree down to folders deep in it: reads the folders on the
// way and expands them, and remembers what it expanded so that it can close
// it again, leaving alone what the user had open.
class QtTreeOpener {
public:
    QtTreeOpener(QTreeView& view, QtFolderTreeModel& model, QtFolderFilterModel& filter);

    // Expands the way to each folder (full paths); returns how many of them
    // the tree holds.
    std::size_t openTo(const std::vector<std::string>& paths);
    // Closes what openTo expanded.
    // Closes what openTo expanded, deepest first.
    void closeOpened();

private:
    QTreeView& view_;
    QtFolderTreeModel& model_;
    QtFolderFilterModel& filter_;
    std::vector<QPersistentModelIndex> opened_;  // of the tree model: a new scan shown forgets them
};

}  // namespace corvath
