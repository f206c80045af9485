// A FUSE filesystem that serves a fixed tree and then dies in the middle of a
// scan, as a crashed FUSE daemon does: once it is gone, the kernel fails every
// request on the mount with ENOTCONN while the mount stays in the table.
// The tree: 50 folders d000..d049 of 40 files f000..f039 each, 4 KiB apiece.
//
// Usage: corvath-fuse-dying MOUNTPOINT LISTINGS
// It exits on the folder listing after LISTINGS have been answered; 0 never.
// (stays in the foreground, single-threaded)
#define FUSE_USE_VERSION 31
#include <fuse.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kFolders = 50;
constexpr int kFiles = 40;
constexpr off_t kFileBytes = 4096;

long listingsLeft = 0;  // 0: never dies

// "/dNNN" -> NNN, "/dNNN/fMMM" -> NNN and MMM; false for anything else.
bool parse(const char* path, int& folder, int& file) {
    folder = file = -1;
    char tail = 0;
    if (std::sscanf(path, "/d%3d/f%3d%c", &folder, &file, &tail) == 2) {
        return folder >= 0 && folder < kFolders && file >= 0 && file < kFiles;
    }
    file = -1;
    return std::sscanf(path, "/d%3d%c", &folder, &tail) == 1 && folder >= 0 && folder < kFolders &&
           std::strlen(path) == 5;
}

int treeGetattr(const char* path, struct stat* st, fuse_file_info*) {
    *st = {};
    int folder = 0, file = 0;
    if (std::strcmp(path, "/") == 0 || (parse(path, folder, file) && file < 0)) {
        st->st_mode = S_IFDIR | 0755;
        st->st_nlink = 2;
        st->st_size = 4096;
        st->st_blocks = 8;
        return 0;
    }
    if (!parse(path, folder, file)) return -ENOENT;
    st->st_mode = S_IFREG | 0644;
    st->st_nlink = 1;
    st->st_size = kFileBytes;
    st->st_blocks = kFileBytes / 512;
    return 0;
}

int treeReaddir(const char* path, void* buffer, fuse_fill_dir_t fill, off_t, fuse_file_info*, fuse_readdir_flags) {
    if (listingsLeft > 0 && --listingsLeft == 0) ::_exit(0);  // dies without an answer
    int folder = 0, file = 0;
    const bool root = std::strcmp(path, "/") == 0;
    if (!root && !(parse(path, folder, file) && file < 0)) return -ENOENT;
    fill(buffer, ".", nullptr, 0, fuse_fill_dir_flags{});
    fill(buffer, "..", nullptr, 0, fuse_fill_dir_flags{});
    char name[16];
    for (int i = 0; i < (root ? kFolders : kFiles); ++i) {
        std::snprintf(name, sizeof name, root ? "d%03d" : "f%03d", i);
        fill(buffer, name, nullptr, 0, fuse_fill_dir_flags{});
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    listingsLeft = std::strtol(argv[2], nullptr, 10);
    // One more than asked: the listing that would be answered next is the one it dies on.
    if (listingsLeft > 0) ++listingsLeft;
    fuse_operations operations{};
    operations.getattr = treeGetattr;
    operations.readdir = treeReaddir;
    char foreground[] = "-f";
    char singleThreaded[] = "-s";
    char options[] = "-o";
    char names[] = "fsname=corvath-dying,subtype=corvath-dying";
    char* args[] = {argv[0], foreground, singleThreaded, options, names, argv[1], nullptr};
    return fuse_main(6, args, &operations, nullptr);
}
