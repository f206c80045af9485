#include "engine/folder_tally.h"

namespace corvath {

void countFile(FolderTally& tally, const FileFacts& file, HardLinkSet& hardLinks, bool keepEntries) {
    ++tally.node.files;
    ++tally.files;
    const bool single = file.links <= 1;
    if (single || hardLinks.insert(file.device, file.inode,
                                   {.folder = tally.index,
                                    .folderInode = tally.node.inode,
                                    .nameHash = HardLinkSet::hashName(file.name),
                                    .allocated = file.allocated,
                                    .apparent = file.apparent})) {
        // A linked file's bytes go to the folder of its owning link once the walk is over.
        if (single) {
            tally.node.allocated += file.allocated;
            tally.node.apparent += file.apparent;
        }
        tally.allocated += file.allocated;
        tally.apparent += file.apparent;
        if (file.regular && tally.largest->wants(file.allocated, file.apparent)) {
            tally.largest->offer(tally.index, file.name, file.allocated, file.apparent, file.modified);
        }
    }
    if (keepEntries) {
        tally.recorded.push_back({file.name, file.apparent, file.allocated, file.inode, file.device, file.links,
                                  file.linksSoFar, file.regular ? EntryRecord::Kind::Regular : EntryRecord::Kind::Other});
    }
}

std::uint32_t countSubFolder(FolderTally& tally, FolderTable& folders, std::string name, const SubFolderFacts& folder) {
    ++tally.node.folders;
    ++tally.folders;
    const std::uint32_t child = folders.append();
    FolderNode& sub = folders[child];
    sub.parent = tally.index;
    sub.name = std::move(name);
    sub.inode = folder.inode;
    sub.allocated = sub.ownAllocated = folder.allocated;
    sub.apparent = sub.ownApparent = folder.apparent;
    return child;
}

namespace {

// A folder counted by its parent but never entered: a node with no size.
FolderNode& countUnentered(FolderTally& tally, FolderTable& folders, std::string name, std::uint64_t inode) {
    ++tally.node.folders;
    ++tally.folders;
    FolderNode& node = folders[folders.append()];
    node.parent = tally.index;
    node.name = std::move(name);
    node.inode = inode;
    return node;
}

}  // namespace

void countOtherFilesystem(FolderTally& tally, FolderTable& folders, std::string name, std::uint64_t device,
                          std::uint64_t inode) {
    FolderNode& mount = countUnentered(tally, folders, std::move(name), inode);
    mount.device = device;
    mount.otherFilesystem = true;
}

void countExcluded(FolderTally& tally, FolderTable& folders, std::string name, std::uint64_t inode) {
    countUnentered(tally, folders, std::move(name), inode).excluded = true;
}

}  // namespace corvath
