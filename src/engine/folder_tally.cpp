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
                                  file.regular ? EntryRecord::Kind::Regular : EntryRecord::Kind::Other});
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

void countOtherFilesystem(FolderTally& tally, std::string_view name, std::uint64_t device, std::uint64_t inode,
                          bool keepEntries) {
    ++tally.node.folders;
    ++tally.folders;
    if (keepEntries) tally.recorded.push_back({name, 0, 0, inode, device, 1, EntryRecord::Kind::OtherFilesystem});
}

}  // namespace corvath
